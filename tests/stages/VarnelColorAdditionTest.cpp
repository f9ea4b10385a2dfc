#include "config/VarnelVarContainer.h"
#include "stages/VarnelColorAddition.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class ColorAdditionTest : public ::testing::Test {
protected:
    void SetUp() override { additions.SetVarContainer(&vars); }
    int Load(const std::string& text) { return additions.Load(text.c_str(), static_cast<long>(text.size())); }
    std::vector<uint16_t> Amounts(int32_t number) const
    {
        const CVarnelColorAdditionItem* item = additions.FindItem(number);
        return std::vector<uint16_t>(item->GetChannelValues(), item->GetChannelValues() + 16);
    }

    CVarnelVarContainer vars;
    CVarnelColorAdditionContainer additions;
};

// Where the rising curves reach 65535 and the falling one reaches 0.
struct CurveCase {
    int strength;
    uint16_t breakAB;
    uint16_t breakC;
};

class AdditionCurveTest : public ::testing::TestWithParam<CurveCase> {};

TEST_P(AdditionCurveTest, CurvesBreakAtReshapedAndPlainStrength)
{
    const CurveCase c = GetParam();
    CVarnelColorAdditionItem item;
    item.BuildTablesAB(c.strength);
    item.BuildTableC(c.strength);
    EXPECT_EQ(item.GetTableAValue(c.breakAB - 1), 65533);
    EXPECT_EQ(item.GetTableAValue(c.breakAB), 65535);
    EXPECT_EQ(item.GetTableAValue(65535), 65535);
    EXPECT_EQ(item.GetTableBValue(c.breakAB - 1), 2);
    EXPECT_EQ(item.GetTableBValue(c.breakAB), 0);
    EXPECT_EQ(item.GetTableC()[c.breakC - 1], 65534);
    EXPECT_EQ(item.GetTableC()[c.breakC], 65535);
}

// 33 is reshaped to 66 and 34 to 67; 40 to 70; 50 to 75.
INSTANTIATE_TEST_SUITE_P(Strengths, AdditionCurveTest,
                         ::testing::Values(CurveCase{33, 22282, 43909}, CurveCase{34, 21627, 43254},
                                           CurveCase{40, 19661, 39321}, CurveCase{50, 16384, 32768}),
                         [](const ::testing::TestParamInfo<CurveCase>& info) {
                             return "Strength" + std::to_string(info.param.strength);
                         });

TEST(AdditionItemTest, ExtremeStrengthsGiveIdentityAndSaturation)
{
    CVarnelColorAdditionItem none;
    none.BuildTablesAB(0);
    none.BuildTableC(0);
    CVarnelColorAdditionItem full;
    full.BuildTablesAB(100);
    full.BuildTableC(100);
    for (uint32_t v = 0; v <= 65535; ++v) {
        const auto i = static_cast<uint16_t>(v);
        ASSERT_EQ(none.GetTableAValue(i), v);
        ASSERT_EQ(none.GetTableBValue(i), 65535 - v);
        ASSERT_EQ(none.GetTableC()[v], v);
        ASSERT_EQ(full.GetTableAValue(i), 65535);
        ASSERT_EQ(full.GetTableBValue(i), 0);
        ASSERT_EQ(full.GetTableC()[v], 65535);
    }
    EXPECT_EQ(none.GetChannelValue(16), 0);
    EXPECT_EQ(none.GetChannelValue(-1), 0);
}

TEST_F(ColorAdditionTest, SampleStatements)
{
    ASSERT_EQ(Load("BLACK_ADD=50;COLOR_ADD01=50,N;COLOR_ADD02=40,10,20,Y;"), 0);
    ASSERT_EQ(additions.GetCount(), 3);

    const CVarnelColorAdditionItem* black = additions.FindItemByKind(0);
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black->GetNumber(), -1);
    EXPECT_EQ(black->GetParam2(), 32767);
    EXPECT_TRUE(black->IsEnabled());  // the single field is also the flag
    EXPECT_EQ(Amounts(-1), std::vector<uint16_t>(16, 0));

    const CVarnelColorAdditionItem* one = additions.FindItem(1);
    EXPECT_EQ(one->GetKind(), 1u);
    EXPECT_FALSE(one->IsEnabled());
    EXPECT_EQ(Amounts(1), std::vector<uint16_t>(16, 0));

    CVarnelColorAdditionItem* two = additions.FindItem(2);
    EXPECT_TRUE(two->IsEnabled());
    EXPECT_EQ(two->GetParam2(), 26214);
    EXPECT_EQ(two->GetChannelValue(0), 6553);
    EXPECT_EQ(two->GetChannelValue(1), 13107);
    EXPECT_EQ(two->GetChannelValue(2), 0);
    EXPECT_EQ(two->GetTableAValue(19661), 65535);
    EXPECT_EQ(two->GetTableBValue(19661), 0);
    EXPECT_EQ(two->GetTableC()[39321], 65535);
}

TEST_F(ColorAdditionTest, AmountListIsCarriedBetweenNumberedStatements)
{
    ASSERT_EQ(Load("COLOR_ADD00=10,20,30,40,Y;COLOR_ADD01=10,50,Y;BLACK_ADD=10,20,Y;"), 0);
    std::vector<uint16_t> expected(16, 0);
    expected[0] = 32767;  // its own amount
    expected[1] = 19660;  // 30 % and 40 % left by COLOR_ADD00
    expected[2] = 26214;
    EXPECT_EQ(Amounts(1), expected);
    // BLACK_ADD starts from an empty list.
    std::vector<uint16_t> black(16, 0);
    black[0] = 13107;
    EXPECT_EQ(Amounts(-1), black);
}

TEST_F(ColorAdditionTest, SecondTextUpdatesItemsInPlace)
{
    ASSERT_EQ(Load("BLACK_ADD=50;COLOR_ADD01=50,N;"), 0);
    ASSERT_EQ(Load("BLACK_ADD=20;COLOR_ADD01=30,Y;"), 0);
    ASSERT_EQ(additions.GetCount(), 2);
    EXPECT_EQ(additions.FindItemByKind(0)->GetParam2(), 13107);
    EXPECT_TRUE(additions.FindItem(1)->IsEnabled());
    EXPECT_EQ(additions.FindItem(1)->GetParam2(), 19660);
}

TEST_F(ColorAdditionTest, LoaderFailures)
{
    std::string seventeen = "50";
    for (int i = 0; i < 17; ++i)
        seventeen += ",1";
    const struct {
        std::string text;
        int result;
        int count;
    } cases[] = {
        // A failing BLACK_ADD leaves the numbered statements unread.
        {"BLACK_ADD=;COLOR_ADD01=50;", -1, 0},
        {"COLOR_ADD00=50,Y;COLOR_ADD03= ;", -1, 1},
        {"COLOR_ADD01=" + seventeen + ",Y;", -1, 0},
        {"COLOR_ADD01=" + seventeen.substr(0, seventeen.size() - 2) + ",Y;", 0, 1},
        {"COLOR_ADD01=50," + std::string(16, 'N') + ";", -1, 0},
        {"COLOR_ADD01=50" + std::string(241, ' ') + ";", -1, 0},
        {"*COLOR_ADD01=50;", 0, 0},
        {"*BLACK_ADD=50;", 0, 0},
    };
    for (const auto& c : cases) {
        CVarnelColorAdditionContainer fresh;
        fresh.SetVarContainer(&vars);
        EXPECT_EQ(fresh.Load(c.text.c_str(), static_cast<long>(c.text.size())), c.result) << c.text;
        EXPECT_EQ(fresh.GetCount(), c.count) << c.text;
    }

    CVarnelColorAdditionContainer unwired;
    const char* text = "COLOR_ADD01=50;";
    EXPECT_EQ(unwired.Load(text, static_cast<long>(std::strlen(text))), -1);
}

}  // namespace
