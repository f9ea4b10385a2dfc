// Every way varnel separate can fail: a one-line message, a non-zero exit
// status and nothing left behind under the requested name.
#include "ToolTestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

using namespace tooltest;

namespace {

struct ErrorCase {
    const char* name;
    // Arguments after "separate"; a leading '@' stands for the scratch
    // folder, which holds in.png (a valid image), note.txt (a text file),
    // cut.png, bad.cfg and empty.cfg. Without "-o" every output is asked
    // for, so that nothing may appear under any of their names.
    std::vector<std::string> args;
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

    std::vector<std::string> args = {"separate"};
    for (const std::string& arg : param.args) args.push_back(arg[0] == '@' ? folder.path(arg.substr(1)) : arg);
    if (std::find(args.begin(), args.end(), "-o") == args.end())
        args.insert(args.end(), {"-o", folder.path("out.tif"), "--plates", folder.path("plates"), "--proof",
                                 folder.path("proof.png")});
    const ToolResult run = runTool(args);
    EXPECT_EQ(run.status, param.status) << run.err;
    EXPECT_EQ(run.err.rfind("varnel: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(param.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    // No output, no temporary file, no plates folder: nothing new at all.
    EXPECT_EQ(folder.entries(), before);
}

const char* const kCmyk = "HUE_PARAM_CMYK";

INSTANTIATE_TEST_SUITE_P(
    Errors, SeparateErrorTest,
    ::testing::Values(
        ErrorCase{"MissingInput", {"@none.png", "-c", kCmyk}, 1, "cannot open"},
        ErrorCase{"InputIsFolder", {"@.", "-c", kCmyk}, 1, "cannot read"},
        ErrorCase{"UnsupportedFormat", {"@note.txt", "-c", kCmyk}, 1, "is not a PNG, TIFF or JPEG image"},
        ErrorCase{"TruncatedInput", {"@cut.png", "-c", kCmyk}, 1, "cannot read"},
        ErrorCase{"UnknownPreset", {"@in.png", "-c", "HUE_PARAM_CMYKX"}, 1, "unknown preset"},
        ErrorCase{"ConfigurationDoesNotLoad", {"@in.png", "-c", "@bad.cfg"}, 1, "does not load"},
        ErrorCase{"ConfigurationWithoutInks", {"@in.png", "-c", "@empty.cfg"}, 1, "defines no ink channels"},
        ErrorCase{"MissingConfigurationFile", {"@in.png", "-c", "@none.cfg"}, 1, "cannot read configuration file"},
        ErrorCase{"ExtraTextDoesNotLoad", {"@in.png", "-c", kCmyk, "-x", "COLORWITHBLACK=;"}, 1,
                  "with the extra text does not load"},
        ErrorCase{"OutputFolderMissing", {"@in.png", "-c", kCmyk, "-o", "@none/out.tif"}, 1, "cannot write"},
        ErrorCase{"PlatesUnderAFile", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--plates", "@note.txt/plates"}, 1,
                  "plates"},
        ErrorCase{"ProofUnwritable", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "@none/proof.png"}, 1,
                  "cannot write"},
        ErrorCase{"BadDepth", {"@in.png", "-c", kCmyk, "--depth", "12"}, 2, "--depth"},
        ErrorCase{"BadThreads", {"@in.png", "-c", kCmyk, "--threads", "0"}, 2, "--threads"},
        ErrorCase{"InkNamesDoNotFit", {"@in.png", "-c", kCmyk, "--ink-names", "A,B,C"}, 2, "4 inks"},
        ErrorCase{"UnknownOption", {"@in.png", "-c", kCmyk, "--fast"}, 2, "unknown option"},
        ErrorCase{"MissingConfig", {"@in.png", "-o", "@out.tif"}, 2, "-c CONFIG"},
        ErrorCase{"BatchInputsShareAName", {"@in.png", "@./in.png", "-c", kCmyk, "-o", "@batch/"}, 2,
                  "would both be written to"},
        ErrorCase{"BadTacLimit", {"@in.png", "-c", kCmyk, "--tac-limit", "0"}, 2, "--tac-limit"},
        ErrorCase{"UnknownCompression", {"@in.png", "-c", kCmyk, "--compression", "jpeg"}, 2, "--compression"},
        ErrorCase{"LevelOutOfRange", {"@in.png", "-c", kCmyk, "--level", "13"}, 2, "--level"},
        ErrorCase{"InkColorsDoNotFit", {"@in.png", "-c", kCmyk, "--ink-colors", "ff0000,00ff00"}, 2, "4 inks"},
        ErrorCase{"InkColorNotHex", {"@in.png", "-c", kCmyk, "--ink-colors", "ff0000,00ff00,0000ff,black"}, 2,
                  "'black' is not a colour"},
        ErrorCase{"UnknownFormat", {"@in.png", "-c", kCmyk, "--format", "pdf"}, 2, "--format"},
        ErrorCase{"LevelWithoutOne", {"@in.png", "-c", kCmyk, "--compression", "lzw", "--level", "2"}, 2,
                  "--level applies only"}),
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
