#include "Inks.h"

#include "ToolError.h"

#include <varnel/separation.hpp>

#include <array>
#include <set>

namespace varnel_tool {

std::vector<InkInfo> describeInks(const varnel::Separation& separation, const std::vector<std::string>& overrides) {
    const size_t channels = separation.channels();
    if (!overrides.empty() && overrides.size() != channels) {
        throw UsageError("--ink-names gives " + std::to_string(overrides.size()) +
                         " names, but the configuration has " + std::to_string(channels) + " inks");
    }
    std::vector<InkInfo> inks;
    std::set<std::string> used;
    for (size_t channel = 0; channel < channels; ++channel) {
        const std::string name = overrides.empty() ? separation.inkName(channel) : overrides[channel];
        if (!used.insert(name).second) throw UsageError("--ink-names names '" + name + "' twice");
        const std::array<unsigned char, 3> rgb = separation.inkColor(channel);
        inks.push_back({name, {rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0}});
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
