#include "ExifTags.h"

#include <cstring>

namespace varnel_tool {

namespace {

constexpr uint16_t kOrientation = 0x0112;
constexpr uint16_t kXResolution = 0x011A;
constexpr uint16_t kYResolution = 0x011B;
constexpr uint16_t kResolutionUnit = 0x0128;
constexpr uint16_t kShort = 3;
constexpr uint16_t kRational = 5;

class Block {
public:
    Block(const uint8_t* data, size_t size, bool bigEndian) : m_data(data), m_size(size), m_bigEndian(bigEndian) {}

    bool has(uint64_t offset, uint64_t bytes) const { return offset <= m_size && bytes <= m_size - offset; }
    uint32_t get(uint64_t offset, int bytes) const {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            const uint32_t byte = m_data[offset + static_cast<uint64_t>(m_bigEndian ? i : bytes - 1 - i)];
            value = (value << 8) | byte;
        }
        return value;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    bool m_bigEndian;
};

} // namespace

ExifTags ExifTags::parse(const uint8_t* data, size_t size) {
    ExifTags tags;
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M'))) return tags;
    const Block block(data, size, data[0] == 'M');
    if (block.get(2, 2) != 42) return tags;
    const uint32_t directory = block.get(4, 4);
    if (!block.has(directory, 2)) return tags;
    const uint32_t entries = block.get(directory, 2);
    double x = 0, y = 0;
    uint32_t unit = 2;  // inches, EXIF's default
    for (uint32_t i = 0; i < entries; ++i) {
        const uint64_t entry = directory + 2 + uint64_t{12} * i;
        if (!block.has(entry, 12)) break;
        const uint32_t tag = block.get(entry, 2);
        const uint32_t type = block.get(entry + 2, 2);
        const uint32_t count = block.get(entry + 4, 4);
        if (count != 1) continue;
        if (type == kShort && tag == kOrientation) tags.orientation = Orientation(block.get(entry + 8, 2));
        if (type == kShort && tag == kResolutionUnit) unit = block.get(entry + 8, 2);
        if (type == kRational && (tag == kXResolution || tag == kYResolution)) {
            const uint32_t at = block.get(entry + 8, 4);
            if (!block.has(at, 8) || block.get(at + 4, 4) == 0) continue;
            const double value = static_cast<double>(block.get(at, 4)) / block.get(at + 4, 4);
            (tag == kXResolution ? x : y) = value;
        }
    }
    if (unit == 2) tags.resolution = Resolution::perInch(x, y);
    if (unit == 3) tags.resolution = Resolution::perCentimetre(x, y);
    return tags;
}

} // namespace varnel_tool
