// A stage's container bound to a variable container of its own, as the
// configuration binds them, for the tests of the stages and variables.
#ifndef VARNEL_TESTS_SUPPORT_STAGEFIXTURE_H
#define VARNEL_TESTS_SUPPORT_STAGEFIXTURE_H

#include "config/VarnelVarContainer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Adds a variable of kind 'n' (number) or 'a' (text); AddVar's result.
inline int AddVar(CVarnelVarContainer& vars, const char* name, char kind, const std::string& value)
{
    CVar record;
    std::strncpy(record.name, name, sizeof(record.name) - 1);
    record.kind = kind;
    record.value = value;
    return vars.AddVar(record);
}

template <typename Container>
class StageFixture : public ::testing::Test {
protected:
    void SetUp() override { stage.SetVarContainer(&vars); }
    int Load(const std::string& text) { return stage.Load(text.c_str(), static_cast<long>(text.size())); }

    CVarnelVarContainer vars;
    Container stage;
};

#endif
