// Every way varnel separate can fail: a one-line message, a non-zero exit
// status and nothing left behind under the requested name.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace tooltest;

namespace {

// Each entry of the folder with what it is: a regular file's content, a
// link's target, or the kind of a FIFO.
std::vector<std::string> snapshot(const ToolFolder& folder) {
    std::vector<std::string> result;
    for (const std::string& name : folder.entries()) {
        const std::filesystem::path path = folder.path(name);
        const auto status = std::filesystem::symlink_status(path);
        if (std::filesystem::is_symlink(status)) {
            result.push_back(name + " -> " + std::filesystem::read_symlink(path).string());
        } else if (std::filesystem::is_regular_file(status)) {
            result.push_back(name + ": " + readFile(path.string()));
        } else {
            result.push_back(name + " (not a regular file)");
        }
    }
    return result;
}

TEST_P(SeparateFailure, FailsCleanlyWithOneLine) {
    const FailureCase& param = GetParam();
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(8, 8, 3, 8));
    writeFile(folder.path("note.txt"), "not an image\n");
    writeFile(folder.path("bad.cfg"), "CHANNELS=4;COLORWITHBLACK=;HUEMASK00=60,120,240,300;");
    writeFile(folder.path("empty.cfg"), "COLORWITHBLACK=Y;");
    const std::string png = readFile(folder.path("in.png"));
    writeFile(folder.path("cut.png"), png.substr(0, png.size() / 2));
    writeTiff(folder.path("in.tif"), makeTestImage(8, 8, 3, 8));
    ASSERT_EQ(symlink("in.tif", folder.path("link.tif").c_str()), 0);
    ASSERT_EQ(symlink("none.tif", folder.path("gone.tif").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.path("fifo").c_str(), 0600), 0);
    if (param.prepare) param.prepare(folder);
    const std::vector<std::string> before = snapshot(folder);

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
    // No output, no temporary file, no plates folder, no file replaced:
    // nothing new at all.
    EXPECT_EQ(snapshot(folder), before);
}

const char* const kCmyk = "HUE_PARAM_CMYK";

INSTANTIATE_TEST_SUITE_P(
    Errors, SeparateFailure,
    ::testing::Values(
        // A failed run keeps the file it would have replaced.
        FailureCase{"MissingInputKeepsTheEarlierOutput", {"@none.png", "-c", kCmyk, "-o", "@out.tif"}, 1, "cannot open",
                    [](const ToolFolder& f) { writeFile(f.path("out.tif"), "earlier result"); }},
        FailureCase{"InputIsFolder", {"@.", "-c", kCmyk}, 1, "cannot read"},
        FailureCase{"UnsupportedFormat", {"@note.txt", "-c", kCmyk}, 1, "is not a PNG, TIFF or JPEG image"},
        FailureCase{"TruncatedInput", {"@cut.png", "-c", kCmyk}, 1, "cannot read"},
        FailureCase{"UnknownPreset", {"@in.png", "-c", "HUE_PARAM_CMYKX"}, 1, "unknown preset 'HUE_PARAM_CMYKX' (varnel"},
        FailureCase{"InksInAnotherOrder", {"@in.png", "-c", "HUE_PARAM_CMYKGO"}, 1, "did you mean HUE_PARAM_CMYKOG?"},
        FailureCase{"PresetInLowerCase", {"@in.png", "-c", "hue_param_cmyk"}, 1, "did you mean HUE_PARAM_CMYK?"},
        FailureCase{"PresetMistyped", {"@in.png", "-c", "HUE_PARM_CMYKOG"}, 1, "did you mean HUE_PARAM_CMYKOG?"},
        FailureCase{"ConfigurationDoesNotLoad", {"@in.png", "-c", "@bad.cfg"}, 1, "does not load"},
        FailureCase{"ConfigurationWithoutInks", {"@in.png", "-c", "@empty.cfg"}, 1, "defines no ink channels"},
        FailureCase{"MissingConfigurationFile", {"@in.png", "-c", "@none.cfg"}, 1, "cannot read configuration file"},
        FailureCase{"ExtraTextDoesNotLoad", {"@in.png", "-c", kCmyk, "-x", "COLORWITHBLACK=;"}, 1,
                  "the extra text, line 1: the statement \"COLORWITHBLACK=\""},
        FailureCase{"OutputFolderMissing", {"@in.png", "-c", kCmyk, "-o", "@none/out.tif"}, 1, "cannot write"},
        FailureCase{"PlatesUnderAFile", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--plates", "@note.txt/plates"}, 1,
                  "plates"},
        FailureCase{"ProofUnwritable", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "@none/proof.png"}, 1,
                  "cannot write"},
        FailureCase{"BadDepth", {"@in.png", "-c", kCmyk, "--depth", "12"}, 2, "--depth"},
        FailureCase{"BadThreads", {"@in.png", "-c", kCmyk, "--threads", "0"}, 2, "--threads"},
        FailureCase{"InkNamesDoNotFit", {"@in.png", "-c", kCmyk, "--ink-names", "A,B,C"}, 2, "4 inks"},
        FailureCase{"UnknownOption", {"@in.png", "-c", kCmyk, "--fast"}, 2, "unknown option"},
        FailureCase{"MissingConfig", {"@in.png", "-o", "@out.tif"}, 2, "-c CONFIG"},
        FailureCase{"BatchInputsShareAName", {"@in.png", "@./in.png", "-c", kCmyk, "-o", "@batch/"}, 2,
                  "are the same file"},
        // An output is never an input or another output, whatever its name.
        FailureCase{"OutputIsTheInput", {"@in.tif", "-c", kCmyk, "-o", "@./in.tif"}, 2, "is the input"},
        FailureCase{"OutputIsTheInputThroughALink", {"@in.tif", "-c", kCmyk, "-o", "@link.tif"}, 2, "is the input"},
        FailureCase{"ProofIsTheInput", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "@in.png"}, 2,
                  "is the input"},
        FailureCase{"ProofIsTheTacMap",
                  {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "@p.png", "--tac-map", "@./p.png"}, 2,
                  "are the same file"},
        FailureCase{"BatchOutputIsAnInput", {"@in.png", "@in.tif", "-c", kCmyk, "-o", "@"}, 2, "is the input"},
        // A FIFO or device is written into or refused, never replaced.
        FailureCase{"TiffIntoAFifo", {"@in.png", "-c", kCmyk, "-o", "@fifo"}, 1, "it is a FIFO"},
        // Every output's format follows its name, or the name is refused.
        FailureCase{"OutputNamesAnotherFormat", {"@in.png", "-c", kCmyk, "-o", "@e.jpg"}, 2, "must end in .tif"},
        FailureCase{"ProofNamesAnotherFormat", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "@p.tif"}, 2,
                  "--proof"},
        FailureCase{"ReportNamesAnotherFormat", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--report", "@r.txt"}, 2,
                  "must end in .json"},
        FailureCase{"FormatDisagreesWithName", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--format", "psd"}, 2,
                  "disagree"},
        // The system's reason, with the output's own name.
        FailureCase{"ProofOnAFullDisk", {"@in.png", "-c", kCmyk, "-o", "@out.tif", "--proof", "/dev/full"}, 1,
                  "cannot write '/dev/full': No space left on device"},
        FailureCase{"PageOfAPng", {"@in.png", "-c", kCmyk, "--page", "2"}, 1, "has no page 2"},
        FailureCase{"PageBeyondTheTiff", {"@in.tif", "-c", kCmyk, "--page", "2"}, 1, "has no page 2"},
        // Options that cannot take effect are refused.
        FailureCase{"CacheDirWithoutCache", {"@in.png", "-c", kCmyk, "--cache-dir", "@"}, 2, "applies only with --cache"},
        FailureCase{"CompressionOfAPsd", {"@in.png", "-c", kCmyk, "-o", "@out.psd", "--level", "3"}, 2,
                  "apply only to TIFF"},
        FailureCase{"OutputIsADanglingLink", {"@in.png", "-c", kCmyk, "-o", "@gone.tif"}, 1,
                  "a link to a file that does not exist"},
        FailureCase{"BadTacLimit", {"@in.png", "-c", kCmyk, "--tac-limit", "0"}, 2, "--tac-limit"},
        FailureCase{"UnknownCompression", {"@in.png", "-c", kCmyk, "--compression", "jpeg"}, 2, "--compression"},
        FailureCase{"LevelOutOfRange", {"@in.png", "-c", kCmyk, "--level", "13"}, 2, "--level"},
        FailureCase{"InkColorsDoNotFit", {"@in.png", "-c", kCmyk, "--ink-colors", "ff0000,00ff00"}, 2, "4 inks"},
        FailureCase{"InkColorNotHex", {"@in.png", "-c", kCmyk, "--ink-colors", "ff0000,00ff00,0000ff,black"}, 2,
                  "'black' is not a colour"},
        FailureCase{"UnknownBigTiff", {"@in.png", "-c", kCmyk, "--bigtiff", "maybe"}, 2, "--bigtiff"},
        FailureCase{"UnknownFormat", {"@in.png", "-c", kCmyk, "--format", "pdf"}, 2, "--format"},
        FailureCase{"LevelWithoutOne", {"@in.png", "-c", kCmyk, "--compression", "lzw", "--level", "2"}, 2,
                  "--level applies only"}),
    failureName);

TEST(SeparateInterrupt, LeavesNoFileBehind) {
    ToolFolder folder;
    // Large enough that the run is still going when the signal arrives.
    const ToolResult chart = runTool({"testchart", "-o", folder.path("in.tif"), "--width", "3000", "--height",
                                      "2000", "--noise", "3"});
    ASSERT_EQ(chart.status, 0) << chart.err;
    const std::vector<std::string> before = folder.entries();
    // Interrupted once the plates folder it created holds a temporary file.
    const ToolResult run = runToolAndInterrupt({"separate", folder.path("in.tif"), "-c", "HUE_PARAM_CMYKOG", "-o",
                                                folder.path("out.tif"), "--proof", folder.path("proof.png"),
                                                "--plates", folder.path("plates"), "--threads", "1", "--quiet"},
                                               folder.path("plates"), SIGINT);
    EXPECT_EQ(run.status, 128 + SIGINT) << run.err;
    EXPECT_EQ(folder.entries(), before);
}

TEST(FullDisk, TheMessageGivesTheSystemsReasonAndTheOutputsName) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(200, 200, 3, 8));
    const std::vector<std::string> before = folder.entries();
    const ToolResult run = runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                    folder.path("out.tif"), "--quiet"},
                                   20000);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "varnel: cannot write '" + folder.path("out.tif") + "': File too large\n");
    EXPECT_EQ(folder.entries(), before);
}

} // namespace
