// Names and display colours of the ink channels of a configuration.
//
// The library reports only a channel count, so the tool reads the hue-mask
// statements of the configuration text itself, the way the library applies
// them: the first "HUEMASKnn=" of a text counts, a "*HUEMASKnn=" anywhere
// switches it off, BLACKMASK marks the black channel (which no hue drives),
// and an extra text is applied over the preset or file text.
#ifndef VARNEL_TOOL_INKNAMING_H
#define VARNEL_TOOL_INKNAMING_H

#include "ColourMath.h"

#include <map>
#include <string>
#include <vector>

namespace varnel_tool {

struct HueMask {
    long hues[4] = {0, 0, 0, 0};  // zero, full, full, zero (degrees)
    bool active = true;
};

class HueMaskSet {
public:
    // Applies one configuration text (a preset, a file's content or an
    // extra text) over what earlier texts set.
    void apply(const std::string& text);
    const std::map<int, HueMask>& masks() const { return m_masks; }
    int blackChannel() const { return m_blackChannel; }  // -1: none

private:
    std::map<int, HueMask> m_masks;
    int m_blackChannel = -1;
};

// The centre, in degrees [0, 360), of the range where a mask is at full
// strength (its second to third hue, going round the circle).
double fullStrengthCentre(const HueMask& mask);

// The common name of a hue: Red, Orange, Yellow, Lime, Green, Cyan, Blue,
// Violet, Magenta or Rubine.
std::string hueName(double degrees);

struct InkInfo {
    std::string name;
    RgbColour colour;  // how the ink looks on paper, for proofs and charts
    bool hasHue;       // false: no active hue mask drives the channel
    double hue;        // full-strength centre in degrees when hasHue
};

// One entry per channel. Channels 0 to 2 are the process inks Cyan, Magenta
// and Yellow, the BLACKMASK channel is Black, other channels are named
// after their mask's hue, and a channel without an active mask gets the
// neutral name "Ink<n>" (n its channel number). Repeated names get a
// number appended so that plate files stay apart. overrides, when not
// empty, must hold one name per channel (UsageError otherwise).
std::vector<InkInfo> describeInks(const HueMaskSet& masks, int channels,
                                  const std::vector<std::string>& overrides);

// Splits a comma-separated --ink-names value; blanks around names are cut.
std::vector<std::string> splitInkNames(const std::string& list);

// Sets the display colours from an --ink-colors value: one RRGGBB (hex,
// '#' optional) per ink, comma-separated. Throws UsageError.
void applyInkColours(const std::string& list, std::vector<InkInfo>& inks);

} // namespace varnel_tool

#endif
