// Container and items of the colour addition (BLACK_ADD for the black
// channel, COLOR_ADDnn for the others): the ink of one channel adds ink to
// the other channels, by a strength and one amount per channel.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelTransformation.h"

#include <cstdint>
#include <string>

constexpr int kAdditionAmounts = 16;

// Number: the channel nn, or -1 for the BLACK_ADD item; Param2: the
// strength in 1/65535 units. TableA rises and TableB falls over the
// reshaped strength, TableC rises over the plain strength; all three are
// indexed by the driving channel's value.
class CVarnelColorAdditionItem : public CVarnelTransformation {
public:
    CVarnelColorAdditionItem();
    ~CVarnelColorAdditionItem() override;
    void Initialize() override;  // does nothing
    // Number 0, TableC and the amounts cleared; TableA and TableB stay.
    void Reset() override;
    void Release() override;     // does nothing

    // Both curves cover every entry, so a reused item is redrawn whole.
    virtual void BuildTablesAB(int32_t strength);
    virtual void BuildTableC(int32_t strength);
    virtual uint16_t* GetTableC();
    virtual uint16_t GetTableBValue(uint16_t v) const;
    virtual uint16_t GetTableAValue(uint16_t v) const;
    virtual void SetKind(uint32_t kind);
    virtual uint32_t GetKind() const;
    // Copies the first min(count, 16) values; nothing when count < 1.
    virtual void SetChannelValues(const uint16_t* values, int count);
    // The amount of channel i, 0 outside 0..15.
    virtual uint16_t GetChannelValue(int i) const;
    virtual const uint16_t* GetChannelValues() const;

protected:
    CVarnelTable m_tableC;
    uint32_t m_kind = 0;  // 0: BLACK_ADD, 1: COLOR_ADDnn
    uint16_t m_amounts[kAdditionAmounts] = {};
};

class CVarnelColorAdditionContainer : public CVarnelContainer {
public:
    CVarnelColorAdditionContainer() = default;
    ~CVarnelColorAdditionContainer() override;
    uint32_t GetTypeCode() const override;  // 0x56414443
    // Reads BLACK_ADD, then COLOR_ADD00 .. COLOR_ADD15. Returns 0 or -1: a
    // value without fields, a value over 254 characters, more than 256
    // fields, more than 16 amounts, a flag over 15 characters, or a missing
    // variable container. A failing BLACK_ADD leaves the numbered
    // statements unread; items read before a failure stay.
    int Load(const char* text, long length) override;
    // The variable container stays attached.
    void Reset() override;

    // The first item whose number is `number`, or null.
    CVarnelColorAdditionItem* FindItem(int32_t number) const;
    // The first item whose kind is `kind`, or null.
    CVarnelColorAdditionItem* FindItemByKind(uint32_t kind) const;

private:
    struct Statement;
    int LoadStatements(const char* text, long length);
    int ReadStatement(const std::string& value, uint16_t* amounts, Statement& statement) const;
    void SetItem(CVarnelColorAdditionItem& item, const Statement& statement,
                 const uint16_t* amounts, uint32_t kind, int32_t number) const;
};
