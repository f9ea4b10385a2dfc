#include "geometry/KSegment.h"

KSegment::KSegment(double px1, double py1, double px2, double py2)
{
    KLine::SetFromTwoPoints(px1, py1, px2, py2);
    StoreEndpoints(px1, py1, px2, py2);
}

KSegment::~KSegment() = default;

const KRuntimeClass* KSegment::ClassRecord()
{
    static const KRuntimeClass record{"KSegment", static_cast<uint32_t>(sizeof(KSegment)),
                                      0xFFFF, nullptr, &KLine::ClassRecord};
    return &record;
}

const KRuntimeClass* KSegment::GetRuntimeClass() const { return ClassRecord(); }

void KSegment::StoreEndpoints(double px1, double py1, double px2, double py2)
{
    x1 = px1;
    y1 = py1;
    x2 = px2;
    y2 = py2;
    minX = (px1 < px2) ? px1 : px2;
    maxX = (px1 < px2) ? px2 : px1;
    minY = (py1 < py2) ? py1 : py2;
    maxY = (py1 < py2) ? py2 : py1;
}

void KSegment::SetFromTwoPoints(double px1, double py1, double px2, double py2)
{
    KLine::SetFromTwoPoints(px1, py1, px2, py2);
    StoreEndpoints(px1, py1, px2, py2);
}

unsigned KSegment::Intersect(const KLine& line, double& x, double& y) const
{
    const unsigned result = KLine::Intersect(line, x, y);
    if (result == LINE_SAME)
        return LINE_SAME;
    if (result == LINE_PARALLEL)
        return LINE_PARALLEL;
    if (result != LINE_CROSS)
        return LINE_FAILED;
    // The point is written either way: the ramp evaluation extrapolates a
    // segment past its box.
    const bool inBox = minX <= x && x <= maxX && minY <= y && y <= maxY;
    return inBox ? LINE_CROSS : SEG_OUTSIDE;
}

void KSegment::GetEndpoints(double& outX1, double& outY1, double& outX2, double& outY2) const
{
    outX1 = x1;
    outY1 = y1;
    outX2 = x2;
    outY2 = y2;
}

void KSegment::GetBounds(double& outMinX, double& outMinY, double& outMaxX,
                         double& outMaxY) const
{
    outMinX = minX;
    outMinY = minY;
    outMaxX = maxX;
    outMaxY = maxY;
}

bool KSegment::SegmentContainsPoint(double x, double y, double tolerance) const
{
    return ContainsPoint(x, y, tolerance) && minX - tolerance <= x && x <= maxX + tolerance &&
           minY - tolerance <= y && y <= maxY + tolerance;
}

unsigned KSegment::IntersectSegment(const KSegment& other, double& x, double& y) const
{
    const unsigned result = KLine::Intersect(other, x, y);
    if (result == LINE_SAME) {
        const bool sameEnds =
            x1 == other.x1 && y1 == other.y1 && x2 == other.x2 && y2 == other.y2;
        return sameEnds ? LINE_SAME : SEG_SAME_LINE;
    }
    if (result == LINE_PARALLEL)
        return LINE_PARALLEL;
    if (result != LINE_CROSS)
        return LINE_FAILED;
    const bool inThis = minX <= x && x <= maxX && minY <= y && y <= maxY;
    const bool inOther =
        other.minX <= x && x <= other.maxX && other.minY <= y && y <= other.maxY;
    return (inThis && inOther) ? LINE_CROSS : SEG_OUTSIDE;
}
