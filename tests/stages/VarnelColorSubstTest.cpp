#include "stages/VarnelColorSubst.h"
#include "support/StageFixture.h"

#include <muParser.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using ColorSubstTest = StageFixture<CVarnelColorSubstContainer>;

TEST_F(ColorSubstTest, StrengthFiftyDrawsSampleCurves)
{
    ASSERT_EQ(Load("COLOR_SUBST02=50,100,50,0,Y;"), 0);
    CVarnelColorSubstItem* item = stage.FindItemByNumber(2);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->IsGray(), 0);
    EXPECT_EQ(item->GetParam2(), 32767);
    EXPECT_EQ(item->GetFactor0(), 65535);
    EXPECT_EQ(item->GetFactor1(), 32767);
    EXPECT_EQ(item->GetFactor2(), 0);
    EXPECT_FALSE(item->HasExpression());

    const struct {
        uint16_t index, a, b;
    } expected[] = {
        {16383, 0, 0},         {16384, 1, 0},         {32767, 65533, 0},
        {32768, 65535, 1},     {32769, 65535, 3},     {49152, 65535, 32769},
        {65534, 65535, 65533}, {65535, 65535, 65535},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(item->LookupA(e.index), e.a) << e.index;
        EXPECT_EQ(item->LookupB(e.index), e.b) << e.index;
    }
}

TEST_F(ColorSubstTest, GrayStatementServesBlackUnderNumberMinusOne)
{
    ASSERT_EQ(Load("GRAY_SUBST=30,10,10,10,Y;GRAY_SUBST00=40,0,0,0,Y;"), 0);
    ASSERT_EQ(stage.GetCount(), 1);
    CVarnelColorSubstItem* gray = stage.FindGrayItem(1);
    ASSERT_NE(gray, nullptr);
    EXPECT_EQ(gray->GetNumber(), -1);
    EXPECT_EQ(gray->GetParam2(), 19660);
    EXPECT_EQ(stage.FindItemByNumber(0), nullptr);
}

TEST_F(ColorSubstTest, ExpressionSeesNumericVariablesByAddress)
{
    AddVar(vars, "_K", 'n', "60");
    AddVar(vars, "_E", 'a', "30+5");
    ASSERT_EQ(Load("COLOR_SUBST01=50,20,30,40,Y,2*_K;COLOR_SUBST02=50,0,0,0,Y,_E;"), 0);
    mu::Parser* parser = stage.FindItemByNumber(1)->GetParser();
    ASSERT_NE(parser, nullptr);
    EXPECT_EQ(parser->Eval(), 120.0);
    vars.GetNumericVars().front()->value = 70.0;
    EXPECT_EQ(parser->Eval(), 140.0);
    // A text variable supplies the expression text; it is not bound itself.
    EXPECT_EQ(stage.FindItemByNumber(2)->GetParser()->Eval(), 35.0);
}

TEST_F(ColorSubstTest, BindingErrorFailsTheLoad)
{
    // "_e" is one of the evaluator's constants: it cannot be bound.
    AddVar(vars, "_e", 'n', "3");
    EXPECT_EQ(Load("COLOR_SUBST01=50,20,30,40,Y,1+1;"), -1);
    // Without an expression nothing is bound.
    CVarnelColorSubstContainer plain;
    plain.SetVarContainer(&vars);
    const char* text = "COLOR_SUBST01=50,20,30,40,Y;";
    EXPECT_EQ(plain.Load(text, static_cast<long>(std::strlen(text))), 0);
}

TEST_F(ColorSubstTest, ReusedItemKeepsItsExpression)
{
    ASSERT_EQ(Load("COLOR_SUBST01=50,20,30,40,Y,7*3;"), 0);
    ASSERT_EQ(Load("COLOR_SUBST01=10,0,0,0,N;"), 0);
    ASSERT_EQ(stage.GetCount(), 1);
    CVarnelColorSubstItem* item = stage.FindItemByNumber(1);
    EXPECT_FALSE(item->IsEnabled());
    EXPECT_EQ(item->GetParam2(), 6553);
    ASSERT_TRUE(item->HasExpression());
    EXPECT_EQ(item->GetParser()->Eval(), 21.0);
}

}  // namespace
