#include "geometry/KLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

KLine Through(double x1, double y1, double x2, double y2)
{
    KLine line;
    line.SetFromTwoPoints(x1, y1, x2, y2);
    return line;
}

KLine Sloped(double slope, double intercept)
{
    KLine line;
    line.SetSlopeIntercept(slope, intercept);
    return line;
}

struct SetterCase {
    std::string name;
    std::function<void(KLine&)> set;
    double a, b, c, slope, intercept;
    bool slopeNegativeZero;  // the sign of a zero matters downstream; a zero a is always +0
};

class SetterTest : public ::testing::TestWithParam<SetterCase> {};

// Each setter writes the line and resets the cached norm and angle.
TEST_P(SetterTest, WritesTheLineAndResetsTheCaches)
{
    const SetterCase& tc = GetParam();
    KLine line = Sloped(2.0, 1.0);
    line.ComputeNorm();
    line.ComputeAngle();
    tc.set(line);
    double a, b, c;
    line.GetCoefficients(a, b, c);
    EXPECT_EQ(a, tc.a);
    EXPECT_EQ(b, tc.b);
    EXPECT_EQ(c, tc.c);
    EXPECT_EQ(line.GetSlope(), tc.slope);
    EXPECT_EQ(line.GetIntercept(), tc.intercept);
    EXPECT_FALSE(a == 0.0 && std::signbit(a));
    if (tc.slope == 0.0) {
        EXPECT_EQ(std::signbit(line.GetSlope()), tc.slopeNegativeZero);
    }
    EXPECT_EQ(line.GetNorm(), 0.0);
    EXPECT_EQ(line.GetAngle(), 0.0);
    EXPECT_EQ(line.GetCosAngle(), 1.0);
    EXPECT_EQ(line.GetSinAngle(), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, SetterTest,
    ::testing::Values(
        SetterCase{"PointsVertical", [](KLine& l) { l.SetFromTwoPoints(5, 1, 5, 9); }, 1, 0, -5, -1, -1, false},
        SetterCase{"PointsFalling45", [](KLine& l) { l.SetFromTwoPoints(0, 10, 10, 0); }, 1, 1, -10, -1, 10, false},
        SetterCase{"PointsHorizontal", [](KLine& l) { l.SetFromTwoPoints(0, 5, 10, 5); }, 0, 1, -5, 0, 5, true},
        SetterCase{"PointsQuarterSlope", [](KLine& l) { l.SetFromTwoPoints(100, 0, 300, 50); }, -0.25, 1, 25, 0.25, -25, false},
        SetterCase{"SlopeInterceptVertical", [](KLine& l) { l.SetSlopeIntercept(-1.0, 7); }, 1, 0, -7, -1, 7, false},
        SetterCase{"SlopeInterceptHorizontal", [](KLine& l) { l.SetSlopeIntercept(0.0, 3); }, 0, 1, -3, 0, 3, false},
        SetterCase{"SlopeIntercept", [](KLine& l) { l.SetSlopeIntercept(2.0, 1); }, -2, 1, -1, 2, 1, false},
        SetterCase{"CoefficientsVertical", [](KLine& l) { l.SetCoefficients(2, 0, -4); }, 2, 0, -4, -1, -1, false},
        SetterCase{"Coefficients", [](KLine& l) { l.SetCoefficients(1, 2, 4); }, 1, 2, 4, -0.5, -2, false},
        SetterCase{"ThroughPointVertical", [](KLine& l) { l.SetSlopeThroughPoint(-1.0, 3, 4); }, 1, 0, -3, -1, -1, false},
        SetterCase{"ThroughPointHorizontal", [](KLine& l) { l.SetSlopeThroughPoint(0.0, 1, 5); }, 0, 1, -5, 0, 5, false},
        SetterCase{"ThroughPoint", [](KLine& l) { l.SetSlopeThroughPoint(2.0, 1, 5); }, -2, 1, -3, 2, 3, false}),
    [](const auto& info) { return info.param.name; });

// The slope -1 marks a vertical line: YAtX answers -1 for it and for a
// genuine 45-degree fall alike; XAtY answers -1 for a horizontal line.
TEST(KLineTest, EvaluationAtXAndY)
{
    const struct {
        KLine line;
        double x, yAtX, y, xAtY;
    } cases[] = {
        {Through(0, 0, 10, 10), 4, 4, 6, 6},
        {Through(0, 10, 10, 0), 4, -1, 4, 6},
        {Sloped(-1.0, 7), 3, -1, 100, 7},
        {Sloped(0.0, 3), -50, 3, 3, -1},
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(tc.line.YAtX(tc.x), tc.yAtX) << tc.x;
        EXPECT_EQ(tc.line.XAtY(tc.y), tc.xAtY) << tc.y;
    }
}

// Bounds are inclusive; a sloped line is tested along the axis in which it
// moves more slowly, slope 1 on x.
TEST(KLineTest, ContainsPoint)
{
    const struct {
        const char* what;
        KLine line;
        double x, y, tol;
        bool expected;
    } cases[] = {
        {"degenerate", [] { KLine l; l.SetCoefficients(0, 0, 5); return l; }(), 0, 0, 1e9, false},
        {"horizontal lower bound", Sloped(0, 2), 0, 1.75, 0.25, true},
        {"horizontal upper bound", Sloped(0, 2), 100, 2.25, 0.25, true},
        {"horizontal outside", Sloped(0, 2), 0, 2.5, 0.25, false},
        {"vertical bound", Through(5, 1, 5, 9), 5.5, 1000, 0.5, true},
        {"vertical outside", Through(5, 1, 5, 9), 5.75, 0, 0.5, false},
        {"shallow tested on y", Sloped(0.5, 0), 4, 2.25, 0.25, true},
        {"shallow off in y", Sloped(0.5, 0), 4, 2.5, 0.25, false},
        {"steep tested on x", Sloped(2, 0), 1.25, 2, 0.25, true},
        {"steep off in x", Sloped(2, 0), 1.5, 2, 0.25, false},
        {"slope one on x", Sloped(1, 0), 3.5, 3, 0.5, true},
        {"falling exactly on x", [] { KLine l; l.SetCoefficients(1, 1, -10); return l; }(), 3, 7, 0, true},
    };
    for (const auto& tc : cases)
        EXPECT_EQ(tc.line.ContainsPoint(tc.x, tc.y, tc.tol), tc.expected) << tc.what;
}

// Angle, distance and the point at a distance use the cached values, which
// only ComputeAngle and ComputeNorm fill.
TEST(KLineTest, CachedAngleAndNorm)
{
    KLine vertical = Through(5, 1, 5, 9);
    vertical.ComputeAngle();
    EXPECT_EQ(vertical.GetAngle(), 1.5707963267948966);
    EXPECT_EQ(vertical.GetCosAngle(), 0.0);
    EXPECT_EQ(vertical.GetSinAngle(), 1.0);
    double x = 0, y = 0;
    KLine flat = Sloped(0.0, 0);
    flat.ComputeAngle();
    flat.PointAtDistance(2, 3, 5, x, y);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(y, 3.0);

    // Lines have no direction: differences fold into [-90, 90] degrees.
    const double deg = 3.141592653589793 / 180.0;
    const struct {
        double mine, other, expected;
    } angles[] = {{10, 30, 20}, {80, -80, 20}, {-80, 80, -20}};
    for (const auto& tc : angles) {
        KLine mine = Sloped(std::tan(tc.mine * deg), 0), other = Sloped(std::tan(tc.other * deg), 0);
        mine.ComputeAngle();
        other.ComputeAngle();
        EXPECT_NEAR(mine.AngleTo(other), tc.expected * deg, 1e-12) << tc.mine << " " << tc.other;
    }

    KLine line;
    line.SetCoefficients(3, 4, -25);
    EXPECT_EQ(line.DistanceToPoint(-3, -4), 0.0);
    line.ComputeNorm();
    EXPECT_EQ(line.GetNorm(), 5.0);
    EXPECT_EQ(line.DistanceToPoint(-3, -4), 10.0);
}

TEST(KLineTest, IntersectCodes)
{
    const double untouched = 12345.0;
    const struct {
        const char* what;
        KLine mine, other;
        unsigned expected;
        double x, y;  // checked for LINE_CROSS only
    } cases[] = {
        {"two verticals from points compare as one line", Through(1, 0, 1, 5), Through(9, 0, 9, 5), LINE_SAME, 0, 0},
        {"vertical from slope/intercept has its x as intercept", Sloped(-1.0, 5), Through(5, 0, 5, 5), LINE_PARALLEL,
         0, 0},
        {"45-degree fall is parallel to a vertical", Through(0, 10, 10, 0), Through(3, 0, 3, 360), LINE_PARALLEL, 0, 0},
        {"same line", Sloped(1, 0), Through(-2, -2, 7, 7), LINE_SAME, 0, 0},
        {"parallel", Sloped(1, 0), Sloped(1, 1), LINE_PARALLEL, 0, 0},
        {"cross", Sloped(1, 0), Sloped(-2, 6), LINE_CROSS, 2, 2},
        {"horizontal with vertical (a = 0 branch)", Through(0, 5, 10, 5), Through(3, 0, 3, 360), LINE_CROSS, 3, 5},
    };
    for (const auto& tc : cases) {
        double x = untouched, y = untouched;
        EXPECT_EQ(tc.mine.Intersect(tc.other, x, y), tc.expected) << tc.what;
        EXPECT_EQ(x, tc.expected == LINE_CROSS ? tc.x : untouched) << tc.what;
        EXPECT_EQ(y, tc.expected == LINE_CROSS ? tc.y : untouched) << tc.what;
    }
}

}  // namespace
