// What every key of the configuration text takes: its fields, how each
// field is read and the range in which it means what it says. The
// configuration check judges statements against this table, and
// docs/configuration.md documents the same table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How the loader turns a field into a value.
enum class VarnelFieldKind {
    Number,         // whole decimal number; anything else reads as 0
    LeadingNumber,  // the digits at the start count, the rest is dropped
    Flag,           // "N" switches the statement off, anything else on
    WithBlack,      // "Y" prints colour with black, anything else without
    Expression,     // arithmetic over the numeric variables
};

struct VarnelFieldRule {
    const char* name;  // the field's name in messages and documentation
    VarnelFieldKind kind;
    int32_t low, high;  // the range a number means what it says in
    bool channel;       // a channel index: also below CHANNELS
    bool clamped;       // the loader clamps it into the range (a warning)
    bool variables;     // a field that begins with "_" names a variable
};

// How the value is cut into fields.
enum class VarnelValueShape {
    Whole,  // one number over the whole value (a ',' joins digits)
    List,   // fields separated by ','
};

struct VarnelStatementRule {
    const char* key;  // the key, or the family of a numbered key
    bool numbered;    // key + two digits 00 to 15, the channel it serves
    VarnelValueShape shape;
    size_t valueBuffer;  // the loader's value buffer in bytes; 0: no limit
    int minFields, maxFields;
    // The fields in order. With repeatsMiddle (colour addition) the value
    // is the first field, any number of middle fields, then the last field;
    // a single field is both first and last.
    std::vector<VarnelFieldRule> fields;
    bool repeatsMiddle;
    const char* syntax;  // "d,a,b,f"
};

// Statement numbers run from 00 to 15.
constexpr int kLastStatementNumber = 15;
// The engine computes at most this many channels.
constexpr int32_t kMaxConfigChannels = 16;

// The table, in the order in which the loaders read the keys.
const std::vector<VarnelStatementRule>& VarnelStatementRules();

// The key a statement of rule and number is written with ("HUEMASK04"),
// without "=". number is ignored for a key without a number.
std::string VarnelRuleKey(const VarnelStatementRule& rule, int number);

// The field rule for the field at index of a value with count fields.
const VarnelFieldRule& VarnelFieldAt(const VarnelStatementRule& rule, int index, int count);
