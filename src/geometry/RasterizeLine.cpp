#include "geometry/RasterizeLine.h"

#include <cmath>

namespace {

// Step of -1, 0 or +1 towards the end point. The 1e-7 test on the
// difference as a double is kept as the table drawing has always made it.
int64_t StepOf(int64_t delta)
{
    if (std::fabs(static_cast<double>(delta)) <= 1e-7)
        return 0;
    return delta < 0 ? -1 : 1;
}

}  // namespace

int RasterizeLine(LinePoint* points, int capacity, int x0, int y0, int x1, int y1)
{
    if (points == nullptr || capacity <= 0)
        return 0;

    // 64-bit arithmetic: differences of extreme coordinates and the doubled
    // error terms would overflow 32 bits. Where 32 bits do not overflow the
    // results are the same.
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t sx = StepOf(dx);
    const int64_t sy = StepOf(dy);

    const int64_t n = (adx >= ady ? adx : ady) + 1;
    if (capacity < n)
        return 0;

    // From here n <= capacity <= INT32_MAX and every coordinate walked lies
    // between the two end points, so it fits in 32 bits.
    int64_t x = x0;
    int64_t y = y0;
    int count = 0;
    points[count++] = LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)};

    if (adx >= ady) {
        int64_t err = 2 * ady - adx;
        for (int64_t i = 0; i < adx; ++i) {
            x += sx;
            if (err >= 0) {
                y += sy;
                err += 2 * (ady - adx);
            } else {
                err += 2 * ady;
            }
            points[count++] = LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)};
        }
    } else {
        int64_t err = 2 * adx - ady;
        for (int64_t i = 0; i < ady; ++i) {
            y += sy;
            if (err >= 0) {
                x += sx;
                err += 2 * (adx - ady);
            } else {
                err += 2 * adx;
            }
            points[count++] = LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)};
        }
    }
    return count;
}
