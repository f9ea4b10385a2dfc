#include "Resolution.h"

#include <cmath>

namespace varnel_tool {

namespace {

constexpr double kMetresPerInch = 0.0254;

bool plausible(double value) {
    return std::isfinite(value) && value > 0 && value <= 1e6;
}

double fromPerMetre(uint32_t value) {
    const double dpi = value * kMetresPerInch;
    const double whole = std::round(dpi);
    return std::fabs(dpi - whole) <= kMetresPerInch / 2 ? whole : dpi;
}

} // namespace

Resolution Resolution::perInch(double x, double y) {
    return plausible(x) && plausible(y) ? Resolution{x, y} : Resolution{};
}

Resolution Resolution::perCentimetre(double x, double y) {
    return perInch(x * 2.54, y * 2.54);
}

Resolution Resolution::perMetre(uint32_t x, uint32_t y) {
    return perInch(fromPerMetre(x), fromPerMetre(y));
}

uint32_t Resolution::pixelsPerMetre(double dotsPerInch) {
    return static_cast<uint32_t>(std::lround(dotsPerInch / kMetresPerInch));
}

} // namespace varnel_tool
