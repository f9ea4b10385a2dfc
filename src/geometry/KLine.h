// A straight line in the plane, kept in general form a*x + b*y + c = 0 with
// its slope and intercept alongside. Hue-mask ramps are evaluated by
// intersecting a segment with the vertical line through a hue.
//
// A vertical line is marked by slope -1.0. A genuine line falling at 45
// degrees has the same slope and is therefore treated as vertical by YAtX,
// ComputeAngle and Intersect; callers rely on exactly this behaviour.
#pragma once

#include "base/KBaseObject.h"

// Result codes of KLine::Intersect, KSegment::Intersect and
// KSegment::IntersectSegment.
constexpr unsigned LINE_CROSS = 0;         // one crossing point, written out
constexpr unsigned LINE_SAME = 1;          // equal slope and intercept
constexpr unsigned LINE_PARALLEL = 2;      // equal slope, other intercept
constexpr unsigned SEG_OUTSIDE = 0x8000;   // crossing outside a segment box
constexpr unsigned SEG_SAME_LINE = 0x8001; // same line, other end points
constexpr unsigned LINE_FAILED = 0xFFFF;   // anything else

class KLine : public KBaseObject {
public:
    KLine() = default;
    ~KLine() override;

    const KRuntimeClass* GetRuntimeClass() const override;
    static const KRuntimeClass* ClassRecord();

    // Setters rewrite a, b, c, slope and intercept and mark the caches
    // (norm, angle) as not computed.
    virtual void SetSlopeIntercept(double slope, double intercept);
    virtual void SetCoefficients(double a, double b, double c);
    virtual void SetFromTwoPoints(double x1, double y1, double x2, double y2);
    virtual void SetSlopeThroughPoint(double slope, double x, double y);

    // The caches are refreshed only on request, so that evaluating a ramp
    // costs no square root or trigonometry.
    virtual void ComputeNorm();
    virtual void ComputeAngle();

    virtual void GetCoefficients(double& a, double& b, double& c) const;
    virtual double GetSlope() const;
    virtual double GetIntercept() const;
    virtual double GetAngle() const;

    virtual double XAtY(double y) const;
    virtual double YAtX(double x) const;
    virtual bool ContainsPoint(double x, double y, double tolerance) const;
    virtual unsigned Intersect(const KLine& other, double& x, double& y) const;
    virtual double AngleTo(const KLine& other) const;
    virtual double DistanceToPoint(double x, double y) const;
    virtual void PointAtDistance(double x0, double y0, double distance, double& x,
                                 double& y) const;

    // Cached values as they stand (0, 0, 1 and 0 until computed).
    double GetNorm() const { return norm; }
    double GetCosAngle() const { return cosAngle; }
    double GetSinAngle() const { return sinAngle; }

protected:
    void ResetCaches();

    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    double slope = 0.0;
    double intercept = 0.0;
    double norm = 0.0;
    double angle = 0.0;
    double cosAngle = 1.0;
    double sinAngle = 0.0;
};
