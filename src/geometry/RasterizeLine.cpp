#include "geometry/RasterizeLine.h"

int RasterizeLine(LinePoint* points, int capacity, int x0, int y0, int x1, int y1)
{
    if (points == nullptr || capacity <= 0)
        return 0;
    int count = 0;
    // n <= capacity <= INT32_MAX, so the count fits in an int.
    WalkLine(capacity, x0, y0, x1, y1, [&](const LinePoint& p) { points[count++] = p; });
    return count;
}
