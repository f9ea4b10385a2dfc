// varnel check, and the same check in front of varnel separate.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace tooltest;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CheckCommand, ListsFindingsLikeACompiler) {
    ToolFolder folder;
    const std::string file = folder.path("mine.cfg");
    writeFile(file, "CHANNELS=1;HUEMASK00=0,0,360,360;\nMAXINKK=200;\n");
    struct {
        std::vector<std::string> args;
        int status;
        std::string line;  // one line of the output
    } const cases[] = {
        {{"check", "HUE_PARAM_CMYK"}, 0, "HUE_PARAM_CMYK: 0 errors, 2 warnings\n"},
        {{"check", "HUE_PARAM_CMYK"}, 0, "HUE_PARAM_CMYK:1: warning: variable definition never read: "},
        {{"check", file}, 1, file + ":2: error: unknown key \"MAXINKK\"; did you mean MAXINK?: MAXINKK=200\n"},
        {{"check", "HUE_PARAM_CMYK", "-x", "CHANNELS=5"}, 0,
         "<extra>:1: warning: channel 4 is computed by no mask and is not the black channel: it prints full ink on "
         "every pixel: CHANNELS=5\n"},
        {{"check", "HUE_PARAM_NONE"}, 1, "HUE_PARAM_NONE: error: no preset is named \"HUE_PARAM_NONE\"\n"},
    };
    for (const auto& c : cases) {
        const ToolResult run = runTool(c.args);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_TRUE(contains(run.out, c.line)) << run.out;
    }
}

TEST(SeparateCheck, RefusesErrorsUnlessForcedAndShowsWarningsUnlessQuiet) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(4, 4, 3, 8));
    const std::vector<std::string> base = {"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYK",
                                           "-o", folder.path("out.tif")};
    const std::string error = "<extra>:1: error: MAXINK \"abc\" is not a whole number";
    const std::string warning = "<extra>:1: warning: channel 4";
    struct {
        std::vector<std::string> more;
        int status;
        bool error, warning, written;
    } const cases[] = {
        {{"-q"}, 0, false, false, true},  // a preset's own warnings are not shown
        {{"-x", "MAXINK=abc"}, 1, true, false, false},
        {{"-x", "MAXINK=abc", "--force", "-q"}, 0, true, false, true},
        {{"-x", "CHANNELS=5"}, 0, false, true, true},
        {{"-x", "CHANNELS=5", "-q"}, 0, false, false, true},
    };
    for (const auto& c : cases) {
        std::remove(folder.path("out.tif").c_str());
        std::vector<std::string> args = base;
        args.insert(args.end(), c.more.begin(), c.more.end());
        const ToolResult run = runTool(args);
        SCOPED_TRACE(c.more.back());
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(contains(run.err, error), c.error) << run.err;
        EXPECT_EQ(contains(run.err, warning), c.warning) << run.err;
        EXPECT_EQ(contains(run.err, "HUE_PARAM_CMYK:1: warning"), false) << run.err;
        EXPECT_EQ(exists(folder.path("out.tif")), c.written);
    }
}

} // namespace
