#include "stages/VarnelSecondColors.h"
#include "support/StageFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

class SecondColorsTest : public StageFixture<CVarnelSecondColorsContainer> {
protected:
    int Load(const std::string& text) { return stage.LoadSecondColors(text.c_str(), long(text.size()), 0); }
};

TEST_F(SecondColorsTest, NoStartNoStrengthIsPlainIdentity)
{
    ASSERT_EQ(Load("SECOND_COLOR01=5,0,0,;"), 0);
    CVarnelSecondColorItem* item = stage.FindItem(1);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->IsPlain());
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_EQ(item->GetParam1(), 5);
    EXPECT_EQ(item->GetParam3(), 100);
    for (uint32_t v = 0; v <= 65535; ++v)
        ASSERT_EQ(item->LookupC(static_cast<uint16_t>(v)), v);
}

TEST_F(SecondColorsTest, CurveRisesFromSquareRootOfStrength)
{
    const struct {
        const char* text;
        std::vector<std::pair<uint16_t, uint16_t>> points;  // (index, value)
    } cases[] = {
        {"SECOND_COLOR00=3,50,25,Y;", {{0, 32767}, {16384, 49151}, {32767, 65534}, {32768, 65535}, {65535, 65535}}},
        // A negative strength counts as 0: the curve is 65535 throughout.
        {"SECOND_COLOR00=3,50,-25,Y;", {{0, 65535}, {20000, 65535}}},
    };
    for (const auto& c : cases) {
        CVarnelSecondColorsContainer fresh;
        fresh.SetVarContainer(&vars);
        ASSERT_EQ(fresh.LoadSecondColors(c.text, static_cast<long>(std::strlen(c.text)), 0), 0);
        ASSERT_NE(fresh.FindItem(0), nullptr);
        EXPECT_FALSE(fresh.FindItem(0)->IsPlain());
        for (const auto& [index, value] : c.points)
            EXPECT_EQ(fresh.FindItem(0)->LookupC(index), value) << c.text << " @" << index;
    }
}

TEST_F(SecondColorsTest, ReusedItemStaysPlainAndIsRedrawnWhole)
{
    ASSERT_EQ(Load("SECOND_COLOR01=5,0,0,;"), 0);
    ASSERT_EQ(Load("SECOND_COLOR01=4,50,25,;"), 0);
    ASSERT_EQ(stage.GetCount(), 1);
    CVarnelSecondColorItem* item = stage.FindItem(1);
    EXPECT_TRUE(item->IsPlain());
    EXPECT_EQ(item->GetParam1(), 4);
    EXPECT_EQ(item->GetParam3(), 25);
    EXPECT_EQ(item->LookupC(0), 32767);
    // Reset (no container calls it) clears the plain mark and the table.
    item->Reset();
    EXPECT_FALSE(item->IsPlain());
    EXPECT_EQ(item->LookupC(65535), 0);
}

}  // namespace
