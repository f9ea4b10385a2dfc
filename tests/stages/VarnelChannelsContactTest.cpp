#include "stages/VarnelChannelsContact.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using Contact = std::tuple<int32_t, int, int>;  // target, contact 1, contact 2

std::vector<Contact> Items(CVarnelChannelsContactContainer& contacts)
{
    std::vector<Contact> result;
    for (CVarnelItem* entry : contacts.GetItems()) {
        auto* item = dynamic_cast<CVarnelChannelContactItem*>(entry);
        result.emplace_back(item->GetNumber(), item->GetContact1(), item->GetContact2());
    }
    return result;
}

int Load(CVarnelChannelsContactContainer& contacts, const std::string& text)
{
    return contacts.Load(text.c_str(), static_cast<long>(text.size()));
}

struct ContactCase {
    const char* name;
    std::string text;
    int result;
    std::vector<Contact> items;
};

class ContactLoaderTest : public ::testing::TestWithParam<ContactCase> {};

TEST_P(ContactLoaderTest, Loads)
{
    const ContactCase& c = GetParam();
    CVarnelChannelsContactContainer contacts;
    EXPECT_EQ(Load(contacts, c.text), c.result);
    EXPECT_EQ(Items(contacts), c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContactLoaderTest,
    ::testing::Values(
        ContactCase{"NumberOrder", "CHANNEL_CONTACT05=1,2;CHANNEL_CONTACT03=4,5", 0,
                    {{3, 4, 5}, {5, 1, 2}}},
        ContactCase{"LowEightBits", "CHANNEL_CONTACT00=256,257;", 0, {{0, 0, 1}}},
        ContactCase{"MissingFields", "CHANNEL_CONTACT00=;CHANNEL_CONTACT01=7;", 0,
                    {{0, 0, 0}, {1, 7, 0}}},
        ContactCase{"NotNumbers", "CHANNEL_CONTACT00=_A,x;", 0, {{0, 0, 0}}},
        ContactCase{"ExtraFields", "CHANNEL_CONTACT00=1,2,3;", 0, {{0, 1, 2}}},
        // The value, a closing CR and a zero fit the room of 256.
        ContactCase{"LongestValue", "CHANNEL_CONTACT01=2," + std::string(251, '0') + "3;", 0, {{1, 2, 3}}},
        ContactCase{"TooLong", "CHANNEL_CONTACT00=1,2;CHANNEL_CONTACT01=" +
                                   std::string(255, '1') + ";",
                    -1, {{0, 1, 2}}}),
    [](const ::testing::TestParamInfo<ContactCase>& info) { return info.param.name; });

TEST(ContactLoader, AlwaysAppends)
{
    CVarnelChannelsContactContainer contacts;
    ASSERT_EQ(Load(contacts, "CHANNEL_CONTACT00=1,2;"), 0);
    ASSERT_EQ(Load(contacts, "CHANNEL_CONTACT00=2,1;"), 0);
    EXPECT_EQ(Items(contacts), (std::vector<Contact>{{0, 1, 2}, {0, 2, 1}}));
    // An item's Reset (no container calls it) leaves no target, no contacts.
    contacts.GetItems().front()->Reset();
    EXPECT_EQ(Items(contacts).front(), (Contact{-1, 255, 255}));
    contacts.Reset();
    EXPECT_TRUE(contacts.IsEmpty());
}

}  // namespace
