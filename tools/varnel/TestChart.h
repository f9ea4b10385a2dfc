// A colour test chart, computed pixel by pixel so that it can be written
// row by row at any size: four hue circles at rising lightness (hue round
// the circle, saturation out from the centre), a grey ramp, skin tones and
// saturated patches round the hue circle, on white paper.
#ifndef VARNEL_TOOL_TESTCHART_H
#define VARNEL_TOOL_TESTCHART_H

#include "ColourMath.h"

#include <cstdint>

namespace varnel_tool {

class TestChart {
public:
    TestChart(uint32_t width, uint32_t height);

    RgbColour pixel(uint32_t x, uint32_t y) const;
    // One row of packed RGB samples scaled to 0..max (255 or 65535).
    // noise > 0 adds a fixed pseudo-random offset of up to +-noise levels
    // per sample, so that images behave like photographs rather than flat
    // patches (which the library serves from its last-pixel memory).
    void row(uint32_t y, unsigned max, unsigned noise, uint16_t* rgb) const;

private:
    RgbColour hueCircles(double x, double y) const;
    RgbColour patchRow(double x, const RgbColour* colours, int count) const;

    uint32_t m_width;
    uint32_t m_height;
};

} // namespace varnel_tool

#endif
