#include "config/VarnelTransformation.h"

#include "config/VarnelCurvePause.h"
#include "geometry/RasterizeLine.h"

#include <algorithm>
#include <cstdlib>

CVarnelTransformation::CVarnelTransformation() = default;

CVarnelTransformation::~CVarnelTransformation() = default;

void CVarnelTransformation::Initialize()
{
    m_enabled = true;
}

void CVarnelTransformation::Reset()
{
    m_tableA.Clear();
    m_tableB.Clear();
}

void CVarnelTransformation::SetNumber(int32_t number) { m_number = number; }
void CVarnelTransformation::SetParam1(int32_t value) { m_param1 = value; }
void CVarnelTransformation::SetParam2(int32_t value) { m_param2 = value; }
void CVarnelTransformation::SetParam3(int32_t value) { m_param3 = value; }
int32_t CVarnelTransformation::GetNumber() const { return m_number; }
int32_t CVarnelTransformation::GetParam1() const { return m_param1; }
int32_t CVarnelTransformation::GetParam2() const { return m_param2; }
int32_t CVarnelTransformation::GetParam3() const { return m_param3; }
uint16_t* CVarnelTransformation::GetTableB() { return m_tableB.Data(); }
uint16_t* CVarnelTransformation::GetTableA() { return m_tableA.Data(); }

namespace {

// Writes y to entry x when x lies in the table. Stage parameters outside
// their valid range can place points beyond the table; those points are
// dropped rather than clamped, so that the entries inside keep exactly what
// the line gives them.
inline void PutPoint(uint16_t* table, int64_t x, int64_t y)
{
    if (x >= 0 && x < kTableSize)
        table[x] = static_cast<uint16_t>(y);
}

// A line whose y changes faster than its x visits each x many times and
// only the last point at an x stays. The walk moves y at every step and x
// at the steps whose error term is not negative; after i steps x has moved
// floor((2|dx| i + |dy|) / (2|dy|)) times. So the last step at the k-th x
// (k < |dx|) is ceil(|dy| (2k + 1) / (2|dx|)) - 1, and at the end point's
// x the last step is the end point. Each x of the table is written once,
// with the quotient carried from one x to the next.
void DrawSteepLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t sy = dy < 0 ? -1 : 1;
    if (adx == 0) {
        PutPoint(table, x1, y2);
        return;
    }
    // The k whose x = x1 + k sx lies in the table.
    const int64_t sx = dx < 0 ? -1 : 1;
    const int64_t first = std::max<int64_t>(0, sx > 0 ? -int64_t{x1} : int64_t{x1} - (kTableSize - 1));
    const int64_t last = std::min<int64_t>(adx, sx > 0 ? (kTableSize - 1) - int64_t{x1} : int64_t{x1});
    // Last step at the k-th x: floor((|dy| (2k + 1) - 1) / (2|dx|)).
    const int64_t divisor = 2 * adx;
    const int64_t numerator = ady * (2 * first + 1) - 1;
    int64_t step = numerator / divisor;
    int64_t rest = numerator % divisor;
    const int64_t stepGain = (2 * ady) / divisor;
    const int64_t restGain = (2 * ady) % divisor;
    for (int64_t k = first; k <= last && k < adx; ++k) {
        table[x1 + sx * k] = static_cast<uint16_t>(y1 + sy * step);
        step += stepGain;
        rest += restGain;
        if (rest >= divisor) {
            rest -= divisor;
            ++step;
        }
    }
    if (first <= last && last == adx)
        table[x2] = static_cast<uint16_t>(y2);
}

}  // namespace

void DrawTableLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    if (table == nullptr || CVarnelCurvePause::Active())
        return;
    const int64_t adx = std::abs(static_cast<int64_t>(x2) - x1);
    const int64_t ady = std::abs(static_cast<int64_t>(y2) - y1);
    // A line of more points than the table has entries has no meaningful
    // drawing: nothing is written.
    if (std::max(adx, ady) >= kTableSize)
        return;
    if (ady > adx) {
        DrawSteepLine(table, x1, y1, x2, y2);
        return;
    }
    if (ady == 0) {
        // A level line gives every entry it covers the same value: a fill
        // writes what the walk writes.
        const int64_t first = std::max<int64_t>(std::min(x1, x2), 0);
        const int64_t last = std::min<int64_t>(std::max(x1, x2), kTableSize - 1);
        if (first <= last)
            std::fill(table + first, table + last + 1, static_cast<uint16_t>(y1));
        return;
    }
    // Otherwise every point has an x of its own.
    WalkLine(kTableSize, x1, y1, x2, y2, [table](const LinePoint& p) { PutPoint(table, p.x, p.y); });
}
