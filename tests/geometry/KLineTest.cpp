#include "geometry/KLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Coeffs {
    double a, b, c, slope, intercept;
};

Coeffs Read(const KLine& line)
{
    Coeffs k{};
    line.GetCoefficients(k.a, k.b, k.c);
    k.slope = line.GetSlope();
    k.intercept = line.GetIntercept();
    return k;
}

struct SetterCase {
    std::string name;
    std::function<void(KLine&)> set;
    Coeffs expected;
    bool aNegativeZero;      // sign of a zero coefficient matters downstream
    bool slopeNegativeZero;
};

class SetterTest : public ::testing::TestWithParam<SetterCase> {};

TEST_P(SetterTest, WritesCoefficientsSlopeAndIntercept)
{
    const SetterCase& tc = GetParam();
    KLine line;
    tc.set(line);
    const Coeffs k = Read(line);
    EXPECT_EQ(k.a, tc.expected.a);
    EXPECT_EQ(k.b, tc.expected.b);
    EXPECT_EQ(k.c, tc.expected.c);
    EXPECT_EQ(k.slope, tc.expected.slope);
    EXPECT_EQ(k.intercept, tc.expected.intercept);
    if (k.a == 0.0) {
        EXPECT_EQ(std::signbit(k.a), tc.aNegativeZero);
    }
    if (k.slope == 0.0) {
        EXPECT_EQ(std::signbit(k.slope), tc.slopeNegativeZero);
    }
}

TEST_P(SetterTest, ResetsTheCaches)
{
    KLine line;
    line.SetSlopeIntercept(2.0, 1.0);
    line.ComputeNorm();
    line.ComputeAngle();
    ASSERT_NE(line.GetNorm(), 0.0);
    ASSERT_NE(line.GetAngle(), 0.0);
    GetParam().set(line);
    EXPECT_EQ(line.GetNorm(), 0.0);
    EXPECT_EQ(line.GetAngle(), 0.0);
    EXPECT_EQ(line.GetCosAngle(), 1.0);
    EXPECT_EQ(line.GetSinAngle(), 0.0);
}

const SetterCase kSetterCases[] = {
    {"PointsVertical", [](KLine& l) { l.SetFromTwoPoints(5, 1, 5, 9); }, {1, 0, -5, -1, -1}, false, false},
    {"PointsIdentical", [](KLine& l) { l.SetFromTwoPoints(3, 4, 3, 4); }, {1, 0, -3, -1, -1}, false, false},
    {"PointsRising", [](KLine& l) { l.SetFromTwoPoints(0, 0, 10, 10); }, {-1, 1, 0, 1, 0}, false, false},
    {"PointsFalling45", [](KLine& l) { l.SetFromTwoPoints(0, 10, 10, 0); }, {1, 1, -10, -1, 10}, false, false},
    {"PointsHorizontal", [](KLine& l) { l.SetFromTwoPoints(0, 5, 10, 5); }, {0, 1, -5, 0, 5}, false, true},
    {"PointsQuarterSlope", [](KLine& l) { l.SetFromTwoPoints(100, 0, 300, 50); }, {-0.25, 1, 25, 0.25, -25}, false, false},
    {"SlopeInterceptVertical", [](KLine& l) { l.SetSlopeIntercept(-1.0, 7); }, {1, 0, -7, -1, 7}, false, false},
    {"SlopeInterceptHorizontal", [](KLine& l) { l.SetSlopeIntercept(0.0, 3); }, {0, 1, -3, 0, 3}, false, false},
    {"SlopeInterceptNegZero", [](KLine& l) { l.SetSlopeIntercept(-0.0, 3); }, {0, 1, -3, 0, 3}, false, true},
    {"SlopeIntercept", [](KLine& l) { l.SetSlopeIntercept(2.0, 1); }, {-2, 1, -1, 2, 1}, false, false},
    {"CoefficientsVertical", [](KLine& l) { l.SetCoefficients(2, 0, -4); }, {2, 0, -4, -1, -1}, false, false},
    {"CoefficientsDegenerate", [](KLine& l) { l.SetCoefficients(0, 0, 5); }, {0, 0, 5, -1, -1}, false, false},
    {"Coefficients", [](KLine& l) { l.SetCoefficients(1, 2, 4); }, {1, 2, 4, -0.5, -2}, false, false},
    {"ThroughPointVertical", [](KLine& l) { l.SetSlopeThroughPoint(-1.0, 3, 4); }, {1, 0, -3, -1, -1}, false, false},
    {"ThroughPointHorizontal", [](KLine& l) { l.SetSlopeThroughPoint(0.0, 1, 5); }, {0, 1, -5, 0, 5}, false, false},
    {"ThroughPoint", [](KLine& l) { l.SetSlopeThroughPoint(2.0, 1, 5); }, {-2, 1, -3, 2, 3}, false, false},
};

INSTANTIATE_TEST_SUITE_P(Setters, SetterTest, ::testing::ValuesIn(kSetterCases),
                         [](const auto& info) { return info.param.name; });

TEST(KLineTest, EvaluationTreatsTheMarkerSlopeAsVertical)
{
    KLine line;
    line.SetFromTwoPoints(0, 0, 10, 10);
    EXPECT_EQ(line.YAtX(4), 4.0);
    EXPECT_EQ(line.XAtY(6), 6.0);

    line.SetFromTwoPoints(0, 10, 10, 0);  // a genuine 45-degree fall
    EXPECT_EQ(line.YAtX(4), -1.0);
    EXPECT_EQ(line.XAtY(4), 6.0);

    line.SetSlopeIntercept(-1.0, 7);  // x = 7
    EXPECT_EQ(line.YAtX(3), -1.0);
    EXPECT_EQ(line.XAtY(100), 7.0);

    line.SetSlopeIntercept(0.0, 3);
    EXPECT_EQ(line.XAtY(3), -1.0);  // a = 0
    EXPECT_EQ(line.YAtX(-50), 3.0);
}

struct ContainsCase {
    const char* what;
    std::function<void(KLine&)> set;
    double x, y, tol;
    bool expected;
};

TEST(KLineTest, ContainsPoint)
{
    const ContainsCase cases[] = {
        {"degenerate", [](KLine& l) { l.SetCoefficients(0, 0, 5); }, 0, 0, 1e9, false},
        {"horizontal inside", [](KLine& l) { l.SetSlopeIntercept(0, 2); }, 100, 2.25, 0.25, true},
        {"horizontal bound", [](KLine& l) { l.SetSlopeIntercept(0, 2); }, 0, 1.75, 0.25, true},
        {"horizontal outside", [](KLine& l) { l.SetSlopeIntercept(0, 2); }, 0, 2.5, 0.25, false},
        {"vertical inside", [](KLine& l) { l.SetFromTwoPoints(5, 1, 5, 9); }, 5.5, 1000, 0.5, true},
        {"vertical outside", [](KLine& l) { l.SetFromTwoPoints(5, 1, 5, 9); }, 5.75, 0, 0.5, false},
        {"shallow tested on y", [](KLine& l) { l.SetSlopeIntercept(0.5, 0); }, 4, 2.25, 0.25, true},
        {"shallow off in y", [](KLine& l) { l.SetSlopeIntercept(0.5, 0); }, 4, 2.5, 0.25, false},
        {"steep tested on x", [](KLine& l) { l.SetSlopeIntercept(2, 0); }, 1.25, 2, 0.25, true},
        {"steep off in x", [](KLine& l) { l.SetSlopeIntercept(2, 0); }, 1.5, 2, 0.25, false},
        // Slope 1 and -1 are tested on x (the range is strict).
        {"slope one on x", [](KLine& l) { l.SetSlopeIntercept(1, 0); }, 3.5, 3, 0.5, true},
        {"falling on x", [](KLine& l) { l.SetCoefficients(1, 1, -10); }, 3, 7, 0, true},
    };
    for (const ContainsCase& tc : cases) {
        KLine line;
        tc.set(line);
        EXPECT_EQ(line.ContainsPoint(tc.x, tc.y, tc.tol), tc.expected) << tc.what;
    }
}

TEST(KLineTest, ComputeAngle)
{
    KLine line;
    line.SetFromTwoPoints(5, 1, 5, 9);
    line.ComputeAngle();
    EXPECT_EQ(line.GetAngle(), 1.5707963267948966);
    EXPECT_EQ(line.GetCosAngle(), 0.0);
    EXPECT_EQ(line.GetSinAngle(), 1.0);

    line.SetSlopeIntercept(1.0, 0);
    line.ComputeAngle();
    EXPECT_EQ(line.GetAngle(), std::atan(1.0));
    EXPECT_EQ(line.GetCosAngle(), std::cos(std::atan(1.0)));

    double x = 0, y = 0;
    line.SetSlopeIntercept(0.0, 0);
    line.ComputeAngle();
    line.PointAtDistance(2, 3, 5, x, y);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(y, 3.0);
}

TEST(KLineTest, AngleToFoldsIntoHalfTurn)
{
    const double deg = 3.141592653589793 / 180.0;
    struct Case {
        double mine, other, expectedDeg;
    } cases[] = {{10, 30, 20}, {80, -80, 20}, {-80, 80, -20}, {0, 0, 0}};
    for (const Case& tc : cases) {
        KLine mine, other;
        mine.SetSlopeIntercept(std::tan(tc.mine * deg), 0);
        other.SetSlopeIntercept(std::tan(tc.other * deg), 0);
        mine.ComputeAngle();
        other.ComputeAngle();
        EXPECT_NEAR(mine.AngleTo(other), tc.expectedDeg * deg, 1e-12) << tc.mine << " " << tc.other;
    }
    // Before ComputeAngle both cached angles are 0.
    KLine a, b;
    a.SetSlopeIntercept(3, 0);
    EXPECT_EQ(a.AngleTo(b), 0.0);
}

TEST(KLineTest, DistanceNeedsComputeNorm)
{
    KLine line;
    line.SetCoefficients(3, 4, 0);
    EXPECT_EQ(line.DistanceToPoint(3, 4), 0.0);
    line.ComputeNorm();
    EXPECT_EQ(line.GetNorm(), 5.0);
    EXPECT_EQ(line.DistanceToPoint(3, 4), 5.0);
    EXPECT_EQ(line.DistanceToPoint(-3, -4), 5.0);

    line.SetSlopeIntercept(0, 2);
    EXPECT_EQ(line.DistanceToPoint(5, 7), 0.0);
    line.ComputeNorm();
    EXPECT_EQ(line.DistanceToPoint(5, 7), 5.0);
}

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

struct IntersectCase {
    const char* what;
    KLine mine, other;
    unsigned expected;
    double x, y;  // checked for LINE_CROSS only
};

TEST(KLineTest, IntersectCodes)
{
    const double untouched = 12345.0;
    const IntersectCase cases[] = {
        {"two verticals from points compare as one line", Through(1, 0, 1, 5), Through(9, 0, 9, 5), LINE_SAME, 0, 0},
        {"vertical from slope/intercept has its x as intercept", Sloped(-1.0, 5), Through(5, 0, 5, 5), LINE_PARALLEL,
         0, 0},
        {"45-degree fall is parallel to a vertical", Through(0, 10, 10, 0), Through(3, 0, 3, 360), LINE_PARALLEL, 0, 0},
        {"same line", Sloped(1, 0), Through(-2, -2, 7, 7), LINE_SAME, 0, 0},
        {"parallel", Sloped(1, 0), Sloped(1, 1), LINE_PARALLEL, 0, 0},
        {"cross", Sloped(1, 0), Sloped(-2, 6), LINE_CROSS, 2, 2},
        {"horizontal with vertical (a = 0 branch)", Through(0, 5, 10, 5), Through(3, 0, 3, 360), LINE_CROSS, 3, 5},
    };
    for (const IntersectCase& tc : cases) {
        double x = untouched, y = untouched;
        EXPECT_EQ(tc.mine.Intersect(tc.other, x, y), tc.expected) << tc.what;
        EXPECT_EQ(x, tc.expected == LINE_CROSS ? tc.x : untouched) << tc.what;
        EXPECT_EQ(y, tc.expected == LINE_CROSS ? tc.y : untouched) << tc.what;
    }
}

}  // namespace
