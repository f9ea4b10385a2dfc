// Integer walk along a straight line (Bresenham kind), used to draw straight
// stretches into 16-bit lookup tables.
#pragma once

#include <cmath>
#include <cstdint>

// One point of the walk; y comes first.
struct LinePoint {
    int32_t y;
    int32_t x;
};

namespace line_walk {

// Step of -1, 0 or +1 towards the end point: 0 when the difference, as a
// double, is at most 1e-7 (for integers: when it is 0).
inline int64_t StepOf(int64_t delta)
{
    if (std::fabs(static_cast<double>(delta)) <= 1e-7)
        return 0;
    return delta < 0 ? -1 : 1;
}

}  // namespace line_walk

// Calls visit(LinePoint) for each point from (x0, y0) to (x1, y1), both
// included, in order, and returns their number, max(|dx|, |dy|) + 1. When
// that number exceeds limit, visits nothing and returns 0. A template so
// that a caller drawing into a table needs no buffer of points.
template <typename Visit>
int64_t WalkLine(int64_t limit, int x0, int y0, int x1, int y1, Visit&& visit)
{
    // 64-bit arithmetic: differences of extreme coordinates and the doubled
    // error terms would overflow 32 bits. Where 32 bits do not overflow the
    // results are the same.
    const int64_t dx = static_cast<int64_t>(x1) - x0;
    const int64_t dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t sx = line_walk::StepOf(dx);
    const int64_t sy = line_walk::StepOf(dy);

    const int64_t n = (adx >= ady ? adx : ady) + 1;
    if (limit < n)
        return 0;

    // Every coordinate walked lies between the two end points, so it fits
    // in 32 bits.
    int64_t x = x0;
    int64_t y = y0;
    visit(LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)});

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
            visit(LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)});
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
            visit(LinePoint{static_cast<int32_t>(y), static_cast<int32_t>(x)});
        }
    }
    return n;
}

// Writes the points of WalkLine into points and returns their number.
// Writes nothing and returns 0 when that many points do not fit in
// capacity, or when points is null.
int RasterizeLine(LinePoint* points, int capacity, int x0, int y0, int x1, int y1);
