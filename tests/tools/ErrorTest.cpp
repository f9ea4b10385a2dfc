// Every way varnel separate can fail: a one-line message, a non-zero exit
// status and nothing left behind under the requested name.
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <functional>

using namespace tooltest;

namespace {

struct ErrorCase {
    const char* name;
    // Builds the command line in the scratch folder (which holds in.png,
    // a valid image, and note.txt, a text file).
    std::function<std::vector<std::string>(const ScratchFolder&)> args;
    int status;
    const char* message;
};

class SeparateErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SeparateErrorTest, FailsCleanlyWithOneLine) {
    const ErrorCase& param = GetParam();
    ScratchFolder folder;
    writePng(folder.path("in.png"), makeTestImage(8, 8, 3, 8));
    writeFile(folder.path("note.txt"), "not an image\n");
    writeFile(folder.path("bad.cfg"), "CHANNELS=4;COLORWITHBLACK=;HUEMASK00=60,120,240,300;");
    writeFile(folder.path("empty.cfg"), "COLORWITHBLACK=Y;");
    const std::string png = readFile(folder.path("in.png"));
    writeFile(folder.path("cut.png"), png.substr(0, png.size() / 2));
    const std::vector<std::string> before = folder.entries();

    const ToolResult run = runTool(param.args(folder));
    EXPECT_EQ(run.status, param.status) << run.err;
    EXPECT_EQ(run.err.rfind("varnel: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(param.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    // No output, no temporary file, no plates folder: nothing new at all.
    EXPECT_EQ(folder.entries(), before);
}

std::vector<std::string> separate(const ScratchFolder& f, const std::string& input, const std::string& config,
                                  std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"separate", f.path(input), "-c", config, "-o", f.path("out.tif"),
                                     "--plates", f.path("plates"), "--proof", f.path("proof.png")};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SeparateErrorTest,
    ::testing::Values(
        ErrorCase{"MissingInput", [](const ScratchFolder& f) { return separate(f, "none.png", "HUE_PARAM_CMYK"); },
                  1, "cannot open"},
        ErrorCase{"InputIsFolder", [](const ScratchFolder& f) { return separate(f, ".", "HUE_PARAM_CMYK"); }, 1,
                  "cannot read"},
        ErrorCase{"UnsupportedFormat", [](const ScratchFolder& f) { return separate(f, "note.txt", "HUE_PARAM_CMYK"); },
                  1, "is not a PNG, TIFF or JPEG image"},
        ErrorCase{"TruncatedInput", [](const ScratchFolder& f) { return separate(f, "cut.png", "HUE_PARAM_CMYK"); }, 1,
                  "cannot read"},
        ErrorCase{"UnknownPreset", [](const ScratchFolder& f) { return separate(f, "in.png", "HUE_PARAM_CMYKX"); }, 1,
                  "unknown preset"},
        ErrorCase{"ConfigurationDoesNotLoad",
                  [](const ScratchFolder& f) { return separate(f, "in.png", f.path("bad.cfg")); }, 1,
                  "does not load"},
        ErrorCase{"ConfigurationWithoutInks",
                  [](const ScratchFolder& f) { return separate(f, "in.png", f.path("empty.cfg")); }, 1,
                  "defines no ink channels"},
        ErrorCase{"MissingConfigurationFile",
                  [](const ScratchFolder& f) { return separate(f, "in.png", f.path("none.cfg")); }, 1,
                  "cannot read configuration file"},
        ErrorCase{"ExtraTextDoesNotLoad",
                  [](const ScratchFolder& f) {
                      return separate(f, "in.png", "HUE_PARAM_CMYK", {"-x", "COLORWITHBLACK=;"});
                  },
                  1, "with the extra text does not load"},
        ErrorCase{"OutputFolderMissing",
                  [](const ScratchFolder& f) {
                      return std::vector<std::string>{"separate", f.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                                      f.path("none/out.tif")};
                  },
                  1, "cannot write"},
        ErrorCase{"PlatesUnderAFile",
                  [](const ScratchFolder& f) {
                      return std::vector<std::string>{"separate", f.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                                      f.path("out.tif"), "--plates", f.path("note.txt/plates")};
                  },
                  1, "plates"},
        ErrorCase{"ProofUnwritable",
                  [](const ScratchFolder& f) {
                      return std::vector<std::string>{"separate", f.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                                      f.path("out.tif"), "--proof", f.path("none/proof.png")};
                  },
                  1, "cannot write"},
        ErrorCase{"BadDepth",
                  [](const ScratchFolder& f) { return separate(f, "in.png", "HUE_PARAM_CMYK", {"--depth", "12"}); }, 2,
                  "--depth"},
        ErrorCase{"BadThreads",
                  [](const ScratchFolder& f) { return separate(f, "in.png", "HUE_PARAM_CMYK", {"--threads", "0"}); },
                  2, "--threads"},
        ErrorCase{"UnknownOption",
                  [](const ScratchFolder& f) { return separate(f, "in.png", "HUE_PARAM_CMYK", {"--fast"}); }, 2,
                  "unknown option"},
        ErrorCase{"MissingConfig",
                  [](const ScratchFolder& f) {
                      return std::vector<std::string>{"separate", f.path("in.png"), "-o", f.path("out.tif")};
                  },
                  2, "-c CONFIG"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(SeparateInterrupt, LeavesNoFileBehind) {
    ScratchFolder folder;
    // Large enough that the run is still going when the signal arrives.
    const ToolResult chart = runTool({"testchart", "-o", folder.path("in.tif"), "--width", "3000", "--height",
                                      "2000", "--noise", "3"});
    ASSERT_EQ(chart.status, 0) << chart.err;
    const std::vector<std::string> before = folder.entries();
    const ToolResult run = runToolAndInterrupt({"separate", folder.path("in.tif"), "-c", "HUE_PARAM_CMYKOG", "-o",
                                                folder.path("out.tif"), "--proof", folder.path("proof.png"),
                                                "--threads", "1", "--quiet"},
                                               folder.path(""), SIGINT);
    EXPECT_EQ(run.status, 128 + SIGINT) << run.err;
    EXPECT_EQ(folder.entries(), before);
}

TEST(OutputReplacement, AFailedRunKeepsTheEarlierFile) {
    ScratchFolder folder;
    writeFile(folder.path("out.tif"), "earlier result");
    const ToolResult run = runTool({"separate", folder.path("none.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                    folder.path("out.tif")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(folder.path("out.tif")), "earlier result");
}

} // namespace
