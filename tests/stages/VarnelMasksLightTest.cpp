#include "config/VarnelVarContainer.h"
#include "stages/VarnelMasksLight.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void AddTextVar(CVarnelVarContainer& vars, const char* name, const char* value)
{
    CVar record;
    std::strncpy(record.name, name, sizeof(record.name) - 1);
    record.kind = 'a';
    record.value = value;
    vars.AddVar(record);
}

class MasksLightTest : public ::testing::Test {
protected:
    void SetUp() override { masks.SetVarContainer(&vars); }
    int Load(const std::string& text) { return masks.Load(text.c_str(), static_cast<long>(text.size())); }

    CVarnelVarContainer vars;
    CVarnelMasksLightContainer masks;
};

// --- Shared percentage arithmetic --------------------------------------

struct PercentCase {
    int64_t percent;
    int32_t units;
    int32_t tableX;
};

class PercentTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentTest, ConvertsToUnitsAndTableCoordinate)
{
    EXPECT_EQ(PercentToUnits(GetParam().percent), GetParam().units);
    EXPECT_EQ(PercentToTableX(GetParam().percent), GetParam().tableX);
}

INSTANTIATE_TEST_SUITE_P(Percentages, PercentTest,
                         ::testing::Values(PercentCase{0, 0, 65535}, PercentCase{50, 32767, 32768},
                                           PercentCase{66, 43253, 22282}, PercentCase{100, 65535, 0},
                                           PercentCase{-1, -655, 66190},
                                           // The product no longer fits 32 bits: still defined.
                                           PercentCase{40000, 26214000, 65535 - 26214000}),
                         [](const ::testing::TestParamInfo<PercentCase>& info) {
                             return ReadableName("percent " + std::to_string(info.param.percent));
                         });

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

// --- Light masks ----------------------------------------------------------

TEST_F(MasksLightTest, SampleStatementDrawsBothCurves)
{
    ASSERT_EQ(Load("HUEMASK_LIGHT00=6,50,66,Y;"), 0);
    ASSERT_EQ(masks.GetCount(), 1);
    CVarnelMaskLightItem* item = masks.FindItem(0);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_EQ(item->GetParam1(), 6);
    EXPECT_EQ(item->GetParam2(), 50);
    EXPECT_EQ(item->GetParam3(), 66);

    const struct {
        uint16_t index, b, a;
    } expected[] = {
        {0, 22282, 0},         {16383, 22282, 0},     {16384, 22282, 1},
        {16385, 22282, 5},     {24576, 22282, 32769}, {32767, 22282, 65533},
        {32768, 22282, 65535}, {32769, 22283, 65535}, {49152, 43909, 65535},
        {65534, 65534, 65535}, {65535, 65535, 65535},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(item->LookupB(e.index), e.b) << e.index;
        EXPECT_EQ(item->LookupA(e.index), e.a) << e.index;
    }
}

TEST_F(MasksLightTest, StatementRules)
{
    const struct {
        const char* text;
        int result;
        int count;
        bool enabled;
    } cases[] = {
        {"*HUEMASK_LIGHT00=6,50,66;", 0, 0, false},
        {"HUEMASK_LIGHT00=6,50,66;", -1, 0, false},
        {"HUEMASK_LIGHT00=6,50,66,N;", 0, 1, false},
        {"HUEMASK_LIGHT00=6,50,66,,;", 0, 1, true},
        {"HUEMASK_LIGHT16=6,50,66,Y;", 0, 0, false},
        {"HUEMASK00=1,2,3,4;", 0, 0, false},
        {"HUEMASK_LIGHT01=6,50,66,Y;HUEMASK_LIGHT02=6,50;", -1, 1, true},
    };
    for (const auto& c : cases) {
        CVarnelMasksLightContainer fresh;
        fresh.SetVarContainer(&vars);
        EXPECT_EQ(fresh.Load(c.text, static_cast<long>(std::strlen(c.text))), c.result) << c.text;
        ASSERT_EQ(fresh.GetCount(), c.count) << c.text;
        if (c.count > 0) {
            EXPECT_EQ(fresh.GetItem(0)->IsEnabled(), c.enabled) << c.text;
        }
    }
    CVarnelMasksLightContainer unwired;  // no variables: nothing can be read
    EXPECT_EQ(unwired.Load(cases[2].text, static_cast<long>(std::strlen(cases[2].text))), -1);
    EXPECT_EQ(unwired.GetCount(), 0);
}

TEST_F(MasksLightTest, VariablesFeedPercentagesAndFlagButNotTheChannel)
{
    AddTextVar(vars, "_A", "50");
    AddTextVar(vars, "_OFF", "N");
    ASSERT_EQ(Load("HUEMASK_LIGHT03=_A,_A,66,_OFF;"), 0);
    CVarnelMaskLightItem* item = masks.FindItem(3);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetParam1(), 0);  // read as a plain number
    EXPECT_EQ(item->GetParam2(), 50);
    EXPECT_FALSE(item->IsEnabled());
}

TEST_F(MasksLightTest, ReusedItemKeepsEntriesItsNewCurveDoesNotCover)
{
    ASSERT_EQ(Load("HUEMASK_LIGHT00=6,50,66,Y;"), 0);
    // a = 20 gives c = 40: the new rise starts at P(40) = 39321.
    ASSERT_EQ(Load("HUEMASK_LIGHT00=7,20,66,Y;"), 0);
    ASSERT_EQ(masks.GetCount(), 1);
    CVarnelMaskLightItem* item = masks.FindItem(0);
    EXPECT_EQ(item->GetParam1(), 7);
    EXPECT_EQ(item->LookupA(39320), 65535);  // below the new rise: first curve
    EXPECT_EQ(item->LookupA(39321), 2);      // start of the new rise
}

}  // namespace
