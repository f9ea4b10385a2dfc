#include "stages/VarnelMasksLight.h"
#include "support/StageFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using MasksLightTest = StageFixture<CVarnelMasksLightContainer>;

TEST_F(MasksLightTest, SampleStatementDrawsBothCurves)
{
    ASSERT_EQ(Load("HUEMASK_LIGHT00=6,50,66,Y;"), 0);
    ASSERT_EQ(stage.GetCount(), 1);
    CVarnelMaskLightItem* item = stage.FindItem(0);
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

TEST_F(MasksLightTest, VariablesFeedPercentagesAndFlagButNotTheChannel)
{
    AddVar(vars, "_A", 'a', "50");
    AddVar(vars, "_OFF", 'a', "N");
    ASSERT_EQ(Load("HUEMASK_LIGHT03=_A,_A,66,_OFF;"), 0);
    CVarnelMaskLightItem* item = stage.FindItem(3);
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
    ASSERT_EQ(stage.GetCount(), 1);
    CVarnelMaskLightItem* item = stage.FindItem(0);
    EXPECT_EQ(item->GetParam1(), 7);
    EXPECT_EQ(item->LookupA(39320), 65535);  // below the new rise: first curve
    EXPECT_EQ(item->LookupA(39321), 2);      // start of the new rise
}

}  // namespace
