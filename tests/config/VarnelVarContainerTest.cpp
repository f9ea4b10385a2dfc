#include "config/VarnelVarContainer.h"
#include "support/StageFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Looks up with the room the configuration uses (10), on a cleared buffer.
std::string Lookup(CVarnelVarContainer& vars, const char* name, int room = 10)
{
    char buffer[64] = {};
    vars.LookupVar(name, buffer, room);
    return buffer;
}

TEST(VarContainer, LookupRules)
{
    CVarnelVarContainer vars;
    AddVar(vars, "_T", 'a', "Y");
    AddVar(vars, "_LONG", 'a', "abcdefghijk");  // 11 characters
    AddVar(vars, "_LONG", 'a', "short");        // second of the name fits
    AddVar(vars, "_N", 'n', "300");
    AddVar(vars, "_Z", 'n', "007");
    AddVar(vars, "_E", 'n', "");
    AddVar(vars, "_BOTH", 'a', "text");
    AddVar(vars, "_BOTH", 'n', "5");
    AddVar(vars, "_TWICE", 'n', "1");
    AddVar(vars, "_TWICE", 'n', "2");
    AddVar(vars, "_X", 'x', "1");  // unknown kind: ignored

    EXPECT_EQ(Lookup(vars, "_T"), "Y");
    EXPECT_EQ(Lookup(vars, "_t"), "");  // case-sensitive
    EXPECT_EQ(Lookup(vars, "_LONG"), "short");
    EXPECT_EQ(Lookup(vars, "_LONG", 11), "abcdefghijk");
    EXPECT_EQ(Lookup(vars, "_N"), "300.00");
    EXPECT_EQ(Lookup(vars, "_N", 5), "");  // "300.00" does not fit
    EXPECT_EQ(Lookup(vars, "_Z"), "7.00");
    EXPECT_EQ(Lookup(vars, "_E"), "0.00");
    EXPECT_EQ(Lookup(vars, "_BOTH"), "5.00");  // numeric overrides text
    EXPECT_EQ(Lookup(vars, "_TWICE"), "2.00");  // last numeric wins
    EXPECT_EQ(Lookup(vars, "_X"), "");
    EXPECT_EQ(vars.GetTextVars().size(), 4u);
    EXPECT_EQ(vars.GetNumericVars().size(), 6u);
}

TEST(VarContainer, TextHitReportsItsLength)
{
    CVarnelVarContainer vars;
    AddVar(vars, "_T", 'a', "abc");
    char buffer[16] = "unchanged";
    int room = 10;
    vars.LookupVar("_T", buffer, room);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(room, 3);

    std::strcpy(buffer, "unchanged");
    room = 10;
    vars.LookupVar("_MISSING", buffer, room);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(room, 10);
}

TEST(VarContainer, RefusesTextLongerThanItsRecord)
{
    CVarnelVarContainer vars;
    EXPECT_EQ(AddVar(vars, "_L", 'a', std::string(kVarTextRoom, 'a')), -1);
    EXPECT_EQ(AddVar(vars, "_L", 'a', std::string(kVarTextRoom - 1, 'a')), 0);
}

}  // namespace
