// One configuration text in place of a text and an extra text applied over
// it: the first text without the statements whose keys the extra text sets,
// followed by the extra text's statements. Variables come from the first
// text alone, as when the two are applied one after the other, so the extra
// text's definitions ("#...") are left out.
//
// Whether the result loads as the same separation depends on how each stage
// reads its statements, so callers check it before handing it out.
#pragma once

#include <string>

class CVarnelMergedText {
public:
    static std::string Merge(const std::string& text, const std::string& extra);
};
