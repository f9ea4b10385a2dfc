// Container and items of the second colours (SECOND_COLORnn): one ink
// channel drives another through a transfer curve; the source channel
// itself does not change.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelTransformation.h"

#include <cstdint>

// Number: the source channel; Param1: the destination channel; Param2: the
// start a (percent); Param3: the strength b (percent). TableA and TableB are
// not used; TableC is the transfer curve, indexed by the source's value.
class CVarnelSecondColorItem : public CVarnelTransformation {
public:
    CVarnelSecondColorItem();
    ~CVarnelSecondColorItem() override;
    void Initialize() override;  // does nothing
    // Clears `plain` and TableC; the inherited tables stay.
    void Reset() override;
    void Release() override;     // does nothing

    virtual void SetPlain(bool plain);
    // From 65535 * (1 - sqrt(b / 100)) at 0 straight up to 65535 at P(a),
    // then flat. A negative strength is taken as 0 (no square root of a
    // negative number); the two lines cover every entry.
    virtual void BuildTableC(int32_t a, int32_t b);
    virtual bool IsPlain() const;
    virtual uint16_t LookupC(uint16_t v) const;

    uint16_t* GetTableC() { return m_tableC.Data(); }

protected:
    CVarnelTable m_tableC;
    bool m_plain = false;
};

class CVarnelSecondColorsContainer : public CVarnelContainer {
public:
    CVarnelSecondColorsContainer() = default;
    ~CVarnelSecondColorsContainer() override;
    // The variable container stays attached.
    void Reset() override;

    // Reads SECOND_COLOR00 .. SECOND_COLOR15; `reserved` is not used.
    // Returns 0, or -1 for a statement with fewer than four fields, a value
    // that does not fit the 1,024-byte buffer, or a missing variable
    // container. Items read before a failing statement stay.
    virtual int LoadSecondColors(const char* text, long length, int reserved);
    // The first item whose number is `number`, or null.
    virtual CVarnelSecondColorItem* FindItem(int32_t number) const;
    // Same rule as the base's: false when '*' followed by key occurs in the
    // text.
    using CVarnelContainer::IsKeyActive;
    virtual bool IsKeyActive(const char* text, long length, const char* key) const;

private:
    int LoadStatements(const char* text, long length);
};
