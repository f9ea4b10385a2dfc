// Colour helpers for the pictures the tool draws (test chart, chart, proof
// colours of inks). Plain sRGB values in [0, 1]; no colour management.
#ifndef VARNEL_TOOL_COLOURMATH_H
#define VARNEL_TOOL_COLOURMATH_H

#include <cstdint>

namespace varnel_tool {

struct RgbColour {
    double r, g, b;  // each in [0, 1]
};

// Hue in degrees (any value, taken modulo 360), saturation and lightness
// in [0, 1]. The same hue convention as the separation: 0 red, 60 yellow,
// 120 green, 180 cyan, 240 blue, 300 magenta.
RgbColour hslToRgb(double hueDegrees, double saturation, double lightness);

// Rounds a [0, 1] component to 0..max (255 or 65535), clamping first,
// halves away from zero (as std::lround). Inline and without a library
// call: the proof quantises three components of every pixel.
inline uint16_t quantise(double component, unsigned max) {
    if (!(component > 0.0)) return 0;
    if (component >= 1.0) return static_cast<uint16_t>(max);
    const double scaled = component * max;
    const auto whole = static_cast<uint32_t>(scaled);
    // The fraction of a double below 2^52 is exact.
    return static_cast<uint16_t>(whole + (scaled - whole >= 0.5 ? 1u : 0u));
}

} // namespace varnel_tool

#endif
