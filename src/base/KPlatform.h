// The few operating-system services the base library needs, under our own
// names: the default temporary folder and the conversions between the
// system's 8-bit code page, UTF-8 and UTF-16.
//
// On Linux there is no per-process ANSI code page; Windows-1252 stands in
// for it, because that is the code page that configuration texts written
// on Western desktop systems use.
#pragma once

#include <cstddef>
#include <string>

namespace KPlatform {

// The system's temporary folder, always ending with '/'. Never throws; falls
// back to "/tmp/" when the folder cannot be determined.
std::string TempPath();
// The user's own folder inside the system's temporary folder,
// "<TempPath>varnel-<effective uid>/", with its trailing separator. Whether
// it exists, and is safe, is for its user to check.
std::string UserTempPath();

// ANSI (Windows-1252) bytes to UTF-16 code units. Every byte maps to one
// unit; the five bytes that Windows-1252 leaves undefined map to the C1
// control character of the same value, so that the round trip is lossless.
std::u16string AnsiToUtf16(const std::string& ansi);

// UTF-16 code units to ANSI (Windows-1252). Characters the code page cannot
// hold, and unpaired surrogates, become '?'.
std::string Utf16ToAnsi(const std::u16string& utf16);

// UTF-8 to UTF-16. Each invalid or truncated UTF-8 byte sequence becomes
// U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(const std::string& utf8);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& utf16);

// Wide text to UTF-8. wchar_t is 32 bits on Linux, so each element is one
// UTF-32 code point; surrogates and values above U+10FFFF become U+FFFD.
std::string WideToUtf8(const wchar_t* data, size_t count);

// Helpers for UTF-16 held as little-endian bytes in a std::string. An odd
// trailing byte is ignored.
std::u16string Utf16FromLEBytes(const std::string& bytes);
std::string Utf16ToLEBytes(const std::u16string& utf16);

} // namespace KPlatform
