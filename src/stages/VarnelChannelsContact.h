// Channel contact (CHANNEL_CONTACTnn): for a channel, the two neighbouring
// channels whose ink reduces its own.
#pragma once

#include "config/VarnelContainer.h"
#include "config/VarnelItem.h"

#include <cstdint>

class CVarnelChannelContactItem : public CVarnelItem {
public:
    CVarnelChannelContactItem() = default;
    ~CVarnelChannelContactItem() override;
    void Initialize() override;
    // Target -1, both contacts 255.
    void Reset() override;

    // The channel whose value the contact adjusts.
    virtual void SetNumber(int32_t number);
    virtual int32_t GetNumber() const;
    // Each contact keeps its low 8 bits.
    virtual void SetContacts(int contact1, int contact2);
    virtual uint8_t GetContact1() const;
    virtual uint8_t GetContact2() const;

private:
    int32_t m_target = -1;
    uint8_t m_contact1 = 255;
    uint8_t m_contact2 = 255;
};

class CVarnelChannelsContactContainer : public CVarnelContainer {
public:
    ~CVarnelChannelsContactContainer() override;
    uint32_t GetTypeCode() const override;  // 0x56434343
    // Appends one item per active CHANNEL_CONTACT00..15 statement, in number
    // order; never replaces an item. Returns 0 or the failure code.
    int Load(const char* text, long length) override;
    // Deletes the items; the variable container stays set.
    void Reset() override;
    void Clear() override;
};
