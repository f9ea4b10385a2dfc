// Container and items of the light masks (HUEMASK_LIGHTnn): a light mask
// moves part of one ink channel into a lighter companion channel.
//
// This header also carries the statement reading and the percentage
// arithmetic that all four table-driven stages (light masks, second colours,
// colour substitution, colour addition) share, so that the four loaders
// convert fields and draw curves in exactly the same way.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelParser.h"
#include "config/VarnelStatementFields.h"
#include "config/VarnelTransformation.h"

#include <cstdint>
#include <string>

class CVarnelVarContainer;

// ---------------------------------------------------------------------------
// Shared by the table-driven stages
// ---------------------------------------------------------------------------

// Value buffers of the loaders: the value, the carriage return that closes
// its last field and a terminating zero must fit.
constexpr size_t kLargeValueBuffer = 1024;  // light masks, second colours
constexpr size_t kSmallValueBuffer = 256;   // colour substitution, addition

// Room, in characters, for a variable's value text when a field names it.
constexpr int kVariableValueRoom = 10;

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

// The integer a field stands for: ToInt of ResolveFieldText (decimal, empty
// or unparsable text gives 0).
int32_t ResolveFieldInt(const char* field, CVarnelVarContainer& vars);

// The two-digit statement key of a stage: name + "%02ld" of number + "=".
std::string NumberedKey(const char* name, long number);

// ---------------------------------------------------------------------------
// Light masks
// ---------------------------------------------------------------------------

// Number: the source channel; Param1: the companion (destination) channel;
// Param2: the transfer start a (percent); Param3: the source floor b
// (percent). TableA: the companion's curve; TableB: the source's curve; both
// indexed by the source channel's value.
class CVarnelMaskLightItem : public CVarnelTransformation {
public:
    CVarnelMaskLightItem() = default;
    ~CVarnelMaskLightItem() override;
    // All three do nothing: a reused item keeps the entries its new curves
    // do not cover.
    void Initialize() override;
    void Reset() override;
    void Release() override;

    // Flat at P(b) up to P(a), then straight up to 65535 at 65535.
    virtual void BuildTableB(int32_t a, int32_t b);
    // The reshaped rise of a (b is not used).
    virtual void BuildTableA(int32_t a, int32_t b);
    virtual uint16_t LookupB(uint16_t v) const;
    virtual uint16_t LookupA(uint16_t v) const;
};

class CVarnelMasksLightContainer : public CVarnelContainer {
public:
    CVarnelMasksLightContainer() = default;
    ~CVarnelMasksLightContainer() override;
    uint32_t GetTypeCode() const override;  // 0x564D4B4C
    // Reads HUEMASK_LIGHT00 .. HUEMASK_LIGHT15. Returns 0, or -1 for a
    // statement with fewer than four fields, a value that does not fit the
    // 1,024-byte buffer, or a missing variable container. Items read before
    // a failing statement stay.
    int Load(const char* text, long length) override;
    // The variable container stays attached.
    void Reset() override;
    // The first item whose number is `number`, or null.
    virtual CVarnelMaskLightItem* FindItem(int32_t number) const;

private:
    int LoadStatements(const char* text, long length);
};
