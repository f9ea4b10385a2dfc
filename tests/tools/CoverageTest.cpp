// varnel separate's ink coverage: the summary, the JSON report and the TAC
// map, each checked against the separated TIFF it describes.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace tooltest;

namespace {

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The figures the report should give, computed from the TIFF's samples
// (TIFF: 0 = no ink, max = full ink).
struct Expected {
    std::vector<double> means;
    std::vector<std::string> histograms;  // as the JSON writes them
    double maxTotal = -1;
    uint32_t maxX = 0, maxY = 0;
    uint64_t above = 0;
};

Expected coverageOf(const Image& tiff, uint32_t limitPercent) {
    const uint32_t max = tiff.bits == 8 ? 255 : 65535;
    Expected expected;
    std::vector<uint64_t> sums(tiff.channels, 0);
    std::vector<std::vector<uint64_t>> histograms(tiff.channels, std::vector<uint64_t>(101, 0));
    for (uint32_t y = 0; y < tiff.height; ++y) {
        for (uint32_t x = 0; x < tiff.width; ++x) {
            uint64_t total = 0;
            for (int c = 0; c < tiff.channels; ++c) {
                const uint32_t v = tiff.at(x, y, c);
                sums[c] += v;
                total += v;
                ++histograms[c][(v * 100 + max / 2) / max];
            }
            const double percent = static_cast<double>(total) * 100.0 / max;
            if (percent > expected.maxTotal) expected.maxTotal = percent, expected.maxX = x, expected.maxY = y;
            if (total * 100 > uint64_t{limitPercent} * max) ++expected.above;
        }
    }
    const double pixels = static_cast<double>(tiff.width) * tiff.height;
    for (int c = 0; c < tiff.channels; ++c) {
        expected.means.push_back(static_cast<double>(sums[c]) * 100.0 / (pixels * max));
        std::string list;
        for (uint64_t n : histograms[c]) list += (list.empty() ? "[" : ", ") + std::to_string(n);
        expected.histograms.push_back(list + "]");
    }
    return expected;
}

// The text after "key": up to the next ',' or '}'.
std::string jsonField(const std::string& json, const std::string& key, size_t from = 0) {
    const size_t at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return "(missing " + key + ")";
    const size_t start = at + key.size() + 4;
    return json.substr(start, json.find_first_of(",}\n", start) - start);
}

struct CoverageCase {
    const char* name;
    int bits;
    const char* threads;
};

class CoverageTest : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(CoverageTest, FiguresMatchTheWrittenTiff) {
    const CoverageCase& param = GetParam();
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(64, 300, 3, param.bits));
    const uint32_t limit = 150;
    const ToolResult run = runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYKOG", "-o",
                                    folder.path("out.tif"), "--depth", std::to_string(param.bits), "--threads",
                                    param.threads, "--tac-limit", std::to_string(limit), "--report",
                                    folder.path("report.json"), "--tac-map", folder.path("map.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Image tiff = readSeparatedTiff(folder.path("out.tif")).image;
    const Expected expected = coverageOf(tiff, limit);
    ASSERT_GT(expected.above, 0u) << "the image should exceed the limit somewhere";
    const double share = static_cast<double>(expected.above) * 100.0 / (tiff.width * tiff.height);

    const std::string json = readFile(folder.path("report.json"));
    EXPECT_EQ(jsonField(json, "tac_limit_percent"), "150");
    EXPECT_EQ(jsonField(json, "max_total_coverage_percent"), fixed(expected.maxTotal, 4));
    EXPECT_EQ(jsonField(json, "x"), std::to_string(expected.maxX));
    EXPECT_EQ(jsonField(json, "y"), std::to_string(expected.maxY));
    EXPECT_EQ(jsonField(json, "pixels_above_tac_limit"), std::to_string(expected.above));
    EXPECT_EQ(jsonField(json, "share_above_tac_limit_percent"), fixed(share, 4));
    size_t ink = 0;
    for (int c = 0; c < tiff.channels; ++c) {
        ink = json.find("\"mean_coverage_percent\"", ink + 1);
        EXPECT_EQ(jsonField(json, "mean_coverage_percent", ink), fixed(expected.means[c], 4)) << "ink " << c;
        EXPECT_EQ(json.substr(json.find('[', ink), expected.histograms[c].size()), expected.histograms[c]);
    }
    EXPECT_NE(run.out.find("at most " + fixed(expected.maxTotal, 1) + " % at (" + std::to_string(expected.maxX) +
                           ", " + std::to_string(expected.maxY) + "); " + fixed(share, 2) +
                           " % of the pixels above the limit of 150 %"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Cyan " + fixed(expected.means[0], 1) + " %, Magenta "), std::string::npos) << run.out;

    // The map is red exactly where the report counts a pixel above the limit.
    const Image map = readPng(folder.path("map.png"));
    const uint32_t max = param.bits == 8 ? 255 : 65535;
    for (uint32_t y = 0; y < tiff.height; ++y) {
        for (uint32_t x = 0; x < tiff.width; ++x) {
            uint64_t total = 0;
            for (int c = 0; c < tiff.channels; ++c) total += tiff.at(x, y, c);
            const bool red = map.at(x, y, 0) > 200 && map.at(x, y, 1) == 0 && map.at(x, y, 2) == 0;
            ASSERT_EQ(red, total * 100 > uint64_t{limit} * max) << "pixel " << x << ", " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, CoverageTest,
                         ::testing::Values(CoverageCase{"Bits8OneThread", 8, "1"},
                                           CoverageCase{"Bits16ThreeThreads", 16, "3"}),
                         [](const ::testing::TestParamInfo<CoverageCase>& info) { return info.param.name; });

} // namespace
