// The names and display colours of a configuration's inks.
//
// The rule:
//  - A channel driven by an active hue mask is a hue ink; the black channel
//    (BLACKMASK) without one is "Black"; any other channel is "Ink<n>", n
//    its number, shown as mid grey.
//  - For a preset, the letters of its name after "HUE_PARAM_" name the
//    inks: K the black channel, every other letter a hue ink. Letters and
//    hue inks are paired in hue order: the letters by the hue of the ink
//    they stand for, the channels by the centre of their mask's full
//    strength, both counted from 270 degrees round the circle. Letters: C
//    Cyan, M Magenta, Y Yellow, K Black, R Red, O Orange, D Dark Yellow, G
//    Green, B Blue, V Violet.
//  - Otherwise (a file, a text, or an extra text that changed the number of
//    hue inks), channels 0, 1 and 2 are Cyan, Magenta and Yellow and any
//    other hue ink is named after the hue of its mask's centre.
//  - A name given twice gets its count appended ("Orange 2").
// Display colours follow the ink, never a name a host gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CVarnel;

struct VarnelInk {
    std::string name;
    uint8_t rgb[3];  // how the ink looks on white paper, sRGB
};

class CVarnelInkNames {
public:
    // presetName: the preset's name, or empty when the configuration is no
    // preset.
    static std::vector<VarnelInk> Describe(CVarnel& configuration, const std::string& presetName);

    // The common name of a hue in degrees: Red, Orange, Yellow, Lime,
    // Green, Cyan, Blue, Violet, Magenta or Rubine.
    static const char* HueName(double degrees);
};
