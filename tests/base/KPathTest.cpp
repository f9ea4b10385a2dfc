#include "base/KPath.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    const char* path;
    const char* baseName;
    const char* extension;
};

class KPathSplit : public ::testing::TestWithParam<NameCase> {};

TEST_P(KPathSplit, BaseNameAndExtension)
{
    const NameCase& c = GetParam();
    KPath path(c.path);
    EXPECT_EQ(path.GetBaseName().StdString(), c.baseName);
    EXPECT_EQ(path.GetExtension().StdString(), c.extension);
}

INSTANTIATE_TEST_SUITE_P(Names, KPathSplit,
                         ::testing::Values(NameCase{"/dir/base.cfg", "base", "cfg"},
                                           NameCase{"C:\\dir\\base.cfg", "C:\\dir\\base", "cfg"},
                                           NameCase{"HUE_PARAM_CMYKOG", "HUE_PARAM_CMYKOG", ""},
                                           NameCase{"dir.d/name", "name", ""},
                                           NameCase{"archive.tar.gz", "archive.tar", "gz"},
                                           NameCase{"trailing.", "trailing", ""},
                                           NameCase{"/dir/", "", ""},
                                           NameCase{"", "", ""}),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             return ReadableName(std::to_string(info.index) + " " + info.param.path);
                         });

TEST(KPath, SplitKeepsThePathEncoding)
{
    KPath ansi(KString(std::string("/tmp/caf\xE9.cfg"), ENC_ANSI));
    KString base = ansi.GetBaseName();
    EXPECT_EQ(base.GetEncoding(), ENC_ANSI);
    EXPECT_EQ(base.StdString(), "caf\xE9");

    KPath utf16(KString(std::string("n\0a\0.\0x\0", 8), ENC_UTF16LE));
    KString ext = utf16.GetExtension();
    EXPECT_EQ(ext.GetEncoding(), ENC_UTF16LE);
    EXPECT_TRUE(ext == "x");
}

} // namespace
