#include "geometry/RasterizeLine.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <climits>
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

// The points in order, nothing past them.
TEST_P(RasterizeLineTest, WritesThePoints)
{
    const RasterCase& tc = GetParam();
    const int count = static_cast<int>(tc.expected.size());
    std::vector<LinePoint> points(count + 1, LinePoint{-99, -99});
    ASSERT_EQ(RasterizeLine(points.data(), count, tc.x0, tc.y0, tc.x1, tc.y1), count);
    std::vector<XY> written;
    for (const LinePoint& p : points)
        written.emplace_back(p.x, p.y);
    std::vector<XY> expected = tc.expected;
    expected.emplace_back(-99, -99);
    EXPECT_EQ(written, expected);
}

// The minor axis steps when the error term is exactly 0.
INSTANTIATE_TEST_SUITE_P(
    Cases, RasterizeLineTest,
    ::testing::Values(
        RasterCase{"y leads", 0, 0, 2, 4, {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 4}}},
        RasterCase{"y leads odd", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        RasterCase{"single point", 0, 0, 0, 0, {{0, 0}}},
        RasterCase{"horizontal", 0, 100, 4, 100, {{0, 100}, {1, 100}, {2, 100}, {3, 100}, {4, 100}}},
        RasterCase{"backwards", 4, 2, 0, 0, {{4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        RasterCase{"diagonal down", 0, 3, 3, 0, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}}),
    [](const ::testing::TestParamInfo<RasterCase>& info) { return ReadableName(info.param.what); });

// One point of room fewer than needed writes nothing; extreme coordinates
// need more points than any capacity holds.
TEST(RasterizeLineEdges, RejectsWithoutWriting)
{
    LinePoint p{-99, -99};
    std::vector<LinePoint> four(4, p);
    EXPECT_EQ(RasterizeLine(four.data(), 4, 4, 2, 0, 0), 0);
    EXPECT_EQ(four[0].x, -99);
    EXPECT_EQ(RasterizeLine(nullptr, 100, 0, 0, 4, 2), 0);
    EXPECT_EQ(RasterizeLine(&p, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(RasterizeLine(&p, INT_MAX, INT_MIN, 0, INT_MAX, 0), 0);
    EXPECT_EQ(RasterizeLine(&p, INT_MAX, 0, INT_MAX, 0, INT_MIN), 0);
    EXPECT_EQ(p.x, -99);
}

}  // namespace
