#include "PresetSuggestion.h"

#include "Configuration.h"

#include <algorithm>
#include <cctype>

namespace varnel_tool {

namespace {

constexpr size_t kMaxEdits = 2;
constexpr size_t kMaxSuggestions = 3;

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Edits between a and b, where swapping two neighbours is one edit.
size_t distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::vector<std::string> PresetSuggestion::nearest(const std::string& name, const std::vector<std::string>& names) {
    const std::string wanted = upper(name);
    std::string letters = wanted;
    std::sort(letters.begin(), letters.end());
    for (const std::string& candidate : names) {
        std::string theirs = upper(candidate);
        std::sort(theirs.begin(), theirs.end());
        if (theirs == letters) return {candidate};
    }
    std::vector<std::string> best;
    size_t bestDistance = kMaxEdits + 1;
    for (const std::string& candidate : names) {
        const size_t edits = distance(wanted, upper(candidate));
        if (edits < bestDistance) best.clear();
        if (edits <= bestDistance) {
            best.push_back(candidate);
            bestDistance = edits;
        }
    }
    return best.size() <= kMaxSuggestions ? best : std::vector<std::string>();
}

std::string PresetSuggestion::unknownPresetMessage(const std::string& name) {
    std::string message = "unknown preset '" + name + "'";
    const std::vector<std::string> suggestions = nearest(name, presetNames());
    for (size_t i = 0; i < suggestions.size(); ++i) {
        message += (i == 0 ? "; did you mean " : i + 1 == suggestions.size() ? " or " : ", ") + suggestions[i];
    }
    return message + (suggestions.empty() ? "" : "?") + " (varnel presets lists them)";
}

} // namespace varnel_tool
