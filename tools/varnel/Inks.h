// The inks of a separation as the tool shows and writes them: the
// library's names and display colours, which --ink-names and --ink-colors
// may replace.
#ifndef VARNEL_TOOL_INKS_H
#define VARNEL_TOOL_INKS_H

#include "ColourMath.h"

#include <string>
#include <vector>

namespace varnel {
class Separation;
}

namespace varnel_tool {

struct InkInfo {
    std::string name;
    RgbColour colour;  // how the ink looks on paper, for proofs and charts
};

// One entry per channel, as the library names and shows them. overrides,
// when not empty, must hold one distinct name per channel (UsageError
// otherwise); they rename the inks, their colours stay.
std::vector<InkInfo> describeInks(const varnel::Separation& separation, const std::vector<std::string>& overrides);

// Splits a comma-separated --ink-names value; blanks around names are cut.
std::vector<std::string> splitInkNames(const std::string& list);

// Sets the display colours from an --ink-colors value: one RRGGBB (hex,
// '#' optional) per ink, comma-separated. Throws UsageError.
void applyInkColours(const std::string& list, std::vector<InkInfo>& inks);

} // namespace varnel_tool

#endif
