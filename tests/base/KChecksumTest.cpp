#include "base/KChecksum.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The CRC-32 of zlib and IEEE 802.3, accumulated over updates of any size;
// a null block adds nothing.
TEST(KChecksum, AccumulatesThePublishedCheckValue)
{
    KChecksum checksum;
    EXPECT_EQ(checksum.GetValue(), 0u);
    checksum.Update(std::string());
    checksum.Update("1234", 4);
    checksum.Update(std::string("56789"));
    checksum.Update(nullptr, 5);
    EXPECT_EQ(checksum.GetValue(), 0xCBF43926u);
}

} // namespace
