#include "ColourMath.h"

#include <cmath>

namespace varnel_tool {

namespace {

double hueToComponent(double p, double q, double t) {
    if (t < 0.0) t += 1.0;
    if (t > 1.0) t -= 1.0;
    if (t < 1.0 / 6.0) return p + (q - p) * 6.0 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3.0) return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

} // namespace

RgbColour hslToRgb(double hueDegrees, double saturation, double lightness) {
    if (saturation <= 0.0) return {lightness, lightness, lightness};
    double h = std::fmod(hueDegrees, 360.0);
    if (h < 0.0) h += 360.0;
    h /= 360.0;
    const double q = lightness < 0.5 ? lightness * (1.0 + saturation)
                                     : lightness + saturation - lightness * saturation;
    const double p = 2.0 * lightness - q;
    return {hueToComponent(p, q, h + 1.0 / 3.0), hueToComponent(p, q, h),
            hueToComponent(p, q, h - 1.0 / 3.0)};
}

} // namespace varnel_tool
