#include "InkNaming.h"

#include "ToolError.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace varnel_tool {

namespace {

// The library allows stage numbers 00 to 15.
constexpr int kMaxMaskNumber = 15;

// The value of the first occurrence of key (which ends in "="), up to the
// next ";"; false when the key is absent or switched off by a "*" in front
// of any occurrence.
bool findActiveValue(const std::string& text, const std::string& key, std::string& value) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return false;
    if (text.find("*" + key) != std::string::npos) return false;
    const size_t start = at + key.size();
    const size_t end = text.find(';', start);
    value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
}

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

struct NamedInk {
    const char* name;
    RgbColour colour;
};

// How common printing inks look on white paper, roughly, in sRGB.
const NamedInk kInkTable[] = {
    {"Cyan", {0.00, 0.63, 0.89}},   {"Magenta", {0.90, 0.00, 0.49}},
    {"Yellow", {1.00, 0.93, 0.00}}, {"Black", {0.12, 0.12, 0.12}},
    {"Red", {0.89, 0.13, 0.16}},    {"Orange", {1.00, 0.46, 0.00}},
    {"Lime", {0.59, 0.78, 0.12}},   {"Green", {0.00, 0.61, 0.28}},
    {"Blue", {0.14, 0.24, 0.63}},   {"Violet", {0.43, 0.16, 0.59}},
    {"Rubine", {0.78, 0.00, 0.35}},
};

bool sameNameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == 0;
}

RgbColour displayColour(const std::string& name, bool hasHue, double hue) {
    for (const NamedInk& ink : kInkTable) {
        if (sameNameIgnoringCase(name, ink.name)) return ink.colour;
    }
    if (hasHue) return hslToRgb(hue, 1.0, 0.5);
    return {0.5, 0.5, 0.5};
}

} // namespace

void HueMaskSet::apply(const std::string& text) {
    // The library reads BLACKMASK before the hue masks of the same text and
    // puts a switched-off mask under the black channel's number.
    std::string value;
    if (findActiveValue(text, "BLACKMASK=", value)) {
        m_blackChannel = std::atoi(value.c_str());
        HueMask black;
        black.active = false;
        m_masks[m_blackChannel] = black;
    }
    if (text.find("HUEMASK") == std::string::npos) return;
    for (int n = 0; n <= kMaxMaskNumber; ++n) {
        if (!findActiveValue(text, "HUEMASK" + twoDigits(n) + "=", value)) continue;
        // A mask statement reuses an existing item and keeps its active
        // flag, so a hue range given to the black channel stays inert.
        HueMask& mask = m_masks[n];
        size_t start = 0;
        for (int field = 0; field < 4; ++field) {
            // Missing fields count as 0, as atol gives for an empty field.
            mask.hues[field] = start < value.size() ? std::atol(value.c_str() + start) : 0;
            const size_t comma = value.find(',', start);
            start = comma == std::string::npos ? value.size() : comma + 1;
        }
    }
}

double fullStrengthCentre(const HueMask& mask) {
    const double from = static_cast<double>(mask.hues[1]);
    double span = std::fmod(static_cast<double>(mask.hues[2]) - from, 360.0);
    if (span < 0.0) span += 360.0;
    double centre = std::fmod(from + span / 2.0, 360.0);
    if (centre < 0.0) centre += 360.0;
    return centre;
}

std::string hueName(double degrees) {
    struct HueRange {
        double upTo;  // exclusive upper end
        const char* name;
    };
    // Ranges chosen so that every extra ink of the built-in presets gets a
    // distinct, familiar name (a mask centred on 330 degrees is Rubine, on
    // 340 or 0 Red, on 20 or 30 Orange, on 220 Blue, on 260 Violet).
    static const HueRange kRanges[] = {
        {15, "Red"},    {45, "Orange"},  {75, "Yellow"},  {100, "Lime"},
        {150, "Green"}, {195, "Cyan"},   {250, "Blue"},   {285, "Violet"},
        {320, "Magenta"}, {335, "Rubine"}, {360, "Red"},
    };
    double h = std::fmod(degrees, 360.0);
    if (h < 0.0) h += 360.0;
    for (const HueRange& range : kRanges) {
        if (h < range.upTo) return range.name;
    }
    return "Red";
}

std::vector<InkInfo> describeInks(const HueMaskSet& masks, int channels,
                                  const std::vector<std::string>& overrides) {
    if (!overrides.empty() && static_cast<int>(overrides.size()) != channels) {
        throw UsageError("--ink-names gives " + std::to_string(overrides.size()) +
                         " names, but the configuration has " + std::to_string(channels) + " inks");
    }
    static const char* const kProcessInks[] = {"Cyan", "Magenta", "Yellow"};
    std::vector<InkInfo> inks;
    std::set<std::string> used;
    for (int channel = 0; channel < channels; ++channel) {
        InkInfo ink{};
        const auto found = masks.masks().find(channel);
        ink.hasHue = found != masks.masks().end() && found->second.active;
        ink.hue = ink.hasHue ? fullStrengthCentre(found->second) : 0.0;
        std::string name;
        if (!overrides.empty()) {
            name = overrides[static_cast<size_t>(channel)];
        } else if (channel == masks.blackChannel()) {
            name = "Black";
        } else if (ink.hasHue && channel < 3) {
            name = kProcessInks[channel];
        } else if (ink.hasHue) {
            name = hueName(ink.hue);
        } else {
            name = "Ink" + std::to_string(channel);
        }
        if (overrides.empty()) {
            const std::string base = name;
            for (int k = 2; used.count(name) != 0; ++k) name = base + std::to_string(k);
        } else if (used.count(name) != 0) {
            throw UsageError("--ink-names names '" + name + "' twice");
        }
        used.insert(name);
        ink.name = name;
        ink.colour = displayColour(name, ink.hasHue, ink.hue);
        inks.push_back(ink);
    }
    return inks;
}

std::vector<std::string> splitInkNames(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (true) {
        const size_t comma = list.find(',', start);
        std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t first = name.find_first_not_of(" \t");
        const size_t last = name.find_last_not_of(" \t");
        name = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
        if (name.empty()) throw UsageError("--ink-names holds an empty name");
        for (char c : name) {
            // Names become TIFF ink names (NUL-separated) and plate file
            // names, so control characters and path separators are refused.
            if (static_cast<unsigned char>(c) < 32 || c == '/' || c == '\\') {
                throw UsageError("--ink-names: '" + name + "' is not usable as an ink name");
            }
        }
        names.push_back(name);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names;
}

void applyInkColours(const std::string& list, std::vector<InkInfo>& inks) {
    size_t start = 0;
    for (size_t i = 0; i < inks.size(); ++i) {
        const size_t comma = list.find(',', start);
        if ((comma == std::string::npos) != (i + 1 == inks.size())) {
            throw UsageError("--ink-colors needs one colour for each of the " + std::to_string(inks.size()) + " inks");
        }
        std::string hex = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t first = hex.find_first_not_of(" \t#");
        hex = first == std::string::npos ? std::string() : hex.substr(first, hex.find_last_not_of(" \t") + 1 - first);
        if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            throw UsageError("--ink-colors: '" + hex + "' is not a colour RRGGBB");
        }
        const unsigned long rgb = std::stoul(hex, nullptr, 16);
        inks[i].colour = {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
        start = comma + 1;
    }
}

} // namespace varnel_tool
