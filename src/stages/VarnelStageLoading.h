// What the stage loaders share: the numbered statements, the reading of
// fields that may name a variable, and the percentage arithmetic of the
// table-driven stages (light masks, second colours, colour substitution,
// colour addition), so that every loader walks statements, converts fields
// and draws curves in exactly the same way.
#pragma once

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "config/VarnelStatementFields.h"
#include "config/VarnelStatementRules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

class CVarnelVarContainer;

// Value buffers of the loaders: the value, the carriage return that closes
// its last field and a terminating zero must fit.
constexpr size_t kLargeValueBuffer = 1024;  // light masks, second colours
constexpr size_t kSmallValueBuffer = 256;   // colour substitution, addition

// Room, in characters, for a variable's value text when a field names it.
constexpr int kVariableValueRoom = 10;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The two-digit statement key of a stage: name + "%02ld" of number + "=".
std::string NumberedKey(const char* name, long number);

// Calls read(number, value) for each statement name00= to name15=
// (kLastStatementNumber) that the text holds and does not switch off, in
// number order; the first non-zero result of read ends the walk and is
// returned. Container: the stage's container, which knows what switches a
// key off.
template <typename Container, typename Read>
int ForEachNumberedStatement(const Container& container, const char* text, long length, const char* name,
                             Read read)
{
    static_assert(kLastStatementNumber < 100, "statement numbers have two digits");
    // Where FindKey finds each numbered key: the first place where the name
    // stands followed by the number's two digits and '='. One pass over the
    // places of the name instead of one search per number.
    long found[kLastStatementNumber + 1];
    std::fill(std::begin(found), std::end(found), -1L);
    const size_t nameLength = std::strlen(name);
    for (long offset = FindKeyOffset(text, name); offset >= 0;) {
        const char* after = text + offset + nameLength;
        if (IsDigit(after[0]) && IsDigit(after[1]) && after[2] == '=') {
            const int n = (after[0] - '0') * 10 + (after[1] - '0');
            if (n <= kLastStatementNumber && found[n] < 0)
                found[n] = offset;
        }
        const long next = FindKeyOffset(text + offset + 1, name);
        offset = next < 0 ? -1 : offset + 1 + next;
    }
    std::string value;
    std::string key = NumberedKey(name, 0);
    const size_t digits = key.size() - 3;
    for (long n = 0; n <= kLastStatementNumber; ++n) {
        if (found[n] < 0)
            continue;
        key[digits] = char('0' + n / 10);
        key[digits + 1] = char('0' + n % 10);
        if (!container.IsKeyActive(text, length, KString(key)))
            continue;
        ValueAfterKey(text, length, found[n], key.size(), value);
        if (const int result = read(n, value); result != 0)
            return result;
    }
    return 0;
}

// The item a loader found for a statement, or else a new Item appended to
// container, which owns it from then on. A reused item keeps what the
// statement does not set again (its tables, expression, plain flag).
template <typename Item, typename Container>
Item& FoundOrAdded(Container& container, Item* found)
{
    if (found != nullptr)
        return *found;
    auto created = std::make_unique<Item>();
    Item& item = *created;
    container.AddItem(&item);
    created.release();
    return item;
}

// trunc(percent * 65535 / 100) as the 32-bit signed computation gives it for
// every percentage whose product fits in 32 bits. The product is formed in
// 64 bits and the result wrapped to 32 bits, so that absurd percentages give
// a defined (if meaningless) value instead of undefined behaviour.
int32_t PercentToUnits(int64_t percent);

// Table coordinate of a percentage: 65535 - PercentToUnits(percent), with
// the same 32-bit wrap. 0 % gives 65535, 50 % gives 32768, 100 % gives 0.
int32_t PercentToTableX(int64_t percent);

// The reshaped percentage of the rising curves: twice the percentage (at
// most 100) below a third, else half-way from the percentage to 100
// (integer division). 20 -> 40, 33 -> 66, 34 -> 67, 50 -> 75.
int64_t ReshapedPercent(int32_t percent);

// Draws the rising curve that light masks and colour substitution share:
// from (P(c), 0) to (P(a), 65535), then flat at 65535, where c is the
// reshaped a. Entries below P(c) are not written.
void DrawReshapedRise(uint16_t* table, int32_t percent);

// The text a field stands for: a field that starts with '_' names a
// variable and yields its value text (at most kVariableValueRoom characters;
// empty when no variable of that name fits); any other field, its own text.
// A missing field (null) yields an empty text.
std::string ResolveFieldText(const char* field, CVarnelVarContainer& vars);

// The integer a field stands for: ResolveFieldText read as
// IntegerField::WholeDecimal.
int32_t ResolveFieldInt(const char* field, CVarnelVarContainer& vars);
