#include "config/VarnelVarContainer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void Add(CVarnelVarContainer& vars, const char* name, char kind, const std::string& value)
{
    CVar record;
    std::strcpy(record.name, name);
    record.kind = kind;
    record.value = value;
    vars.AddVar(record);
}

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
    Add(vars, "_T", 'a', "Y");
    Add(vars, "_LONG", 'a', "abcdefghijk");  // 11 characters
    Add(vars, "_LONG", 'a', "short");        // second of the name fits
    Add(vars, "_N", 'n', "300");
    Add(vars, "_Z", 'n', "007");
    Add(vars, "_E", 'n', "");
    Add(vars, "_BOTH", 'a', "text");
    Add(vars, "_BOTH", 'n', "5");
    Add(vars, "_TWICE", 'n', "1");
    Add(vars, "_TWICE", 'n', "2");
    Add(vars, "_X", 'x', "1");  // unknown kind: ignored

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
    Add(vars, "_T", 'a', "abc");
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
    CVar record;
    std::strcpy(record.name, "_L");
    record.kind = 'a';
    record.value = std::string(kVarTextRoom, 'a');
    EXPECT_EQ(vars.AddVar(record), -1);
    record.value.pop_back();
    EXPECT_EQ(vars.AddVar(record), 0);
}

}  // namespace
