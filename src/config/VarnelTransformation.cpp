#include "config/VarnelTransformation.h"

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
// only the last point at an x stays. This walk takes the same steps as
// WalkLine but jumps over each run of steps that keep x (the steps whose
// error term is still negative) and writes once per x.
void DrawSteepLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const int64_t sx = dx < 0 ? -1 : (dx > 0 ? 1 : 0);
    const int64_t sy = dy < 0 ? -1 : 1;
    const int64_t rise = 2 * adx;
    // After a step that moves x the error term lies in
    // [2|dx| - 2|dy|, 4|dx| - 2|dy|), so every later run is at least this
    // long; the first run starts from 2|dx| - |dy| and is computed once.
    const int64_t shortest = adx == 0 ? 0 : std::max<int64_t>(0, (ady - 2 * adx) / adx);
    int64_t x = x1;
    int64_t y = y1;
    int64_t err = 2 * adx - ady;
    int64_t remaining = ady;
    bool first = true;
    while (remaining > 0) {
        if (err < 0) {
            // The run ends at the first step whose error term is not
            // negative: ceil(-err / rise) steps.
            int64_t run = remaining;
            if (adx != 0) {
                run = first ? (-err + rise - 1) / rise : shortest;
                while (err + run * rise < 0)
                    ++run;
                run = run < remaining ? run : remaining;
            }
            y += run * sy;
            err += run * rise;
            remaining -= run;
        } else {
            PutPoint(table, x, y);
            x += sx;
            y += sy;
            err += 2 * (adx - ady);
            --remaining;
        }
        first = false;
    }
    PutPoint(table, x, y);
}

}  // namespace

void DrawTableLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    if (table == nullptr)
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
