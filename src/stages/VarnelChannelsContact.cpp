#include "stages/VarnelChannelsContact.h"

#include "base/KString.h"
#include "config/VarnelParser.h"
#include "config/VarnelStatementFields.h"
#include "stages/VarnelStageLoading.h"
#include "varnel/varnel.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kContactValueRoom = 256;

}  // namespace

CVarnelChannelContactItem::~CVarnelChannelContactItem() = default;

void CVarnelChannelContactItem::Initialize() {}

void CVarnelChannelContactItem::Reset()
{
    m_target = -1;
    m_contact1 = 255;
    m_contact2 = 255;
}

void CVarnelChannelContactItem::SetNumber(int32_t number)
{
    m_target = number;
}

int32_t CVarnelChannelContactItem::GetNumber() const
{
    return m_target;
}

void CVarnelChannelContactItem::SetContacts(int contact1, int contact2)
{
    m_contact1 = static_cast<uint8_t>(contact1);
    m_contact2 = static_cast<uint8_t>(contact2);
}

uint8_t CVarnelChannelContactItem::GetContact1() const
{
    return m_contact1;
}

uint8_t CVarnelChannelContactItem::GetContact2() const
{
    return m_contact2;
}

CVarnelChannelsContactContainer::~CVarnelChannelsContactContainer()
{
    Clear();
}

uint32_t CVarnelChannelsContactContainer::GetTypeCode() const
{
    return 0x56434343;
}

void CVarnelChannelsContactContainer::Reset()
{
    Clear();
}

void CVarnelChannelsContactContainer::Clear()
{
    CVarnelContainer::Clear();
}

int CVarnelChannelsContactContainer::Load(const char* text, long length)
{
    try {
        std::string value;
        if (!FindKey(text, length, "CHANNEL_CONTACT", value))
            return 0;

        return ForEachNumberedStatement(*this, text, length, "CHANNEL_CONTACT", [this](long n, const std::string& value) {
            // Value, closing CR and zero must fit; a longer value, or more
            // fields than the table records, is refused rather than cut.
            CVarnelStatementFields fields;
            if (fields.Read(value, kContactValueRoom) != 0)
                throw VARNEL_STATUS_FAILED;

            // Every active statement makes a new item, even for a target
            // that an earlier text already named. A missing field (an empty
            // value, or one without ',') counts as channel 0, as any field
            // that is not a number does. Fields are never variables.
            auto item = std::make_unique<CVarnelChannelContactItem>();
            item->SetNumber(static_cast<int32_t>(n));
            item->SetContacts(ValueToInt(fields.Field(0)), ValueToInt(fields.Field(1)));
            // The list takes the item only once the append succeeded.
            AddItem(item.get());
            item.release();
            return 0;
        });
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_FAILED;
    }
}
