// Where varnel separate puts its files when the output names are links,
// devices or folders shared with other runs.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tooltest;

namespace {

TEST(OutputFile, ALinkKeepsPointingAtTheReplacedFile) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(9, 5, 3, 8));
    writeFile(folder.path("earlier.tif"), "earlier result");
    ASSERT_EQ(symlink("earlier.tif", folder.path("out.tif").c_str()), 0);
    const ToolResult run =
        runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o", folder.path("out.tif"), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    struct stat info {};
    ASSERT_EQ(lstat(folder.path("out.tif").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readSeparatedTiff(folder.path("earlier.tif")).numberOfInks, 4);
}

TEST(OutputFile, ADeviceIsWrittenIntoNotReplaced) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(9, 5, 3, 8));
    // Two outputs may share a device: /dev/null takes both.
    const ToolResult run = runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o",
                                    folder.path("out.tif"), "--proof", "/dev/null", "--report", "/dev/null"});
    ASSERT_EQ(run.status, 0) << run.err;
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_NE(run.out.find("wrote /dev/null"), std::string::npos) << run.out;
}

// A run that was killed outright (no chance to clean up) leaves hidden
// files; the next run in the folder removes those of processes that no
// longer run, and only those.
TEST(OutputFile, TemporariesOfDeadProcessesAreRemoved) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(9, 5, 3, 8));
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string stale = ".old.tif.varnel-" + std::to_string(dead) + "-a1b2c3";
    const std::string live = ".old.tif.varnel-" + std::to_string(getpid()) + "-a1b2c3";
    writeFile(folder.path(stale), "left by a killed run");
    writeFile(folder.path(live), "still being written");
    const ToolResult run =
        runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYK", "-o", folder.path("out.tif"), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(exists(folder.path(stale)));
    EXPECT_TRUE(exists(folder.path(live)));
}

} // namespace
