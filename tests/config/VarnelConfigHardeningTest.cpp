// Configuration texts and files past every limit: values longer than a
// loader's buffer, more fields than the splitter records, numbers that do
// not fit. Each has one defined outcome (files that are no text: HostileFiles
// in the interface tests).
#include "config/Varnel.h"
#include "stages/VarnelMasks.h"

#include <gtest/gtest.h>

#include <cstring>
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
        TextCase{"LongLightMask", "HUEMASK_LIGHT00=1," + std::string(1100, '5') + ",66,Y;", -1, 0},
        TextCase{"LongSecondColor", "SECOND_COLOR00=1," + std::string(1100, '5') + ",25,Y;", -1, 0},
        TextCase{"LongSubstitution", "COLOR_SUBST01=50,20,30,40,Y," + std::string(300, '1') + ";", -1, 0},
        TextCase{"LongestExpression", "COLOR_SUBST01=50,20,30,40,Y," + std::string(111, '1') + ";", 0, 0},
        TextCase{"ExpressionOneTooLong", "COLOR_SUBST01=50,20,30,40,Y," + std::string(112, '1') + ";", -1, 0},
        TextCase{"LongAddition", "COLOR_ADD01=50," + std::string(300, '1') + ",Y;", -1, 0},
        TextCase{"LongContact", "CHANNEL_CONTACT00=" + std::string(3000, '1') + ",2;", -1, 0},
        // A definition too long to store is skipped; the name then reads 0.
        TextCase{"LongVariable", "#_A=" + std::string(200, '9') + ";\rCHANNELS=_A;", 0, 0},
        TextCase{"LongVariableName", "#_" + std::string(200, 'A') + "=5;\rCHANNELS=4;", 0, 4},
        // More than the 256 fields the splitter records: refused by the
        // stages whose buffer holds them (in the others the value is too
        // long already); the lift reads its first three.
        TextCase{"FieldsRound", "ROUND=" + Repeat("1", 300) + ";", 0, 0},
        TextCase{"FieldsLightMask", "HUEMASK_LIGHT00=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"FieldsSecondColor", "SECOND_COLOR00=" + Repeat("1", 300) + ";", -1, 0},
        TextCase{"FieldsBlackAddition", "BLACK_ADD=50," + Repeat("1", 300) + ",Y;", -1, 0},
        TextCase{"ManyDefinitions", Repeat("#_V=1;", 300, "") + "\rCHANNELS=4;", 0, 4},
        TextCase{"ManyStatements", Repeat("CHANNELS=4", 300, ";") + ";", 0, 4},
        // Numbers: a negative count wraps, one past 32 bits reads 0.
        TextCase{"SeventeenChannels", "CHANNELS=17;", 0, 17},
        TextCase{"NegativeChannels", "CHANNELS=-1;", 0, 4294967295u},
        TextCase{"HugeChannels", "CHANNELS=4294967296;", 0, 0}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

} // namespace
