// What the loaders of the light masks, second colours, colour substitution
// and colour addition share: the percentage arithmetic, the field buffer,
// and the statement rules, checked once for every loader.
#include "config/VarnelVarContainer.h"
#include "stages/VarnelColorAddition.h"
#include "stages/VarnelColorSubst.h"
#include "stages/VarnelMasksLight.h"
#include "stages/VarnelSecondColors.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

TEST(PercentTest, ConvertsToUnitsAndTableCoordinate)
{
    const struct {
        int64_t percent;
        int32_t units, tableX;
    } cases[] = {{0, 0, 65535}, {50, 32767, 32768}, {66, 43253, 22282}, {100, 65535, 0}, {-1, -655, 66190},
                 // The product no longer fits 32 bits: still defined.
                 {40000, 26214000, 65535 - 26214000}};
    for (const auto& c : cases) {
        EXPECT_EQ(PercentToUnits(c.percent), c.units) << c.percent;
        EXPECT_EQ(PercentToTableX(c.percent), c.tableX) << c.percent;
    }
}

TEST(ReshapedPercentTest, SwitchesAtOneThird)
{
    const int32_t in[] = {0, 10, 20, 33, 34, 40, 50, 100};
    const int64_t out[] = {0, 20, 40, 66, 67, 70, 75, 100};
    for (size_t i = 0; i < sizeof(in) / sizeof(in[0]); ++i)
        EXPECT_EQ(ReshapedPercent(in[i]), out[i]) << in[i];
}

TEST(StatementFieldsTest, RejectsWhatDoesNotFitInsteadOfCutting)
{
    CVarnelStatementFields fields;
    EXPECT_EQ(fields.Read(std::string(1022, '7'), 1024), 0);
    EXPECT_EQ(fields.Count(), 1);
    EXPECT_EQ(fields.Read(std::string(1023, '7'), 1024), -1);
    EXPECT_EQ(fields.Read(std::string(254, '7'), 256), 0);
    EXPECT_EQ(fields.Read(std::string(255, '7'), 256), -1);

    std::string many;
    for (int i = 0; i < 256; ++i)
        many += "1,";
    many.pop_back();  // 256 fields
    EXPECT_EQ(fields.Read(many, 1024), 0);
    EXPECT_EQ(fields.Count(), 256);
    EXPECT_EQ(fields.Read(many + ",1", 1024), -1);
    EXPECT_FALSE(fields.Has(0));
}

// Loads text into a fresh container of the stage its statements name
// (without variables when vars is null); count and enabled describe the
// container afterwards (enabled: its first item's).
int LoadStage(const std::string& text, CVarnelVarContainer* vars, int& count, bool& enabled)
{
    const long length = static_cast<long>(text.size());
    std::unique_ptr<CVarnelContainer> container;
    int result = 0;
    if (text.find("SECOND_COLOR") != std::string::npos) {
        auto second = std::make_unique<CVarnelSecondColorsContainer>();
        second->SetVarContainer(vars);
        result = second->LoadSecondColors(text.c_str(), length, 0);
        container = std::move(second);
    } else {
        if (text.find("HUEMASK_LIGHT") != std::string::npos)
            container = std::make_unique<CVarnelMasksLightContainer>();
        else if (text.find("SUBST") != std::string::npos)
            container = std::make_unique<CVarnelColorSubstContainer>();
        else
            container = std::make_unique<CVarnelColorAdditionContainer>();
        container->SetVarContainer(vars);
        result = container->Load(text.c_str(), length);
    }
    count = container->GetCount();
    enabled = count > 0 && container->GetItem(0)->IsEnabled();
    return result;
}

struct RuleCase {
    const char* name;
    std::string text;
    int result;
    int count;
    bool enabled;  // of the first item, when there is one
};

class StatementRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(StatementRules, Load)
{
    const RuleCase& c = GetParam();
    CVarnelVarContainer vars;
    int count = -1;
    bool enabled = false;
    EXPECT_EQ(LoadStage(c.text, &vars, count, enabled), c.result);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(enabled, c.enabled);
    if (c.count > 0) {  // without variables nothing can be read
        EXPECT_EQ(LoadStage(c.text, nullptr, count, enabled), -1);
        EXPECT_EQ(count, 0);
    }
}

std::string Amounts(int count)
{
    std::string text = "50";
    for (int i = 0; i < count; ++i)
        text += ",1";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatementRules,
    ::testing::Values(
        // Starred anywhere switches a statement off: the list containers'
        // test of the star, with the star first and after, and each
        // statement without a number. The mask loader's test pins the
        // numbers 00 to 15.
        RuleCase{"SecondStarredFirst", "*SECOND_COLOR02=5,0,0,Y;SECOND_COLOR02=5,0,0,Y;", 0, 0, false},
        RuleCase{"SubstStarredAfter", "COLOR_SUBST01=50,20,30,40,Y;*COLOR_SUBST01=50,20,30,40,Y;", 0, 0, false},
        RuleCase{"GrayStarred", "*GRAY_SUBST=50,20,30,40,Y;", 0, 0, false},
        RuleCase{"BlackAdditionStarred", "*BLACK_ADD=50;", 0, 0, false},
        // The flag: N switches off, an empty one does not, a missing one
        // or one longer than its room fails.
        RuleCase{"LightFlagN", "HUEMASK_LIGHT00=6,50,66,N;", 0, 1, false},
        RuleCase{"LightFlagEmpty", "HUEMASK_LIGHT00=6,50,66,,;", 0, 1, true},
        RuleCase{"SecondFlagN", "SECOND_COLOR02=5,0,0,N;", 0, 1, false},
        RuleCase{"LightFlagMissing", "HUEMASK_LIGHT00=6,50,66;", -1, 0, false},
        RuleCase{"SecondFlagMissing", "SECOND_COLOR02=5,0,0;", -1, 0, false},
        RuleCase{"SubstFlagOf15FitsOf16Not",
                 "COLOR_SUBST00=50,20,30,40," + std::string(15, 'Y') + ";COLOR_SUBST01=50,20,30,40," +
                     std::string(16, 'Y') + ";",
                 -1, 1, true},
        RuleCase{"AdditionFlagOf15FitsOf16Not",
                 "COLOR_ADD00=50," + std::string(15, 'N') + ";COLOR_ADD01=50," + std::string(16, 'N') + ";", -1, 1,
                 true},
        // A failing statement ends the load; the items before it stay, and
        // a failing GRAY_SUBST or BLACK_ADD leaves the numbered ones unread.
        RuleCase{"LightFailureKeepsEarlierItems", "HUEMASK_LIGHT01=6,50,66,Y;HUEMASK_LIGHT02=6,50;", -1, 1, true},
        RuleCase{"SecondFailureKeepsEarlierItems", "SECOND_COLOR00=5,0,0,Y;SECOND_COLOR07=5,0;", -1, 1, true},
        RuleCase{"SubstFailureKeepsEarlierItems", "COLOR_SUBST00=50,20,30,40,Y;COLOR_SUBST01=50,20,30,40;", -1, 1,
                 true},
        RuleCase{"GrayFailureLeavesTheNumberedUnread", "GRAY_SUBST=30,10,10,10;COLOR_SUBST01=50,20,30,40,Y;", -1, 0,
                 false},
        RuleCase{"AdditionFailureKeepsEarlierItems", "COLOR_ADD00=50,Y;COLOR_ADD03= ;", -1, 1, true},
        RuleCase{"BlackFailureLeavesTheNumberedUnread", "BLACK_ADD=;COLOR_ADD01=50;", -1, 0, false},
        // An addition takes up to sixteen amounts.
        RuleCase{"SixteenAmounts", "COLOR_ADD01=" + Amounts(16) + ",Y;", 0, 1, true},
        RuleCase{"SeventeenAmountsFail", "COLOR_ADD01=" + Amounts(17) + ",Y;", -1, 0, false}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

}  // namespace
