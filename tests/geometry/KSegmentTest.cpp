#include "geometry/KSegment.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Quad = std::array<double, 4>;

TEST(KSegmentTest, StoresEndpointsInOrderAndBox)
{
    KSegment seg(10, 2, -4, 8);
    Quad e, b;
    seg.GetEndpoints(e[0], e[1], e[2], e[3]);
    seg.GetBounds(b[0], b[1], b[2], b[3]);
    EXPECT_EQ(e, (Quad{10, 2, -4, 8}));
    EXPECT_EQ(b, (Quad{-4, 2, 10, 8}));
    // Re-placing through the base class reaches the segment's own setter.
    static_cast<KLine&>(seg).SetFromTwoPoints(0, 5, 10, 5);
    seg.GetEndpoints(e[0], e[1], e[2], e[3]);
    seg.GetBounds(b[0], b[1], b[2], b[3]);
    EXPECT_EQ(e, (Quad{0, 5, 10, 5}));
    EXPECT_EQ(b, (Quad{0, 5, 10, 5}));
    EXPECT_EQ(seg.GetIntercept(), 5.0);
}

// The engine evaluates a ramp at hue h by intersecting the covering segment
// with the vertical line through h built from two points; the point is
// written even outside the box.
TEST(KSegmentTest, IntersectWithVerticalThroughHue)
{
    const struct {
        const char* what;
        double x1, y1, x2, y2, hue;
        unsigned expected;
        double y;  // checked for LINE_CROSS and SEG_OUTSIDE
    } cases[] = {
        {"rising inside", 0, 0, 10, 10, 4, LINE_CROSS, 4},
        {"rising at its upper corner", 0, 0, 10, 10, 10, LINE_CROSS, 10},
        {"quarter slope at its lower corner", 100, 0, 300, 50, 100, LINE_CROSS, 0},
        {"quarter slope extrapolated", 100, 0, 300, 50, 350, SEG_OUTSIDE, 62.5},
        {"horizontal", 0, 7, 360, 7, 100, LINE_CROSS, 7},
        {"horizontal outside", 0, 7, 360, 7, 400, SEG_OUTSIDE, 7},
        {"vertical segment", 50, 0, 50, 10, 60, LINE_SAME, 0},
        {"45-degree fall", 0, 10, 10, 0, 5, LINE_PARALLEL, 0},
    };
    for (const auto& tc : cases) {
        KSegment seg(tc.x1, tc.y1, tc.x2, tc.y2);
        KLine vertical;
        vertical.SetFromTwoPoints(tc.hue, 0, tc.hue, 360);
        double x = -7, y = -7;
        // Called through the base class: the segment's box must still apply.
        EXPECT_EQ(static_cast<const KLine&>(seg).Intersect(vertical, x, y), tc.expected) << tc.what;
        const bool written = tc.expected == LINE_CROSS || tc.expected == SEG_OUTSIDE;
        EXPECT_EQ(x, written ? tc.hue : -7.0) << tc.what;
        EXPECT_EQ(y, written ? tc.y : -7.0) << tc.what;
    }
}

TEST(KSegmentTest, IntersectSegment)
{
    const struct {
        const char* what;
        KSegment mine, other;
        unsigned expected;
    } cases[] = {
        {"cross in both", {0, 0, 10, 10}, {0, 10, 10, 2}, LINE_CROSS},
        {"cross outside the other", {0, 0, 10, 10}, {0, 20, 4, 12}, SEG_OUTSIDE},
        {"cross outside this", {0, 0, 2, 2}, {0, 10, 10, 2}, SEG_OUTSIDE},
        {"identical", {1, 2, 5, 4}, {1, 2, 5, 4}, LINE_SAME},
        {"reversed", {1, 2, 5, 4}, {5, 4, 1, 2}, SEG_SAME_LINE},
        {"parallel", {0, 0, 2, 1}, {0, 1, 2, 2}, LINE_PARALLEL},
    };
    for (const auto& tc : cases) {
        double x = 0, y = 0;
        EXPECT_EQ(tc.mine.IntersectSegment(tc.other, x, y), tc.expected) << tc.what;
    }
}

TEST(KSegmentTest, SegmentContainsPoint)
{
    KSegment seg(0, 0, 10, 5);
    EXPECT_TRUE(seg.SegmentContainsPoint(10, 5, 0));
    EXPECT_FALSE(seg.SegmentContainsPoint(12, 6, 0));       // on the line, past the box
    EXPECT_TRUE(seg.SegmentContainsPoint(10.5, 5.25, 0.5)); // within tolerance of the box
    EXPECT_FALSE(seg.SegmentContainsPoint(4, 3, 0.5));      // in the box, off the line
}

// Both classes report their own record, chained to the root's.
TEST(KSegmentTest, RuntimeClassRecords)
{
    const KLine line;
    const KSegment seg(0, 0, 1, 1);
    const KBaseObject* objects[] = {&line, &seg};
    const KRuntimeClass* expected[][2] = {{KLine::ClassRecord(), KBaseObject::ClassRecord()},
                                          {KSegment::ClassRecord(), KLine::ClassRecord()}};
    const char* names[] = {"KLine", "KSegment"};
    for (int i = 0; i < 2; ++i) {
        const KRuntimeClass* record = objects[i]->GetRuntimeClass();
        ASSERT_EQ(record, expected[i][0]) << names[i];
        EXPECT_EQ(record->className, names[i]);
        EXPECT_EQ(record->schema, 0xFFFFu);
        EXPECT_EQ(record->getBaseClass(), expected[i][1]) << names[i];
    }
}

}  // namespace
