// Container and items of the colour substitution (GRAY_SUBST for the black
// channel, COLOR_SUBSTnn for the others): part of a channel's ink is taken
// away and replaced by ink in channels 0, 1 and 2, with a strength that is
// a percentage or an expression over the configuration's numeric variables.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelTransformation.h"

#include <cstdint>
#include <string>

namespace mu {
class Parser;
}

// Number: the channel nn, or -1 for the GRAY_SUBST item; Param2: the
// strength in 1/65535 units; TableA and TableB: the two curves, indexed by
// the channel's value. Param1 and Param3 stay 0.
class CVarnelColorSubstItem : public CVarnelTransformation {
public:
    // Creates the evaluator (through Reset).
    CVarnelColorSubstItem();
    ~CVarnelColorSubstItem() override;
    CVarnelColorSubstItem(const CVarnelColorSubstItem&) = delete;
    CVarnelColorSubstItem& operator=(const CVarnelColorSubstItem&) = delete;

    void Initialize() override;  // does nothing
    // Number 0 and a fresh evaluator without functions: expressions may use
    // only operators, constants, numbers and the bound variables. The
    // evaluator is made when first needed (see Evaluator). The tables stay.
    void Reset() override;
    // Deletes the evaluator; the item then has none.
    void Release() override;

    // The reshaped rise of a, as the light masks draw it.
    virtual void BuildTableA(int32_t a);
    // From (P(a), 0) straight up to (65535, 65535); entries below P(a) are
    // not written.
    virtual void BuildTableB(int32_t a);
    virtual void SetFactor0(uint16_t factor);
    virtual void SetFactor1(uint16_t factor);
    virtual void SetFactor2(uint16_t factor);
    virtual uint16_t GetFactor0() const;
    virtual uint16_t GetFactor1() const;
    virtual uint16_t GetFactor2() const;
    // Hands a non-empty text to the evaluator; an empty text keeps the
    // expression the item has. Parser errors propagate (a load fails on
    // them); without an evaluator a non-empty text raises the integer -1.
    virtual void SetExpression(const std::string& expression);
    // The evaluator, or null after Release or when it cannot be made.
    virtual mu::Parser* GetParser() const;
    virtual uint16_t LookupB(uint16_t v) const;
    virtual uint16_t LookupA(uint16_t v) const;
    virtual void SetGray(int32_t gray);
    virtual int32_t IsGray() const;
    // Binds a variable by address, so that the expression reads its value
    // as it stands when evaluated. Same failure rules as SetExpression.
    virtual void DefineVar(const std::string& name, double* value);

    // True when the evaluator holds an expression text.
    bool HasExpression() const;

private:
    // The evaluator, made on first use: most items have no expression, and
    // making one costs a few hundred allocations, for every item of every
    // load. A parser error raised while making it is swallowed (null). An
    // item that holds an expression has its evaluator already, so threads
    // that share a loaded item never make one.
    mu::Parser* Evaluator() const;

    uint16_t m_factor0 = 0;
    uint16_t m_factor1 = 0;
    uint16_t m_factor2 = 0;
    int32_t m_gray = 0;
    mutable mu::Parser* m_evaluator = nullptr;
    bool m_released = false;  // Release was called: no evaluator until Reset
};

class CVarnelColorSubstContainer : public CVarnelContainer {
public:
    CVarnelColorSubstContainer() = default;
    ~CVarnelColorSubstContainer() override;
    uint32_t GetTypeCode() const override;  // 0x56435355
    // Reads GRAY_SUBST, then COLOR_SUBST00 .. COLOR_SUBST15. Returns 0 or -1:
    // fewer than five fields, a value over 254 characters, more than 256
    // fields, a flag over 15 characters, an expression over 111 characters,
    // a missing variable container, or a parser error while setting an
    // expression or binding a variable. A failing GRAY_SUBST leaves the
    // numbered statements unread; items read before a failure stay.
    int Load(const char* text, long length) override;
    // The variable container stays attached.
    void Reset() override;

    // The first item whose IsGray equals gray, or null.
    CVarnelColorSubstItem* FindGrayItem(int32_t gray) const;
    // The first item whose number is `number`, or null.
    CVarnelColorSubstItem* FindItemByNumber(int32_t number) const;

private:
    struct Statement;
    int LoadStatements(const char* text, long length);
    int ReadStatement(const std::string& value, Statement& statement) const;
    void SetItem(CVarnelColorSubstItem& item, const Statement& statement, int32_t gray,
                 int32_t number) const;
};
