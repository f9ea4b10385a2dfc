// Configuration texts and files past every limit: values longer than a
// loader's buffer, more fields than the splitter records, numbers that do
// not fit, files that are no text. Each has one defined outcome.
#include "base/KFile.h"
#include "config/Varnel.h"
#include "stages/VarnelMasks.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Repeat(const std::string& item, int times, const std::string& separator = ",")
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += (i ? separator : "") + item;
    return result;
}

const char kPreset[] =
    "#_MAXIMUMINK=300;CHANNELS=4;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
    "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;BLACKMASK=3;"
    "*HUEMASK_LIGHT00=6,50,66;";

struct TextCase {
    const char* name;
    std::string text;
    int result;
    uint32_t channels;  // on a fresh configuration
};

class LimitTexts : public ::testing::TestWithParam<TextCase> {};

// The same outcome on a fresh configuration and over a preset, as a
// caller's extra text is applied.
TEST_P(LimitTexts, ParseResult)
{
    const TextCase& c = GetParam();
    CVarnel fresh;
    EXPECT_EQ(c.result, fresh.ParseText(c.text.c_str(), long(c.text.size())));
    EXPECT_EQ(c.channels, fresh.GetChannels());

    CVarnel over;
    ASSERT_EQ(0, over.ParseText(kPreset, long(std::strlen(kPreset))));
    EXPECT_EQ(c.result, over.ParseText(c.text.c_str(), long(c.text.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LimitTexts,
    ::testing::Values(
        // Top-level values have no length limit; numbers that do not fit
        // read as 0.
        TextCase{"LongChannels", "CHANNELS=" + std::string(100000, '7') + ";", 0, 0},
        TextCase{"LongChannelsLeadingZeros", "CHANNELS=" + std::string(100000, '0') + "5;", 0, 5},
        TextCase{"LongRound", "ROUND=" + std::string(5000, '1') + ",2,3;", 0, 0},
        TextCase{"LongColorWithBlack", "COLORWITHBLACK=" + std::string(5000, 'Y') + ";", 0, 0},
        // Stage values longer than the loader's buffer are refused whole,
        // never cut.
        TextCase{"LongMask", "HUEMASK00=" + std::string(2000, '6') + ",120,240,300;", -1, 0},
        TextCase{"LongMaskBlanks", "HUEMASK00=60" + std::string(2000, ' ') + ",120,240,300;", -1, 0},
        TextCase{"LongLightMask", "HUEMASK_LIGHT00=1," + std::string(1100, '5') + ",66,Y;", -1, 0},
        TextCase{"LongSecondColor", "SECOND_COLOR00=1," + std::string(1100, '5') + ",25,Y;", -1, 0},
        TextCase{"LongSubstitution", "COLOR_SUBST01=50,20,30,40,Y," + std::string(300, '1') + ";", -1, 0},
        TextCase{"LongestExpression", "COLOR_SUBST01=50,20,30,40,Y," + std::string(111, '1') + ";", 0, 0},
        TextCase{"ExpressionOneTooLong", "COLOR_SUBST01=50,20,30,40,Y," + std::string(112, '1') + ";", -1, 0},
        TextCase{"LongFlag", "GRAY_SUBST=50,20,30,40," + std::string(16, 'Y') + ";", -1, 0},
        TextCase{"LongAddition", "COLOR_ADD01=50," + std::string(300, '1') + ",Y;", -1, 0},
        TextCase{"LongContact", "CHANNEL_CONTACT00=" + std::string(3000, '1') + ",2;", -1, 0},
        // A definition too long to store is skipped; the name then reads 0.
        TextCase{"LongVariable", "#_A=" + std::string(200, '9') + ";\rCHANNELS=_A;", 0, 0},
        TextCase{"LongVariableName", "#_" + std::string(200, 'A') + "=5;\rCHANNELS=4;", 0, 4},
        // More than the 256 fields the splitter records: refused by every
        // stage; the lift reads its first three.
        TextCase{"FieldsRound", "ROUND=" + Repeat("1", 300) + ";", 0, 0},
        TextCase{"FieldsMask", "HUEMASK00=" + Repeat("60", 300) + ";", -1, 0},
        TextCase{"FieldsLightMask", "HUEMASK_LIGHT00=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"FieldsSecondColor", "SECOND_COLOR00=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"FieldsSubstitution", "COLOR_SUBST01=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"FieldsAddition", "COLOR_ADD01=50," + Repeat("1", 300) + ",Y;", -1, 0},
        TextCase{"FieldsBlackAddition", "BLACK_ADD=50," + Repeat("1", 300) + ",Y;", -1, 0},
        TextCase{"FieldsContact", "CHANNEL_CONTACT00=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"ManyDefinitions", Repeat("#_V=1;", 300, "") + "\rCHANNELS=4;", 0, 4},
        TextCase{"ManyStatements", Repeat("CHANNELS=4", 300, ";") + ";", 0, 4},
        // Numbers: a negative count wraps, one past 32 bits reads 0.
        TextCase{"SeventeenChannels", "CHANNELS=17;", 0, 17},
        TextCase{"NegativeChannels", "CHANNELS=-1;", 0, 4294967295u},
        TextCase{"HugeChannels", "CHANNELS=4294967296;", 0, 0},
        TextCase{"HugeStageNumbers", "HUEMASK_LIGHT00=0,2147483647,-2147483648,Y;"
                                     "SECOND_COLOR00=0,2147483647,-2147483648,Y;"
                                     "GRAY_SUBST=2147483647,-2147483648,2147483647,-2147483648,Y;"
                                     "COLOR_ADD00=2147483647,-2147483648,Y;MAXINK=99999999999;"
                                     "HUEMASK00=2147483647,-2147483648,99999999999,-99999999999;", 0, 0},
        // Expressions are checked when evaluated, not when loaded.
        TextCase{"Expressions", "COLOR_SUBST01=50,20,30,40,Y,1/0;COLOR_SUBST02=50,20,30,40,Y,(((;"
                                "COLOR_SUBST03=50,20,30,40,Y,_NOPE*2;GRAY_SUBST=5,2,3,4,Y,nope;", 0, 0}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("varnel_hardening_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::filesystem::path m_dir;
};

TEST_F(HostileFiles, BinaryContent)
{
    struct Case {
        std::string content;
        int result;
        uint32_t channels;
    };
    std::string everyByte;
    for (int i = 0; i < 1024; ++i)
        everyByte += char(i & 255);
    const Case cases[] = {
        // The text ends at its first zero byte.
        {everyByte, 0, 0},
        {"CHANNELS=6;" + everyByte, 0, 6},
        // Marks of other encodings are bytes like any other.
        {"\xFF\xFE" "CHANNELS=6;\xFF\xFE", 0, 6},
        {"\xEF\xBB\xBF" "CHANNELS=7;", 0, 7},
        {std::string(5000, '\xFF') + "CHANNELS=5;", 0, 5},
    };
    for (const Case& c : cases) {
        CVarnel config;
        EXPECT_EQ(c.result, config.LoadFile(KFile(Write("binary.cfg", c.content).c_str())));
        EXPECT_EQ(c.channels, config.GetChannels());
    }
}

TEST_F(HostileFiles, HundredMegabytes)
{
    std::string content = "CHANNELS=5;HUEMASK00=60,120,240,300;";
    content.resize(100u << 20, 'x');
    CVarnel config;
    EXPECT_EQ(0, config.LoadFile(KFile(Write("large.cfg", content).c_str())));
    EXPECT_EQ(5u, config.GetChannels());
    EXPECT_EQ(1, config.GetMasks()->GetCount());
}

} // namespace
