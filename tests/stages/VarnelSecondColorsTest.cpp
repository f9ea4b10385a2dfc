#include "config/VarnelVarContainer.h"
#include "stages/VarnelSecondColors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SecondColorsTest : public ::testing::Test {
protected:
    void SetUp() override { colors.SetVarContainer(&vars); }
    int Load(const std::string& text)
    {
        return colors.LoadSecondColors(text.c_str(), static_cast<long>(text.size()), 0);
    }

    CVarnelVarContainer vars;
    CVarnelSecondColorsContainer colors;
};

TEST_F(SecondColorsTest, NoStartNoStrengthIsPlainIdentity)
{
    ASSERT_EQ(Load("SECOND_COLOR01=5,0,0,;"), 0);
    CVarnelSecondColorItem* item = colors.FindItem(1);
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
        uint16_t index, value;
    } cases[] = {
        {"SECOND_COLOR00=3,50,25,Y;", 0, 32767},
        {"SECOND_COLOR00=3,50,25,Y;", 16384, 49151},
        {"SECOND_COLOR00=3,50,25,Y;", 32767, 65534},
        {"SECOND_COLOR00=3,50,25,Y;", 32768, 65535},
        {"SECOND_COLOR00=3,50,25,Y;", 65535, 65535},
        // A negative strength counts as 0: the curve is 65535 throughout.
        {"SECOND_COLOR00=3,50,-25,Y;", 0, 65535},
        {"SECOND_COLOR00=3,50,-25,Y;", 20000, 65535},
    };
    for (const auto& c : cases) {
        CVarnelSecondColorsContainer fresh;
        fresh.SetVarContainer(&vars);
        ASSERT_EQ(fresh.LoadSecondColors(c.text, static_cast<long>(std::strlen(c.text)), 0), 0);
        ASSERT_NE(fresh.FindItem(0), nullptr);
        EXPECT_FALSE(fresh.FindItem(0)->IsPlain());
        EXPECT_EQ(fresh.FindItem(0)->LookupC(c.index), c.value) << c.text << " @" << c.index;
    }
}

TEST_F(SecondColorsTest, ReusedItemStaysPlainAndIsRedrawnWhole)
{
    ASSERT_EQ(Load("SECOND_COLOR01=5,0,0,;"), 0);
    ASSERT_EQ(Load("SECOND_COLOR01=4,50,25,;"), 0);
    ASSERT_EQ(colors.GetCount(), 1);
    CVarnelSecondColorItem* item = colors.FindItem(1);
    EXPECT_TRUE(item->IsPlain());
    EXPECT_EQ(item->GetParam1(), 4);
    EXPECT_EQ(item->GetParam3(), 25);
    EXPECT_EQ(item->LookupC(0), 32767);
}

}  // namespace
