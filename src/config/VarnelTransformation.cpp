#include "config/VarnelTransformation.h"

#include "geometry/RasterizeLine.h"

#include <cstring>
#include <memory>

CVarnelTransformation::CVarnelTransformation()
{
    std::memset(m_tableA, 0, sizeof(m_tableA));
    std::memset(m_tableB, 0, sizeof(m_tableB));
}

CVarnelTransformation::~CVarnelTransformation() = default;

void CVarnelTransformation::Initialize()
{
    m_enabled = true;
}

void CVarnelTransformation::Reset()
{
    std::memset(m_tableA, 0, sizeof(m_tableA));
    std::memset(m_tableB, 0, sizeof(m_tableB));
}

void CVarnelTransformation::SetNumber(int32_t number) { m_number = number; }
void CVarnelTransformation::SetParam1(int32_t value) { m_param1 = value; }
void CVarnelTransformation::SetParam2(int32_t value) { m_param2 = value; }
void CVarnelTransformation::SetParam3(int32_t value) { m_param3 = value; }
int32_t CVarnelTransformation::GetNumber() const { return m_number; }
int32_t CVarnelTransformation::GetParam1() const { return m_param1; }
int32_t CVarnelTransformation::GetParam2() const { return m_param2; }
int32_t CVarnelTransformation::GetParam3() const { return m_param3; }
uint16_t* CVarnelTransformation::GetTableB() { return m_tableB; }
uint16_t* CVarnelTransformation::GetTableA() { return m_tableA; }

void DrawTableLine(uint16_t* table, int x1, int y1, int x2, int y2)
{
    if (table == nullptr)
        return;
    // One scratch walk per call; a line longer than the table has no
    // meaningful drawing, so RasterizeLine refuses it and nothing is written.
    std::unique_ptr<LinePoint[]> points(new LinePoint[kTableSize]);
    const int count = RasterizeLine(points.get(), kTableSize, x1, y1, x2, y2);
    if (count < 1 || count > kTableSize)
        return;
    for (int i = 0; i < count; ++i) {
        const LinePoint& p = points[i];
        // Stage parameters outside their valid range can place points
        // beyond the table; those points are dropped rather than clamped, so
        // that the entries inside keep exactly what the line gives them.
        if (p.x < 0 || p.x >= kTableSize)
            continue;
        table[p.x] = static_cast<uint16_t>(p.y);
    }
}
