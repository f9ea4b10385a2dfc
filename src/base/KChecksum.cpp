#include "base/KChecksum.h"

#include <Poco/Checksum.h>

#include <algorithm>
#include <limits>

KChecksum::KChecksum() : m_checksum(new Poco::Checksum(Poco::Checksum::TYPE_CRC32)) {}

KChecksum::~KChecksum() { delete m_checksum; }

void KChecksum::Update(const std::string& data) { Update(data.data(), data.size()); }

void KChecksum::Update(const char* data, size_t length)
{
    if (data == nullptr)
        return;
    // POCO takes the length as an unsigned int: feed larger blocks in parts.
    const size_t chunk = std::numeric_limits<unsigned int>::max();
    while (length > 0) {
        const size_t n = std::min(length, chunk);
        m_checksum->update(data, static_cast<unsigned int>(n));
        data += n;
        length -= n;
    }
}

uint32_t KChecksum::GetValue() const { return m_checksum->checksum(); }
