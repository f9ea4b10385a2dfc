// The answer to a preset name that does not exist, ignoring case: the
// preset with the same letters in another order (the inks named in a
// different order, the most common slip), else the nearest presets by edit
// distance (insertions, deletions, substitutions and swaps of two
// neighbours, each counting one) when they are few and near enough to be
// what was meant.
#ifndef VARNEL_TOOL_PRESETSUGGESTION_H
#define VARNEL_TOOL_PRESETSUGGESTION_H

#include <string>
#include <vector>

namespace varnel_tool {

class PresetSuggestion {
public:
    // The suggestions among names, in their order: the one with the same
    // letters, else the nearest within two edits when at most three are
    // that near; empty otherwise.
    static std::vector<std::string> nearest(const std::string& name, const std::vector<std::string>& names);
    // "unknown preset 'X'; did you mean Y or Z? (varnel presets lists them)"
    static std::string unknownPresetMessage(const std::string& name);
};

} // namespace varnel_tool

#endif
