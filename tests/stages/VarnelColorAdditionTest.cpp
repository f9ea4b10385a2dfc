#include "stages/VarnelColorAddition.h"
#include "support/StageFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ColorAdditionTest : public StageFixture<CVarnelColorAdditionContainer> {
protected:
    std::vector<uint16_t> Amounts(int32_t number) const
    {
        const CVarnelColorAdditionItem* item = stage.FindItem(number);
        return std::vector<uint16_t>(item->GetChannelValues(), item->GetChannelValues() + 16);
    }
};

TEST_F(ColorAdditionTest, SampleStatements)
{
    ASSERT_EQ(Load("BLACK_ADD=50;COLOR_ADD01=50,N;COLOR_ADD02=40,10,20,Y;"), 0);
    ASSERT_EQ(stage.GetCount(), 3);

    const CVarnelColorAdditionItem* black = stage.FindItemByKind(0);
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black->GetNumber(), -1);
    EXPECT_EQ(black->GetParam2(), 32767);
    EXPECT_TRUE(black->IsEnabled());  // the single field is also the flag
    EXPECT_EQ(Amounts(-1), std::vector<uint16_t>(16, 0));

    const CVarnelColorAdditionItem* one = stage.FindItem(1);
    EXPECT_EQ(one->GetKind(), 1u);
    EXPECT_FALSE(one->IsEnabled());
    EXPECT_EQ(Amounts(1), std::vector<uint16_t>(16, 0));

    CVarnelColorAdditionItem* two = stage.FindItem(2);
    EXPECT_TRUE(two->IsEnabled());
    EXPECT_EQ(two->GetParam2(), 26214);
    EXPECT_EQ(two->GetChannelValue(0), 6553);
    EXPECT_EQ(two->GetChannelValue(1), 13107);
    EXPECT_EQ(two->GetChannelValue(2), 0);
    // A and B break at the reshaped strength (70 %), C at the plain one,
    // and stay flat to the end.
    for (uint16_t i : {19660, 19661, 65535}) {
        EXPECT_EQ(two->GetTableAValue(i), i < 19661 ? 65533 : 65535) << i;
        EXPECT_EQ(two->GetTableBValue(i), i < 19661 ? 2 : 0) << i;
    }
    EXPECT_EQ(two->GetTableC()[39320], 65534);
    EXPECT_EQ(two->GetTableC()[39321], 65535);
    EXPECT_EQ(two->GetTableC()[65535], 65535);

    // An item's Reset (no container calls it) clears number, amounts, table C.
    two->Reset();
    EXPECT_EQ(two->GetNumber(), 0);
    EXPECT_EQ(std::vector<uint16_t>(two->GetChannelValues(), two->GetChannelValues() + 16),
              std::vector<uint16_t>(16, 0));
    EXPECT_EQ(two->GetTableC()[65535], 0);
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
    ASSERT_EQ(stage.GetCount(), 2);
    EXPECT_EQ(stage.FindItemByKind(0)->GetParam2(), 13107);
    EXPECT_TRUE(stage.FindItem(1)->IsEnabled());
    EXPECT_EQ(stage.FindItem(1)->GetParam2(), 19660);
}

}  // namespace
