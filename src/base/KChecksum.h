// CRC-32 (the checksum of zlib and IEEE 802.3) of all bytes passed to
// Update so far; a fresh object has value 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Poco {
class Checksum;
}

class KChecksum {
public:
    KChecksum();
    virtual ~KChecksum();
    KChecksum(const KChecksum&) = delete;
    KChecksum& operator=(const KChecksum&) = delete;

    void Update(const std::string& data);
    void Update(const char* data, size_t length);
    uint32_t GetValue() const;

private:
    Poco::Checksum* m_checksum;
};
