// Small helpers that the library's tests share.
#ifndef VARNEL_TESTS_SUPPORT_LIBRARYTESTHELPERS_H
#define VARNEL_TESTS_SUPPORT_LIBRARYTESTHELPERS_H

#include "base/KChecksum.h"

#include <cstdint>
#include <string>

// The exported calls take writable texts they never write.
inline char* Text(const std::string& s) { return const_cast<char*>(s.c_str()); }
inline char* Text(const char* s) { return const_cast<char*>(s); }

// The name of the cache file of a configuration key: its CRC-32 as a
// signed decimal number.
inline std::string CacheNameOf(const std::string& key)
{
    KChecksum crc;
    crc.Update(key);
    return std::to_string(int32_t(crc.GetValue())) + ".dat";
}

#endif
