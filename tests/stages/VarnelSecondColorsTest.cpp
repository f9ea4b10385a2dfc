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

TEST_F(SecondColorsTest, StatementRules)
{
    const struct {
        const char* text;
        int result;
        int count;
        bool enabled;
    } cases[] = {
        {"SECOND_COLOR02=5,0,0,N;", 0, 1, false},
        {"SECOND_COLOR02=5,0,0;", -1, 0, false},
        {"*SECOND_COLOR02=5,0,0,Y;SECOND_COLOR02=5,0,0,Y;", 0, 0, false},
        {"SECOND_COLOR00=5,0,0,Y;SECOND_COLOR07=5,0;", -1, 1, true},
        {"HUEMASK_LIGHT00=5,0,0,Y;", 0, 0, false},
    };
    for (const auto& c : cases) {
        CVarnelSecondColorsContainer fresh;
        fresh.SetVarContainer(&vars);
        EXPECT_EQ(fresh.LoadSecondColors(c.text, static_cast<long>(std::strlen(c.text)), 0), c.result)
            << c.text;
        ASSERT_EQ(fresh.GetCount(), c.count) << c.text;
        if (c.count > 0) {
            EXPECT_EQ(fresh.GetItem(0)->IsEnabled(), c.enabled) << c.text;
        }
    }
    CVarnelSecondColorsContainer unwired;  // no variables: nothing can be read
    EXPECT_EQ(unwired.LoadSecondColors(cases[0].text, static_cast<long>(std::strlen(cases[0].text)), 0), -1);
    EXPECT_EQ(unwired.GetCount(), 0);
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
