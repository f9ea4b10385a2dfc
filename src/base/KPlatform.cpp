#include "base/KPlatform.h"

#include <Poco/Path.h>
#include <Poco/Windows1252Encoding.h>

#include <utf8proc.h>

#include <unistd.h>

namespace {

const char32_t kReplacement = 0xFFFD;

// Windows-1252 leaves these five bytes undefined; the system conversion maps
// them to the C1 control of the same value and back.
bool IsUndefinedCp1252(unsigned value)
{
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

const Poco::Windows1252Encoding& Cp1252()
{
    static const Poco::Windows1252Encoding encoding;
    return encoding;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    utf8proc_uint8_t buffer[4];
    utf8proc_ssize_t n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(cp), buffer);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Walks UTF-16 units, joining surrogate pairs; an unpaired surrogate is
// reported as `unpaired`.
template <typename Sink>
void ForEachCodePoint(const std::u16string& utf16, char32_t unpaired, Sink sink)
{
    const size_t n = utf16.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            sink(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(utf16[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            sink(unpaired);
        } else {
            sink(unit);
        }
    }
}

} // namespace

namespace KPlatform {

std::string TempPath()
{
    std::string path;
    try {
        path = Poco::Path::temp();
    } catch (...) {
        path.clear();
    }
    if (path.empty())
        path = "/tmp/";
    if (path.back() != '/')
        path += '/';
    return path;
}

std::string UserTempPath()
{
    return TempPath() + "varnel-" + std::to_string(geteuid()) + "/";
}

std::u16string AnsiToUtf16(const std::string& ansi)
{
    const Poco::TextEncoding::CharacterMap& map = Cp1252().characterMap();
    std::u16string out;
    out.reserve(ansi.size());
    for (unsigned char byte : ansi) {
        int cp = map[byte];
        out.push_back(static_cast<char16_t>(cp < 0 ? byte : cp));
    }
    return out;
}

std::string Utf16ToAnsi(const std::u16string& utf16)
{
    std::string out;
    out.reserve(utf16.size());
    ForEachCodePoint(utf16, U'?', [&out](char32_t cp) {
        if (IsUndefinedCp1252(cp)) {
            out.push_back(static_cast<char>(cp));
            return;
        }
        unsigned char byte = '?';
        if (cp <= 0x10FFFF && Cp1252().convert(static_cast<int>(cp), &byte, 1) != 1)
            byte = '?';
        out.push_back(static_cast<char>(byte));
    });
    return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const utf8proc_uint8_t*>(utf8.data());
    utf8proc_ssize_t left = static_cast<utf8proc_ssize_t>(utf8.size());
    while (left > 0) {
        utf8proc_int32_t cp = -1;
        utf8proc_ssize_t used = utf8proc_iterate(p, left, &cp);
        if (used <= 0 || cp < 0) {
            AppendUtf16(out, kReplacement);
            used = 1;
        } else {
            AppendUtf16(out, static_cast<char32_t>(cp));
        }
        p += used;
        left -= used;
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16)
{
    std::string out;
    out.reserve(utf16.size());
    ForEachCodePoint(utf16, kReplacement, [&out](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

std::string WideToUtf8(const wchar_t* data, size_t count)
{
    std::string out;
    if (data == nullptr)
        return out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        auto cp = static_cast<char32_t>(data[i]);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string Utf16FromLEBytes(const std::string& bytes)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned lo = static_cast<unsigned char>(bytes[i]);
        unsigned hi = static_cast<unsigned char>(bytes[i + 1]);
        out.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return out;
}

std::string Utf16ToLEBytes(const std::u16string& utf16)
{
    std::string out;
    out.reserve(utf16.size() * 2);
    for (char16_t unit : utf16) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

} // namespace KPlatform
