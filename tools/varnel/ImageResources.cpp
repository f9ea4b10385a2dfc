#include "ImageResources.h"

#include "ColourMath.h"

#include <cmath>

namespace varnel_tool {

namespace {

constexpr uint16_t kAlphaNames = 1006;
constexpr uint16_t kAlternateSpotColours = 1067;
constexpr uint16_t kUnicodeAlphaNames = 1045;
constexpr uint16_t kDisplayInfo = 1077;
constexpr uint16_t kResolutionInfo = 1005;
constexpr uint16_t kPixelsPerInch = 1;
constexpr uint16_t kInches = 1;
constexpr uint16_t kRgbSpace = 0;
constexpr uint8_t kSpotKind = 2;
// Solidity 0 %: the inks are translucent and mix on paper, as the proof
// lays them over each other.
constexpr uint16_t kSolidity = 0;

// UTF-8 to UTF-16 code units; a malformed byte stands for itself.
std::vector<uint16_t> utf16(const std::string& text) {
    std::vector<uint16_t> units;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
        bool valid = i + static_cast<size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) code = byte;
        i += valid ? static_cast<size_t>(length) : 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<uint16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(code));
        }
    }
    return units;
}

// One resource block: signature, id, an empty name padded to even length,
// the data's size and the data padded to even length.
void appendBlock(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& data) {
    out.insert(out.end(), {'8', 'B', 'I', 'M'});
    appendBigEndian(out, id, 2);
    appendBigEndian(out, 0, 2);
    appendBigEndian(out, data.size(), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
}

void appendRgb(std::vector<uint8_t>& out, const RgbColour& colour) {
    appendBigEndian(out, kRgbSpace, 2);
    appendBigEndian(out, quantise(colour.r, 65535), 2);
    appendBigEndian(out, quantise(colour.g, 65535), 2);
    appendBigEndian(out, quantise(colour.b, 65535), 2);
    appendBigEndian(out, 0, 2);
}

} // namespace

void appendBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::vector<uint8_t> resolutionResource(const Resolution& resolution) {
    std::vector<uint8_t> block;
    if (!resolution.known()) return block;
    std::vector<uint8_t> data;
    for (double dpi : {resolution.x, resolution.y}) {
        appendBigEndian(data, static_cast<uint64_t>(std::llround(dpi * 65536)), 4);  // 16.16 fixed point
        appendBigEndian(data, kPixelsPerInch, 2);
        appendBigEndian(data, kInches, 2);
    }
    appendBlock(block, kResolutionInfo, data);
    return block;
}

std::vector<uint8_t> spotChannelResources(const std::vector<InkInfo>& inks, size_t firstInk) {
    std::vector<uint8_t> names, unicodeNames, displayInfo, alternates;
    appendBigEndian(displayInfo, 1, 4);  // version
    appendBigEndian(alternates, 1, 2);   // version
    appendBigEndian(alternates, inks.size() - firstInk, 2);
    for (size_t channel = firstInk; channel < inks.size(); ++channel) {
        const InkInfo& ink = inks[channel];
        // A Pascal string holds at most 255 bytes; the Unicode name is whole.
        const size_t length = ink.name.size() < 255 ? ink.name.size() : 255;
        names.push_back(static_cast<uint8_t>(length));
        names.insert(names.end(), ink.name.begin(), ink.name.begin() + static_cast<long>(length));
        // Counted in code units with a closing zero, as image editors write it.
        const std::vector<uint16_t> units = utf16(ink.name);
        appendBigEndian(unicodeNames, units.size() + 1, 4);
        for (uint16_t unit : units) appendBigEndian(unicodeNames, unit, 2);
        appendBigEndian(unicodeNames, 0, 2);

        appendRgb(displayInfo, ink.colour);
        appendBigEndian(displayInfo, kSolidity, 2);
        displayInfo.push_back(kSpotKind);
        displayInfo.push_back(0);  // padding

        appendBigEndian(alternates, channel, 4);
        appendRgb(alternates, ink.colour);
    }
    std::vector<uint8_t> blocks;
    appendBlock(blocks, kAlphaNames, names);
    appendBlock(blocks, kUnicodeAlphaNames, unicodeNames);
    appendBlock(blocks, kDisplayInfo, displayInfo);
    appendBlock(blocks, kAlternateSpotColours, alternates);
    return blocks;
}

} // namespace varnel_tool
