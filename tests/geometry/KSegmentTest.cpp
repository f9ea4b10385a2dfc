#include "geometry/KSegment.h"

#include <gtest/gtest.h>

namespace {

TEST(KSegmentTest, StoresEndpointsInOrderAndBox)
{
    KSegment seg(10, 2, -4, 8);
    double x1, y1, x2, y2;
    seg.GetEndpoints(x1, y1, x2, y2);
    EXPECT_EQ(x1, 10.0);
    EXPECT_EQ(y1, 2.0);
    EXPECT_EQ(x2, -4.0);
    EXPECT_EQ(y2, 8.0);
    double minX, minY, maxX, maxY;
    seg.GetBounds(minX, minY, maxX, maxY);
    EXPECT_EQ(minX, -4.0);
    EXPECT_EQ(minY, 2.0);
    EXPECT_EQ(maxX, 10.0);
    EXPECT_EQ(maxY, 8.0);

    // Re-placing through the base class reaches the segment's own setter.
    KLine& asLine = seg;
    asLine.SetFromTwoPoints(0, 5, 10, 5);
    seg.GetEndpoints(x1, y1, x2, y2);
    EXPECT_EQ(x2, 10.0);
    EXPECT_EQ(y2, 5.0);
    seg.GetBounds(minX, minY, maxX, maxY);
    EXPECT_EQ(minX, 0.0);
    EXPECT_EQ(maxY, 5.0);
    EXPECT_EQ(seg.GetIntercept(), 5.0);
}

// The engine evaluates a ramp at hue h by intersecting the covering segment
// with the vertical line through h built from two points.
struct RampCase {
    const char* what;
    double x1, y1, x2, y2;
    double hue;
    unsigned expected;
    double y;  // checked for LINE_CROSS and SEG_OUTSIDE
};

TEST(KSegmentTest, IntersectWithVerticalThroughHue)
{
    const RampCase cases[] = {
        {"rising inside", 0, 0, 10, 10, 4, LINE_CROSS, 4},
        {"rising beyond the box", 0, 0, 10, 10, 20, SEG_OUTSIDE, 20},
        {"quarter slope", 100, 0, 300, 50, 200, LINE_CROSS, 25},
        {"quarter slope extrapolated", 100, 0, 300, 50, 350, SEG_OUTSIDE, 62.5},
        {"box end inclusive", 100, 0, 300, 50, 300, LINE_CROSS, 50},
        {"falling", 0, 100, 200, 0, 100, LINE_CROSS, 50},
        {"horizontal", 0, 7, 360, 7, 100, LINE_CROSS, 7},
        {"horizontal outside", 0, 7, 360, 7, 400, SEG_OUTSIDE, 7},
        {"vertical segment on the hue", 50, 0, 50, 10, 50, LINE_SAME, 0},
        {"vertical segment elsewhere", 50, 0, 50, 10, 60, LINE_SAME, 0},
        {"45-degree fall", 0, 10, 10, 0, 5, LINE_PARALLEL, 0},
    };
    for (const RampCase& tc : cases) {
        KSegment seg(tc.x1, tc.y1, tc.x2, tc.y2);
        KLine vertical;
        vertical.SetFromTwoPoints(tc.hue, 0, tc.hue, 360);
        double x = -7, y = -7;
        EXPECT_EQ(seg.Intersect(vertical, x, y), tc.expected) << tc.what;
        if (tc.expected == LINE_CROSS || tc.expected == SEG_OUTSIDE) {
            EXPECT_EQ(x, tc.hue) << tc.what;
            EXPECT_EQ(y, tc.y) << tc.what;
        } else {
            EXPECT_EQ(x, -7.0) << tc.what;
        }
    }
}

TEST(KSegmentTest, IntersectThroughBasePointerUsesTheBox)
{
    KSegment seg(0, 0, 10, 10);
    KLine vertical;
    vertical.SetFromTwoPoints(20, 0, 20, 360);
    const KLine& asLine = seg;
    double x, y;
    EXPECT_EQ(asLine.Intersect(vertical, x, y), SEG_OUTSIDE);
}

struct SegPairCase {
    const char* what;
    KSegment mine, other;
    unsigned expected;
};

TEST(KSegmentTest, IntersectSegment)
{
    const SegPairCase cases[] = {
        {"cross in both", {0, 0, 10, 10}, {0, 10, 10, 2}, LINE_CROSS},
        {"cross outside the other", {0, 0, 10, 10}, {0, 20, 4, 12}, SEG_OUTSIDE},
        {"cross outside this", {0, 0, 2, 2}, {0, 10, 10, 2}, SEG_OUTSIDE},
        {"identical", {1, 2, 5, 4}, {1, 2, 5, 4}, LINE_SAME},
        {"reversed", {1, 2, 5, 4}, {5, 4, 1, 2}, SEG_SAME_LINE},
        {"collinear, other ends", {0, 0, 2, 1}, {4, 2, 8, 4}, SEG_SAME_LINE},
        {"parallel", {0, 0, 2, 1}, {0, 1, 2, 2}, LINE_PARALLEL},
    };
    for (const SegPairCase& tc : cases) {
        double x = 0, y = 0;
        EXPECT_EQ(tc.mine.IntersectSegment(tc.other, x, y), tc.expected) << tc.what;
    }
}

TEST(KSegmentTest, SegmentContainsPoint)
{
    KSegment seg(0, 0, 10, 5);
    EXPECT_TRUE(seg.SegmentContainsPoint(4, 2, 0));
    EXPECT_TRUE(seg.SegmentContainsPoint(10, 5, 0));
    EXPECT_FALSE(seg.SegmentContainsPoint(12, 6, 0));     // on the line, past the box
    EXPECT_TRUE(seg.SegmentContainsPoint(10.5, 5.25, 0.5)); // within tolerance of the box
    EXPECT_FALSE(seg.SegmentContainsPoint(4, 3, 0.5));    // in the box, off the line
}

TEST(KSegmentTest, RuntimeClassRecord)
{
    KSegment seg(0, 0, 1, 1);
    const KBaseObject& base = seg;
    const KRuntimeClass* record = base.GetRuntimeClass();
    ASSERT_EQ(record, KSegment::ClassRecord());
    EXPECT_EQ(record->className, "KSegment");
    EXPECT_EQ(record->objectSize, sizeof(KSegment));
    EXPECT_EQ(record->schema, 0xFFFFu);
    EXPECT_EQ(record->createObject, nullptr);
    ASSERT_NE(record->getBaseClass, nullptr);
    EXPECT_EQ(record->getBaseClass(), KLine::ClassRecord());
    EXPECT_EQ(record->getBaseClass()->getBaseClass(), KBaseObject::ClassRecord());
}

}  // namespace
