// The informational commands: presets, show, pixel, chart, testchart, help.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace tooltest;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

TEST(PresetsCommand, ListsAllPresetsWithTheirInks) {
    const ToolResult run = runTool({"presets"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> all = lines(run.out);
    ASSERT_EQ(all.size(), 57u);
    EXPECT_EQ(all.front(), "HUE_PARAM_CMYK       4  Cyan Magenta Yellow Black");
    EXPECT_NE(std::find(all.begin(), all.end(), "HUE_PARAM_CMYKDGB    7  Cyan Magenta Yellow Black Dark Yellow Blue Green"),
              all.end());
}

TEST(ShowCommand, PrintsOneStatementPerLine) {
    ToolResult run = runTool({"show", "HUE_PARAM_CMYK"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> statements = lines(run.out);
    ASSERT_EQ(statements.size(), 12u);
    EXPECT_EQ(statements.front(), "#_MAXIMUMINK=300;");
    EXPECT_EQ(statements[4], "HUEMASK00=60,120,240,300;");
    EXPECT_EQ(statements.back(), "*HUEMASK_LIGHT00=6,50,66;");
    run = runTool({"show", "hue_param_cmyk"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("unknown preset"), std::string::npos);
}

TEST(ShowCommand, SavedTextLoadsAsThePresetItself) {
    ToolFolder folder;
    const Image input = makeTestImage(24, 16, 3, 16);
    const ToolResult presets = runTool({"presets"});
    ASSERT_EQ(presets.status, 0) << presets.err;
    for (const std::string& line : lines(presets.out)) {
        const std::string preset = line.substr(0, line.find(' '));
        SCOPED_TRACE(preset);
        const ToolResult shown = runTool({"show", preset});
        ASSERT_EQ(shown.status, 0) << shown.err;
        const std::string saved = folder.path(preset + ".cfg");
        writeFile(saved, shown.out);
        int presetChannels = 0, savedChannels = 0;
        const std::vector<uint16_t> expected = librarySeparation(preset, input.samples, 16, presetChannels);
        EXPECT_EQ(librarySeparation(saved, input.samples, 16, savedChannels), expected);
        EXPECT_EQ(savedChannels, presetChannels);
    }
}

TEST(PixelCommand, PrintsCoverageAndLibraryValues) {
    ToolResult run = runTool({"pixel", "0", "0", "0", "-c", "HUE_PARAM_CMYKOG"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> black = lines(run.out);
    ASSERT_EQ(black.size(), 7u);
    EXPECT_EQ(black[4], "  Black      100.0 %       0");
    EXPECT_EQ(black[1], "  Cyan         0.0 %     255");

    run = runTool({"pixel", "65535", "65535", "65535", "--16", "-c", "HUE_PARAM_CMYK"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (size_t i = 1; i < lines(run.out).size(); ++i) {
        EXPECT_NE(lines(run.out)[i].find("0.0 %   65535"), std::string::npos) << lines(run.out)[i];
    }

    // The same colour through the extra text: a fifth channel without a
    // hue mask gets a neutral name.
    run = runTool({"pixel", "10", "20", "30", "-c", "HUE_PARAM_CMYK", "-x", "CHANNELS=5"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Ink4"), std::string::npos) << run.out;

    run = runTool({"pixel", "256", "0", "0", "-c", "HUE_PARAM_CMYK"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("R is out of range"), std::string::npos) << run.err;
}

TEST(ChartCommands, DrawTheChartAndTheTestChart) {
    ToolFolder folder;
    ToolResult run = runTool({"chart", "-c", "HUE_PARAM_CMYKRODB", "-o", folder.path("chart.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    const Image chart = readPng(folder.path("chart.png"));
    EXPECT_EQ(chart.width, 1400u);
    EXPECT_EQ(chart.height, 1100u);

    // Large enough for the PNG to be compressed in several pieces.
    for (const char* name : {"test.png", "test.tif"}) {
        run = runTool({"testchart", "-o", folder.path(name), "--width", "400", "--height", "1000", "--depth", "16"});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    const Image test = readPng(folder.path("test.png"));
    EXPECT_EQ(test.width, 400u);
    EXPECT_EQ(test.height, 1000u);
    EXPECT_EQ(test.bits, 16);
    EXPECT_EQ(test.at(0, 0, 0), 65535) << "the chart is on white paper";
    EXPECT_TRUE(test.samples == readSeparatedTiff(folder.path("test.tif")).image.samples) << "PNG and TIFF agree";

    // The format follows the name, or the name is refused.
    run = runTool({"chart", "-c", "HUE_PARAM_CMYK", "-o", folder.path("chart.tif")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("must end in .png"), std::string::npos) << run.err;
}

TEST(Help, EveryCommandHasItsOwn) {
    for (const char* command : {"presets", "show", "pixel", "separate", "chart", "testchart"}) {
        const ToolResult run = runTool({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("usage: varnel ") + command, 0), 0u) << run.out;
    }
    EXPECT_NE(runTool({"separate", "--help"}).out.find("TIFF counts 0 as no ink"), std::string::npos);
    EXPECT_NE(runTool({"separate", "--help"}).out.find("not a colorimetric proof"), std::string::npos);
    const ToolResult version = runTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("varnel 1.", 0), 0u) << version.out;
    const ToolResult unknown = runTool({"bogus"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "varnel: unknown command 'bogus' (varnel --help lists them)\n");
}

} // namespace
