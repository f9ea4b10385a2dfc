#include "geometry/RasterizeLine.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using XY = std::pair<int, int>;

struct RasterCase {
    const char* what;
    int x0, y0, x1, y1;
    std::vector<XY> expected;  // (x, y) pairs
};

class RasterizeLineTest : public ::testing::TestWithParam<RasterCase> {};

TEST_P(RasterizeLineTest, WritesThePoints)
{
    const RasterCase& tc = GetParam();
    const int capacity = static_cast<int>(tc.expected.size());
    std::vector<LinePoint> points(capacity + 4, LinePoint{-99, -99});
    ASSERT_EQ(RasterizeLine(points.data(), capacity, tc.x0, tc.y0, tc.x1, tc.y1), capacity);
    for (int i = 0; i < capacity; ++i) {
        EXPECT_EQ(points[i].x, tc.expected[i].first) << "point " << i;
        EXPECT_EQ(points[i].y, tc.expected[i].second) << "point " << i;
    }
    EXPECT_EQ(points[capacity].x, -99);  // nothing past the count

    // One point fewer than needed: nothing written at all.
    std::vector<LinePoint> tight(capacity, LinePoint{-99, -99});
    EXPECT_EQ(RasterizeLine(tight.data(), capacity - 1, tc.x0, tc.y0, tc.x1, tc.y1), 0);
    for (const LinePoint& p : tight)
        EXPECT_EQ(p.x, -99);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RasterizeLineTest,
    ::testing::Values(
        RasterCase{"x leads", 0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        RasterCase{"y leads", 0, 0, 2, 4, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
        RasterCase{"y leads odd", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        RasterCase{"single point", 0, 0, 0, 0, {{0, 0}}},
        RasterCase{"horizontal", 0, 100, 4, 100, {{0, 100}, {1, 100}, {2, 100}, {3, 100}, {4, 100}}},
        RasterCase{"backwards", 4, 2, 0, 0, {{4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        RasterCase{"diagonal down", 0, 3, 3, 0, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}}),
    [](const ::testing::TestParamInfo<RasterCase>& info) { return ReadableName(info.param.what); });

TEST(RasterizeLineEdges, FullTableRange)
{
    std::vector<LinePoint> points(65536);
    ASSERT_EQ(RasterizeLine(points.data(), 65536, 0, 65535, 65535, 0), 65536);
    EXPECT_EQ(points.back().x, 65535);
    EXPECT_EQ(points.back().y, 0);
    for (int i = 1; i < 65536; ++i) {
        ASSERT_EQ(points[i].x - points[i - 1].x, 1);
        ASSERT_LE(std::abs(points[i].y - points[i - 1].y), 1);
    }
}

TEST(RasterizeLineEdges, RejectsWithoutWriting)
{
    LinePoint p{-99, -99};
    EXPECT_EQ(RasterizeLine(nullptr, 100, 0, 0, 4, 2), 0);
    EXPECT_EQ(RasterizeLine(&p, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(RasterizeLine(&p, -5, 0, 0, 0, 0), 0);
    // Extreme coordinates need more points than any capacity holds.
    EXPECT_EQ(RasterizeLine(&p, INT_MAX, INT_MIN, 0, INT_MAX, 0), 0);
    EXPECT_EQ(RasterizeLine(&p, INT_MAX, 0, INT_MAX, 0, INT_MIN), 0);
    EXPECT_EQ(p.x, -99);
    EXPECT_EQ(p.y, -99);
}

}  // namespace
