#include "config/VarnelTransformation.h"

#include "config/VarnelCurvePause.h"

#include <algorithm>
#include <cstddef>

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

// Writes y1 + sy floor((a k + b) / d) (low 16 bits) to entry x1 + sx k for
// each k from first to last, entries that all lie in the table; a, b >= 0
// and d > 0. From one k to the next the quotient grows by a / d,
// and by one more when the rest passes d: the value follows in 16-bit
// arithmetic, which wraps to what the store keeps, and the index in
// unsigned arithmetic, both by additions alone.
void DrawRun(uint16_t* table, int64_t x1, int64_t y1, int64_t sx, int64_t sy, int64_t first, int64_t last,
             int64_t a, int64_t b, int64_t d)
{
    if (first > last)
        return;
    const uint64_t divisor = uint64_t(d);
    const uint64_t restGain = uint64_t(a) % divisor;
    const int64_t numerator = a * first + b;
    uint64_t rest = uint64_t(numerator) % divisor;
    const uint16_t valueGain = static_cast<uint16_t>(sy * (a / d));
    const uint16_t carry = static_cast<uint16_t>(sy);
    uint16_t value = static_cast<uint16_t>(y1 + sy * (numerator / d));
    size_t index = static_cast<size_t>(x1 + sx * first);
    const size_t indexGain = static_cast<size_t>(sx);
    for (int64_t count = last - first + 1; count > 0; --count) {
        table[index] = value;
        index += indexGain;
        value = static_cast<uint16_t>(value + valueGain);
        rest += restGain;
        if (rest >= divisor) {
            rest -= divisor;
            value = static_cast<uint16_t>(value + carry);
        }
    }
}

}  // namespace

void DrawTableLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    if (table == nullptr || CVarnelCurvePause::Active())
        return;
    const int64_t dx = static_cast<int64_t>(x2) - x1;
    const int64_t dy = static_cast<int64_t>(y2) - y1;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    // A line of more points than the table has entries has no meaningful
    // drawing: nothing is written.
    if (std::max(adx, ady) >= kTableSize)
        return;
    if (ady == 0) {
        // A level line gives every entry it covers the same value: a fill
        // writes what the walk writes.
        const int64_t first = std::max<int64_t>(std::min(x1, x2), 0);
        const int64_t last = std::min<int64_t>(std::max(x1, x2), kTableSize - 1);
        if (first <= last)
            std::fill(table + first, table + last + 1, static_cast<uint16_t>(y1));
        return;
    }
    if (adx == 0) {
        // Every point at one x: the last, the end point, stays.
        PutPoint(table, x1, y2);
        return;
    }
    // The k whose x = x1 + k sx lies in the table.
    const int64_t sx = dx < 0 ? -1 : 1;
    const int64_t sy = dy < 0 ? -1 : 1;
    const int64_t first = std::max<int64_t>(0, sx > 0 ? -int64_t{x1} : int64_t{x1} - (kTableSize - 1));
    const int64_t last = std::min<int64_t>(adx, sx > 0 ? (kTableSize - 1) - int64_t{x1} : int64_t{x1});
    if (ady <= adx) {
        // Every point has an x of its own. The walk moves x at every step
        // and y at the steps whose error term is not negative: at the k-th
        // x, y has moved floor((2|dy| k + |dx|) / (2|dx|)) times.
        DrawRun(table, x1, y1, sx, sy, first, last, 2 * ady, adx, 2 * adx);
        return;
    }
    // A line whose y changes faster than its x visits each x many times and
    // only the last point at an x stays. The walk moves y at every step and
    // x at the steps whose error term is not negative; after i steps x has
    // moved floor((2|dx| i + |dy|) / (2|dy|)) times. So the last step at the
    // k-th x (k < |dx|) is ceil(|dy| (2k + 1) / (2|dx|)) - 1, that is
    // floor((2|dy| k + |dy| - 1) / (2|dx|)), and at the end point's x the
    // last step is the end point.
    DrawRun(table, x1, y1, sx, sy, first, std::min(last, adx - 1), 2 * ady, ady - 1, 2 * adx);
    if (first <= last && last == adx)
        table[x2] = static_cast<uint16_t>(y2);
}
