// Container and items of the light masks (HUEMASK_LIGHTnn): a light mask
// moves part of one ink channel into a lighter companion channel.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelTransformation.h"
#include "stages/VarnelStageLoading.h"

#include <cstdint>
#include <string>

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
