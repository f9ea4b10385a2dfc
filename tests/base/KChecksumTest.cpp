#include "base/KChecksum.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CrcCase {
    std::string data;
    uint32_t crc;
};

// Published CRC-32 check values (zlib / IEEE 802.3).
TEST(KChecksum, PublishedCheckValues)
{
    const CrcCase cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"abc", 0x352441C2u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {std::string(32, '\0'), 0x190A55ADu},
    };
    for (const CrcCase& c : cases) {
        KChecksum checksum;
        checksum.Update(c.data);
        EXPECT_EQ(checksum.GetValue(), c.crc) << '"' << c.data << '"';
    }
}

TEST(KChecksum, UpdatesAccumulate)
{
    KChecksum checksum;
    EXPECT_EQ(checksum.GetValue(), 0u);
    checksum.Update(std::string());
    EXPECT_EQ(checksum.GetValue(), 0u);
    checksum.Update("1234", 4);
    checksum.Update(std::string("56789"));
    checksum.Update(nullptr, 5);
    EXPECT_EQ(checksum.GetValue(), 0xCBF43926u);
}

} // namespace
