#include "geometry/KLine.h"

#include <cmath>

namespace {
constexpr double kVerticalMarker = -1.0;
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
}  // namespace

KLine::~KLine() = default;

const KRuntimeClass* KLine::ClassRecord()
{
    // Built on first use, so that it is complete before any static object
    // of another translation unit can ask for it.
    static const KRuntimeClass record{"KLine", static_cast<uint32_t>(sizeof(KLine)), 0xFFFF,
                                      nullptr, &KBaseObject::ClassRecord};
    return &record;
}

const KRuntimeClass* KLine::GetRuntimeClass() const { return ClassRecord(); }

void KLine::ResetCaches()
{
    norm = 0.0;
    angle = 0.0;
    sinAngle = 0.0;
    cosAngle = 1.0;
}

void KLine::SetSlopeIntercept(double m, double q)
{
    if (m == kVerticalMarker) {
        // The intercept of a vertical line is its x position.
        a = 1.0;
        b = 0.0;
    } else {
        b = 1.0;
        a = (m == 0.0) ? 0.0 : -m;  // +0 rather than -0 for a horizontal line
    }
    c = -q;
    slope = m;
    intercept = q;
    ResetCaches();
}

void KLine::SetCoefficients(double newA, double newB, double newC)
{
    a = newA;
    b = newB;
    c = newC;
    if (b == 0.0) {
        slope = kVerticalMarker;
        intercept = kVerticalMarker;
    } else {
        slope = -(a / b);
        intercept = -(c / b);
    }
    ResetCaches();
}

void KLine::SetFromTwoPoints(double x1, double y1, double x2, double y2)
{
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    if (dx == 0.0) {
        // Also the result for two identical points.
        a = 1.0;
        b = 0.0;
        c = -x1;
        slope = kVerticalMarker;
        intercept = kVerticalMarker;
    } else {
        a = (dy == 0.0) ? 0.0 : -dy / dx;
        b = 1.0;
        c = -(a * x1) - y1;
        slope = -a;  // -0.0 for a horizontal line
        intercept = -c;
    }
    ResetCaches();
}

void KLine::SetSlopeThroughPoint(double m, double x, double y)
{
    if (m == kVerticalMarker) {
        a = 1.0;
        b = 0.0;
    } else {
        a = (m == 0.0) ? 0.0 : -m;
        b = 1.0;
    }
    c = -(a * x) - b * y;
    slope = m;
    intercept = (b == 0.0) ? kVerticalMarker : -c;
    ResetCaches();
}

void KLine::ComputeNorm() { norm = std::sqrt(a * a + b * b); }

void KLine::ComputeAngle()
{
    if (slope == kVerticalMarker) {
        angle = kHalfPi;
        cosAngle = 0.0;
        sinAngle = 1.0;
    } else {
        angle = std::atan(slope);
        cosAngle = std::cos(angle);
        sinAngle = std::sin(angle);
    }
}

void KLine::GetCoefficients(double& outA, double& outB, double& outC) const
{
    outA = a;
    outB = b;
    outC = c;
}

double KLine::GetSlope() const { return slope; }

double KLine::GetIntercept() const { return intercept; }

double KLine::GetAngle() const { return angle; }

double KLine::XAtY(double y) const
{
    if (a == 0.0)
        return -1.0;
    return (-b * y - c) / a;
}

double KLine::YAtX(double x) const
{
    if (slope == kVerticalMarker)
        return -1.0;
    return slope * x + intercept;
}

bool KLine::ContainsPoint(double x, double y, double tolerance) const
{
    if (a == 0.0 && b == 0.0)
        return false;
    if (a == 0.0) {
        const double y0 = -c / b;
        return y0 - tolerance <= y && y <= y0 + tolerance;
    }
    if (b == 0.0) {
        const double x0 = -c / a;
        return x0 - tolerance <= x && x <= x0 + tolerance;
    }
    // Test along the axis in which the line moves more slowly.
    if (-1.0 < slope && slope < 1.0) {
        const double y0 = (-(a * x) - c) / b;
        return y0 - tolerance <= y && y <= y0 + tolerance;
    }
    const double x0 = (-(b * y) - c) / a;
    return x0 - tolerance <= x && x <= x0 + tolerance;
}

unsigned KLine::Intersect(const KLine& other, double& x, double& y) const
{
    // Comparing the slope fields makes the vertical marker meet a 45-degree
    // falling line as parallel; the ramp evaluation depends on it.
    if (slope == other.slope)
        return (intercept == other.intercept) ? LINE_SAME : LINE_PARALLEL;

    const double a2 = other.a;
    const double b2 = other.b;
    const double c2 = other.c;
    y = (a2 * c - c2 * a) / (b2 * a - a2 * b);
    if (a == 0.0)
        x = ((b2 - b) * y - c + c2) / (a - a2);
    else
        x = (-b * y - c) / a;
    return LINE_CROSS;
}

double KLine::AngleTo(const KLine& other) const
{
    // Lines have no direction: fold the difference into [-pi/2, pi/2].
    const double d = other.angle - angle;
    if (d > kHalfPi)
        return d - kPi;
    if (d < -kHalfPi)
        return d + kPi;
    return d;
}

double KLine::DistanceToPoint(double x, double y) const
{
    if (norm == 0.0)
        return 0.0;  // norm not computed since the last setter
    return std::fabs(a * x + b * y + c) / norm;
}

void KLine::PointAtDistance(double x0, double y0, double distance, double& x, double& y) const
{
    x = distance * cosAngle + x0;
    y = distance * sinAngle + y0;
}
