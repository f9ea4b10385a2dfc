// Integer walk along a straight line (Bresenham kind), used to draw straight
// stretches into 16-bit lookup tables.
#pragma once

#include <cstdint>

// One point of the walk; y comes first.
struct LinePoint {
    int32_t y;
    int32_t x;
};

// Writes the points from (x0, y0) to (x1, y1), both included, and returns
// their number, max(|dx|, |dy|) + 1. Writes nothing and returns 0 when that
// many points do not fit in capacity, or when points is null.
int RasterizeLine(LinePoint* points, int capacity, int x0, int y0, int x1, int y1);
