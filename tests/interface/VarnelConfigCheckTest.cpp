// varnel_check: what it finds in a configuration, where, and how severe;
// every built-in preset passes without an error.
#include "interface/VarnelPresets.h"
#include "varnel/separation.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A finding as "<E|W><c|x><line>: message".
void Collect(int severity, int text, unsigned line, const char* statement, const char* message, void* user)
{
    auto& found = *static_cast<std::vector<std::string>*>(user);
    found.push_back(std::string(severity == VARNEL_FINDING_ERROR ? "E" : "W") +
                    (text == VARNEL_TEXT_CONFIG ? "c" : "x") + std::to_string(line) + ": " + message + " | " +
                    statement);
}

// Four inks without variables: nothing to find.
const char kClean[] = "CHANNELS=4;COLORWITHBLACK=Y;MAXINK=260;HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;"
                      "HUEMASK01=180,240,0,60;CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;"
                      "CHANNEL_CONTACT02=0,1;BLACKMASK=3;";

struct CheckCase {
    const char* name;
    std::string config;  // a configuration text
    const char* extra;
    // Each finding's "<E|W><c|x><line>" and a part of its message.
    std::vector<std::pair<std::string, std::string>> expected;
    int status = VARNEL_OK;  // what varnel_load says of the texts
};

class ConfigCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(ConfigCheck, ReportsWhatTheLibraryMisreads)
{
    const CheckCase& c = GetParam();
    std::vector<std::string> found;
    size_t errors = 99, warnings = 99;
    ASSERT_EQ(varnel_check_text(c.config.data(), c.config.size(), c.extra, &Collect, &found, &errors, &warnings),
              c.status);
    ASSERT_EQ(found.size(), c.expected.size()) << testing::PrintToString(found);
    size_t expectedErrors = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].substr(0, c.expected[i].first.size() + 1), c.expected[i].first + ":") << found[i];
        EXPECT_NE(found[i].find(c.expected[i].second), std::string::npos) << found[i];
        expectedErrors += c.expected[i].first[0] == 'E';
    }
    EXPECT_EQ(errors, expectedErrors);
    EXPECT_EQ(warnings, found.size() - expectedErrors);
}

const std::string kVariables = "#_W=Y;\r\nCHANNELS=1;HUEMASK00=0,0,360,360;COLORWITHBLACK=_W;";
// A value of 255 characters, one more than a hue mask takes.
const std::string kLongValue = "HUEMASK00=60,120,240," + std::string(244, '0');

INSTANTIATE_TEST_SUITE_P(
    Findings, ConfigCheck,
    testing::Values(
        CheckCase{"Clean", kClean, nullptr, {}},
        CheckCase{"VariableOnItsOwnLine", kVariables, nullptr, {}},
        CheckCase{"MisspeltKey", kClean, "MAXIK=200", {{"Ex1", "did you mean MAXINK?"}}},
        CheckCase{"MisspeltNumberedKey", kClean, "HUEMSK04=1,2,3,4", {{"Ex1", "did you mean HUEMASK04?"}}},
        CheckCase{"LowerCaseKey", kClean, "maxink=200", {{"Ex1", "keys are upper case"}}},
        CheckCase{"NumberPast15", kClean, "HUEMASK16=1,2,3,4", {{"Ex1", "from 00 to 15"}}},
        CheckCase{"NotAStatement", kClean, "MAXINK 200", {{"Ex1", "not a statement"}}},
        CheckCase{"KeyInsideAnotherKey", kClean, "XMAXINK=250", {{"Ex1", "read as MAXINK="}}},
        CheckCase{"NotANumber", kClean, "MAXINK=abc", {{"Ex1", "not a whole number"}}},
        CheckCase{"HueWithTrailingText", kClean, "HUEMASK00=60,120,240,300x", {{"Ex1", "reads as 300"}}},
        CheckCase{"CommaJoinsDigits",
                  kClean,
                  "BLACKMASK=3,4",
                  {{"Wc1", "channel 3 is computed by no mask"}, {"Ex1", "reads as 34"}}},
        CheckCase{"HueOutOfRange", kClean, "HUEMASK00=60,120,400,420", {{"Ex1", "outside 0 to 360"}}},
        CheckCase{"PercentOutOfRange", kClean, "SECOND_COLOR00=1,50,125,Y", {{"Ex1", "outside 0 to 100"}}},
        CheckCase{"TooManyFields", kClean, "CHANNEL_CONTACT03=1,2,3", {{"Ex1", "too many fields"}}},
        CheckCase{"ValueTooLong", kClean, kLongValue.c_str(), {{"Ex1", "longer than 254 characters"}}, VARNEL_ERROR_CONFIG},
        // Also keeps the configuration from loading: reported once.
        CheckCase{"TooFewFields", kClean, "HUEMASK_LIGHT00=2,50,66", {{"Ex1", "too few fields"}}, VARNEL_ERROR_CONFIG},
        CheckCase{"MaskPastChannels", kClean, "HUEMASK05=0", {{"Ex1", "serves channel 5, but CHANNELS is 4"}},
                  VARNEL_ERROR_CONFIG},
        CheckCase{"NoChannels", "HUEMASK00=0,0,360,360;", nullptr, {{"Ec0", "defines no ink channels"}},
                  VARNEL_ERROR_CONFIG},
        CheckCase{"FlagInLowerCase", kClean, "SECOND_COLOR00=1,50,25,n", {{"Ex1", "reads as on"}}},
        CheckCase{"WithBlackInLowerCase", kClean, "COLORWITHBLACK=y", {{"Ex1", "reads as N"}}},
        CheckCase{"AmountPastChannels", kClean, "COLOR_ADD00=50,1,2,3,4,5,Y", {{"Ex1", "amount for channel 4"}}},
        CheckCase{"MaskOfTheBlackChannel", kClean, "HUEMASK03=0,60,120,180", {{"Ex1", "never used"}}},
        CheckCase{"SubstitutionOfTheBlackChannel", kClean, "COLOR_SUBST03=50,10,10,10,Y", {{"Ex1", "GRAY_SUBST"}}},
        CheckCase{"ExpressionThatCannotBeEvaluated", kClean, "COLOR_SUBST00=50,10,10,10,Y,2*(", {{"Ex1", "expression"}}},
        CheckCase{"UndefinedVariable", kClean, "MAXINK=_X", {{"Ex1", "no variable \"_X\""}}},
        CheckCase{"VariableWhereNoneIsTaken", kClean, "CHANNEL_CONTACT03=_A,2", {{"Ex1", "takes no variable"}}},
        // A numeric variable is handed out with two decimals.
        CheckCase{"NumericVariableAsInteger", "#_M=250;\r\nCHANNELS=1;HUEMASK00=0,0,360,360;MAXINK=_M;", nullptr,
                  {{"Ec2", "_M gives \"250.00\""}}},
        CheckCase{"ExtraChannelWithoutMask", kClean, "CHANNELS=5", {{"Wx1", "channel 4 is computed by no mask"}}},
        CheckCase{"BlackMovedAway",
                  kClean,
                  "BLACKMASK=9",
                  {{"Wc1", "channel 3 is computed by no mask"}, {"Ex1", "no channel: CHANNELS is 4"}}},
        CheckCase{"SecondContact", kClean, "CHANNEL_CONTACT00=2,1", {{"Wx1", "adds a second contact"}}},
        CheckCase{"Clamped", kClean, "MAXINK=150", {{"Wx1", "reads as 200"}}},
        CheckCase{"GivenTwice", kClean, "MAXINK=250;\nMAXINK=260", {{"Wx2", "only the first, on line 1"}}},
        CheckCase{"SwitchedOffElsewhere", kClean, "MAXINK=260;*MAXINK=250", {{"Wx1", "switched off"}}},
        CheckCase{"DefinitionInExtraText", kClean, "#_A=5;\r\n", {{"Wx1", "not the extra text"}}},
        CheckCase{"DefinitionNotOnItsOwnLine",
                  "CHANNELS=1;#_W=Y;\r\nHUEMASK00=0,0,360,360;COLORWITHBLACK=_W;",
                  nullptr,
                  {{"Wc1", "definition never read"}, {"Ec2", "reads as N"}}}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(ConfigCheckPresets, EveryPresetHasNoErrorAndItsTwoKnownWarnings)
{
    for (int i = 0; i < VarnelPresetCount(); ++i) {
        const char* name = VarnelPresetTable()[i].name;
        std::vector<std::string> found;
        size_t errors = 99, warnings = 99;
        ASSERT_EQ(varnel_check(name, nullptr, &Collect, &found, &errors, &warnings), VARNEL_OK) << name;
        EXPECT_EQ(errors, 0u) << name << testing::PrintToString(found);
        // The definition on the preset's single line is never read, so
        // MAXINK=_MAXIMUMINK reads as 0 and is clamped to 200 %.
        ASSERT_EQ(warnings, 2u) << name << testing::PrintToString(found);
        EXPECT_EQ(found[0].rfind("Wc1: variable definition never read", 0), 0u) << found[0];
        EXPECT_EQ(found[1].rfind("Wc1: MAXINK reads as 200", 0), 0u) << found[1];
    }
}

TEST(ConfigCheckWrapper, CollectsFindingsAndThrowsWhenThereIsNothingToCheck)
{
    int status = 99;
    const std::vector<varnel::Finding> findings = varnel::check("HUE_PARAM_CMYK", "HUEMASK05=0", &status);
    EXPECT_EQ(status, VARNEL_ERROR_CONFIG);
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_TRUE(findings[2].error && findings[2].inExtraText);
    EXPECT_EQ(findings[2].line, 1u);
    EXPECT_EQ(findings[2].statement, "HUEMASK05=0");
    try {
        varnel::check("HUE_PARAM_NONE");
        ADD_FAILURE() << "no exception";
    } catch (const varnel::Error& error) {
        EXPECT_EQ(error.status(), VARNEL_ERROR_NOT_FOUND);
        EXPECT_NE(std::string(error.what()).find("HUE_PARAM_NONE"), std::string::npos);
    }
    // Nothing to check is one error, but for no configuration at all.
    size_t errors = 99;
    EXPECT_EQ(varnel_check("/nonexistent/folder/x.cfg", nullptr, nullptr, nullptr, &errors, nullptr), VARNEL_ERROR_FILE);
    EXPECT_EQ(errors, 1u);
    EXPECT_EQ(varnel_check(nullptr, nullptr, nullptr, nullptr, &errors, nullptr), VARNEL_ERROR_ARGUMENT);
    EXPECT_EQ(errors, 0u);
}

} // namespace
