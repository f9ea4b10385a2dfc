// A line segment: the line through two end points plus the end points and
// their bounding box. Hue masks describe each ramp by segments whose x axis
// is the hue in degrees and whose y axis is the mask amount.
#pragma once

#include "geometry/KLine.h"

class KSegment : public KLine {
public:
    // All end points and the box zero; the line fields keep the values of a
    // default KLine until the segment is placed with SetFromTwoPoints.
    KSegment() = default;
    KSegment(double x1, double y1, double x2, double y2);
    ~KSegment() override;

    const KRuntimeClass* GetRuntimeClass() const override;
    static const KRuntimeClass* ClassRecord();

    void SetFromTwoPoints(double x1, double y1, double x2, double y2) override;
    // Crossing with a line, judged against this segment's box only.
    unsigned Intersect(const KLine& line, double& x, double& y) const override;

    virtual void GetEndpoints(double& x1, double& y1, double& x2, double& y2) const;
    virtual void GetBounds(double& minX, double& minY, double& maxX, double& maxY) const;
    virtual bool SegmentContainsPoint(double x, double y, double tolerance) const;
    // Crossing with another segment, judged against both boxes.
    virtual unsigned IntersectSegment(const KSegment& other, double& x, double& y) const;

protected:
    void StoreEndpoints(double x1, double y1, double x2, double y2);

    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
};
