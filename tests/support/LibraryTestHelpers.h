// Small helpers that the library's tests share.
#ifndef VARNEL_TESTS_SUPPORT_LIBRARYTESTHELPERS_H
#define VARNEL_TESTS_SUPPORT_LIBRARYTESTHELPERS_H

#include "base/KChecksum.h"
#include "varnel/VarnelDll.h"

#include <cstdint>
#include <string>

// The exported calls take writable texts they never write.
inline char* Text(const std::string& s) { return const_cast<char*>(s.c_str()); }
inline char* Text(const char* s) { return const_cast<char*>(s); }

// Loads a preset or file, with an extra text, into an instance.
inline long Load(CVarnelDll& dll, const char* name, const char* text = nullptr, VarnelProgressProc progress = nullptr)
{
    return dll.SetPreferences(Text(name), Text(text), nullptr, 0, 0, progress, 0);
}

// The name of the cache file of a configuration key: its CRC-32 as a
// signed decimal number.
inline std::string CacheNameOf(const std::string& key)
{
    KChecksum crc;
    crc.Update(key);
    return std::to_string(int32_t(crc.GetValue())) + ".dat";
}

#endif
