#include "base/KString.h"

#include "base/KPlatform.h"

#include <Poco/ASCIIEncoding.h>
#include <Poco/Base64Decoder.h>
#include <Poco/Base64Encoder.h>
#include <Poco/Latin1Encoding.h>
#include <Poco/Latin9Encoding.h>
#include <Poco/NumberFormatter.h>
#include <Poco/NumberParser.h>
#include <Poco/StreamCopier.h>
#include <Poco/TextConverter.h>
#include <Poco/URI.h>
#include <Poco/UTF16Encoding.h>
#include <Poco/UTF8Encoding.h>

#include <utf8proc.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <sstream>
#include <strings.h>

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16Mark[] = "\xFF\xFE";

bool StartsWith(const std::string& s, const char* mark, size_t length)
{
    return s.size() >= length && s.compare(0, length, mark, length) == 0;
}

bool IsKnownEncoding(KStringEncoding encoding)
{
    return encoding >= ENC_ANSI && encoding <= ENC_UTF16LE;
}

// The POCO converter for every encoding except ENC_ANSI, which goes through
// the platform's code-page conversion first.
const Poco::TextEncoding& PocoEncoding(KStringEncoding encoding)
{
    static const Poco::ASCIIEncoding ascii;
    static const Poco::Latin1Encoding latin1;
    static const Poco::Latin9Encoding latin9;
    static const Poco::UTF8Encoding utf8;
    static const Poco::UTF16Encoding utf16le(Poco::UTF16Encoding::LITTLE_ENDIAN_BYTE_ORDER);
    switch (encoding) {
    case ENC_ASCII: return ascii;
    case ENC_LATIN1: return latin1;
    case ENC_LATIN9: return latin9;
    case ENC_UTF8: return utf8;
    default: return utf16le;
    }
}

// Runs UTF-8 text through utf8proc. The length is passed explicitly so that
// embedded zero bytes do not cut the text short. False when the text is not
// valid UTF-8 or the form is not one of the four; the text is then unchanged.
bool NormalizeUtf8(std::string& text, int32_t form)
{
    int options = UTF8PROC_STABLE;
    switch (form) {
    case FORM_NFD: options |= UTF8PROC_DECOMPOSE; break;
    case FORM_NFKD: options |= UTF8PROC_DECOMPOSE | UTF8PROC_COMPAT; break;
    case FORM_NFC: options |= UTF8PROC_COMPOSE; break;
    case FORM_NFKC: options |= UTF8PROC_COMPOSE | UTF8PROC_COMPAT; break;
    default: return false;
    }
    if (text.empty())
        return true;
    utf8proc_uint8_t* result = nullptr;
    utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                           static_cast<utf8proc_ssize_t>(text.size()), &result,
                                           static_cast<utf8proc_option_t>(options));
    if (length < 0 || result == nullptr) {
        std::free(result);
        return false;
    }
    text.assign(reinterpret_cast<const char*>(result), static_cast<size_t>(length));
    std::free(result);
    return true;
}

// Bytes of UTF-16 text at p up to (not including) the first 16-bit zero unit.
std::string Utf16BytesUpToZeroUnit(const char* p)
{
    size_t n = 0;
    while (p[n] != 0 || p[n + 1] != 0)
        n += 2;
    return std::string(p, n);
}

std::string CountedBytes(const unsigned char* counted)
{
    if (counted == nullptr)
        return std::string();
    return std::string(reinterpret_cast<const char*>(counted + 1), counted[0]);
}

int ToIndex(size_t pos)
{
    if (pos == std::string::npos || pos > static_cast<size_t>(std::numeric_limits<int>::max()))
        return -1;
    return static_cast<int>(pos);
}

// Text that POCO's formatter could not produce (it throws, for instance, for
// widths beyond its internal buffer) leaves the text empty rather than
// letting the exception out.
template <typename Format>
std::string SafeFormat(Format format)
{
    try {
        return format();
    } catch (...) {
        return std::string();
    }
}

// POCO aborts for a negative number of decimals and gives nothing for more
// than 60: the count is clipped to that range.
int ClampDecimals(int decimals) { return std::min(std::max(decimals, 0), 60); }
// Widths are clipped to what POCO's formatting buffer holds.
int ClampWidth(int width) { return std::min(std::max(width, 0), 48); }

int32_t ParseInt(const std::string& s, char thousands)
{
    int value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParse(s, value, thousands))
            return value;
    } catch (...) {
    }
    return 0;
}

int64_t ParseInt64(const std::string& s, char thousands)
{
    Poco::Int64 value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParse64(s, value, thousands))
            return value;
    } catch (...) {
    }
    return 0;
}

uint32_t ParseUInt(const std::string& s, char thousands)
{
    unsigned value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParseUnsigned(s, value, thousands))
            return value;
    } catch (...) {
    }
    return 0;
}

uint64_t ParseUInt64(const std::string& s, char thousands)
{
    Poco::UInt64 value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParseUnsigned64(s, value, thousands))
            return value;
    } catch (...) {
    }
    return 0;
}

double ParseDouble(const std::string& s, char decimal, char thousands)
{
    double value = 0.0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParseFloat(s, value, decimal, thousands))
            return value;
    } catch (...) {
    }
    return 0.0;
}

// A double that does not fit a float counts as a failed parse (the cast
// would be undefined).
float ParseFloat(const std::string& s, char decimal, char thousands)
{
    double value = ParseDouble(s, decimal, thousands);
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return 0.0f;
    return static_cast<float>(value);
}

uint64_t ParseHex64(const std::string& s)
{
    Poco::UInt64 value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParseHex64(s, value))
            return value;
    } catch (...) {
    }
    return 0;
}

uint32_t ParseHex(const std::string& s)
{
    unsigned value = 0;
    try {
        if (!s.empty() && Poco::NumberParser::tryParseHex(s, value))
            return value;
    } catch (...) {
    }
    return 0;
}

std::string TrimBlanks(const std::string& s)
{
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

template <typename T, typename Parse>
size_t ParseList(const std::string& text, char separator, std::vector<T>& values, Parse parse)
{
    values.clear();
    if (text.empty())
        return 0;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        std::string item = TrimBlanks(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        values.push_back(parse(item));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return values.size();
}

} // namespace

// ---- construction ----

KString::KString() : m_encoding(ENC_ANSI), m_form(FORM_NONE) {}

KString::KString(const KString& other)
    : KBaseObject(), m_text(other.m_text), m_encoding(other.m_encoding), m_form(FORM_NONE)
{
}

KString::KString(const char* s) : m_encoding(ENC_ANSI), m_form(FORM_NONE)
{
    if (s == nullptr)
        return;
    if (static_cast<unsigned char>(s[0]) == 0xFF && static_cast<unsigned char>(s[1]) == 0xFE) {
        // UTF-16 behind a mark: the only way to tell where it ends is its
        // 16-bit zero unit. It is stored as UTF-8, not normalised.
        m_text = KPlatform::Utf16ToUtf8(KPlatform::Utf16FromLEBytes(Utf16BytesUpToZeroUnit(s + 2)));
        m_encoding = ENC_UTF8;
        return;
    }
    InitDetecting(std::string(s));
}

KString::KString(const std::string& s) : m_encoding(ENC_ANSI), m_form(FORM_NONE) { InitDetecting(s); }

KString::KString(const std::string& s, KStringEncoding encoding) : m_encoding(ENC_ANSI), m_form(FORM_NONE)
{
    InitExplicit(s, encoding);
}

KString::KString(const char* s, KStringEncoding encoding) : m_encoding(ENC_ANSI), m_form(FORM_NONE)
{
    if (s == nullptr) {
        InitExplicit(std::string(), encoding);
        return;
    }
    InitExplicit(encoding == ENC_UTF16LE ? Utf16BytesUpToZeroUnit(s) : std::string(s), encoding);
}

KString::KString(const unsigned char* counted) : m_encoding(ENC_ANSI), m_form(FORM_NONE)
{
    InitDetecting(CountedBytes(counted));
}

KString::KString(const unsigned char* counted, KStringEncoding encoding) : m_encoding(ENC_ANSI), m_form(FORM_NONE)
{
    InitExplicit(CountedBytes(counted), encoding);
}

KString::KString(const wchar_t* s) : m_encoding(ENC_UTF8), m_form(FORM_NONE)
{
    if (s != nullptr)
        m_text = KPlatform::WideToUtf8(s, std::wcslen(s));
}

KString::KString(const std::wstring& s)
    : m_text(KPlatform::WideToUtf8(s.data(), s.size())), m_encoding(ENC_UTF8), m_form(FORM_NONE)
{
}

KString::~KString() = default;

void KString::InitDetecting(const std::string& bytes)
{
    if (StartsWith(bytes, kUtf16Mark, 2)) {
        m_text = bytes.substr(2);
        m_encoding = ENC_UTF16LE;
    } else if (StartsWith(bytes, kUtf8Mark, 3)) {
        m_text = bytes.substr(3);
        m_encoding = ENC_UTF8;
        NormalizeUtf8(m_text, FORM_NFC);
        // Text the normaliser rejects is kept as it is but still counts as
        // NFC, so that it is not offered to the normaliser again.
        m_form = FORM_NFC;
    } else {
        m_text = bytes;
        m_encoding = ENC_ANSI;
    }
}

void KString::InitExplicit(std::string bytes, KStringEncoding encoding)
{
    if (StartsWith(bytes, kUtf8Mark, 3))
        bytes.erase(0, 3);
    else if (StartsWith(bytes, kUtf16Mark, 2))
        bytes.erase(0, 2);
    m_text.swap(bytes);
    m_encoding = encoding;
    if (encoding == ENC_UTF8) {
        NormalizeUtf8(m_text, FORM_NFC);
        m_form = FORM_NFC;
    }
}

std::string KString::ArgumentInMyEncoding(const KString& argument) const
{
    return argument.EncodedAs(m_encoding);
}

// ---- non-virtual access ----

char& KString::CharAt(size_t index) { return m_text[index]; }

const char& KString::CharAt(size_t index) const { return m_text[index]; }

void KString::Clear()
{
    m_text.clear();
    m_scratch.clear();
}

std::string& KString::StdString() { return m_text; }

const std::string& KString::StdString() const { return m_text; }

const std::string& KString::EncodedAs(KStringEncoding target) const
{
    KString temp;
    temp.m_text = m_text;
    temp.m_encoding = m_encoding;
    temp.ConvertTo(target);
    m_scratch.swap(temp.m_text);
    return m_scratch;
}

// ---- comparison, assignment, appending ----

bool KString::operator==(const KString& other) const
{
    KString copy(other);
    copy.ConvertTo(m_encoding);
    return copy.m_text.size() == m_text.size() && std::memcmp(copy.m_text.data(), m_text.data(), m_text.size()) == 0;
}

bool KString::operator==(const std::string& s) const { return *this == KString(s); }

bool KString::operator==(const unsigned char* counted) const { return *this == KString(counted); }

bool KString::operator==(const char* s) const { return *this == KString(s); }

KString& KString::operator=(const KString& other)
{
    if (this != &other)
        m_text = other.m_text;
    m_encoding = other.m_encoding;
    m_scratch.clear();
    return *this;
}

KString& KString::operator=(const std::string& s) { return operator=(KString(s)); }

KString& KString::operator=(const unsigned char* counted) { return operator=(KString(counted)); }

KString& KString::operator=(const char* s) { return operator=(KString(s)); }

KString& KString::operator+=(const KString& other)
{
    if (other.m_encoding != m_encoding) {
        KString copy(other);
        copy.ConvertTo(m_encoding);
        m_text += copy.m_text;
    } else {
        m_text += other.m_text;
    }
    return *this;
}

KString& KString::operator+=(const std::string& s) { return operator+=(KString(s)); }

KString& KString::operator+=(const unsigned char* counted) { return operator+=(KString(counted)); }

KString& KString::operator+=(const char* s) { return operator+=(KString(s)); }

KString& KString::operator+=(char ch)
{
    // A single ANSI character: on a UTF-8 receiver a byte of 0x80 and above
    // arrives as its UTF-8 sequence; the zero byte appends nothing.
    const char bytes[2] = {ch, 0};
    return operator+=(KString(bytes, ENC_ANSI));
}

// ---- Set family ----

void KString::Set(const unsigned char* counted, KStringEncoding encoding) { operator=(KString(counted, encoding)); }

void KString::Set(const char* s, KStringEncoding encoding) { operator=(KString(s, encoding)); }

void KString::Set(const std::string& s, KStringEncoding encoding) { operator=(KString(s, encoding)); }

void KString::Set(const unsigned char* counted) { operator=(KString(counted)); }

void KString::Set(const wchar_t* s) { operator=(KString(s)); }

void KString::Set(const char* s) { operator=(KString(s)); }

void KString::Set(const std::wstring& s) { operator=(KString(s)); }

void KString::Set(const std::string& s) { operator=(KString(s)); }

void KString::SetBytes(const char* data, size_t length, KStringEncoding encoding)
{
    if (data == nullptr)
        length = 0;
    m_text.assign(data == nullptr ? "" : data, length);
    m_scratch.clear();
    m_encoding = encoding;
    m_form = FORM_NONE;
    if (encoding == ENC_UTF8) {
        NormalizeUtf8(m_text, FORM_NFC);
        m_form = FORM_NFC;
    }
}

void KString::SetWide(const wchar_t* data, size_t count)
{
    m_text = KPlatform::WideToUtf8(data, data == nullptr ? 0 : count);
    m_scratch.clear();
    m_encoding = ENC_UTF8;
    m_form = FORM_NONE;
}

void KString::SetRaw(const char* data, size_t length)
{
    operator=(KString(data == nullptr ? std::string() : std::string(data, length)));
}

// ---- encoding and form ----

bool KString::ConvertTo(KStringEncoding target)
{
    if (m_encoding == ENC_UTF8)
        Normalize(FORM_NFC);
    if (m_encoding == target)
        return true;
    if (!IsKnownEncoding(m_encoding) || !IsKnownEncoding(target))
        return false;

    // The ANSI code page is reached through UTF-16 on both sides.
    KStringEncoding from = m_encoding;
    std::string source;
    if (from == ENC_ANSI) {
        source = KPlatform::Utf16ToLEBytes(KPlatform::AnsiToUtf16(m_text));
        from = ENC_UTF16LE;
    } else {
        source = m_text;
    }
    const KStringEncoding to = target == ENC_ANSI ? ENC_UTF16LE : target;

    std::string converted;
    Poco::TextConverter converter(PocoEncoding(from), PocoEncoding(to), '?');
    converter.convert(source, converted);
    if (target == ENC_ANSI)
        converted = KPlatform::Utf16ToAnsi(KPlatform::Utf16FromLEBytes(converted));

    m_text.swap(converted);
    m_encoding = target;
    return true;
}

void KString::SwapByteOrder()
{
    if (m_encoding != ENC_UTF16LE)
        return;
    for (size_t i = 0; i + 1 < m_text.size(); i += 2)
        std::swap(m_text[i], m_text[i + 1]);
}

void KString::Normalize(int32_t form)
{
    if (form == m_form)
        return;
    if (m_encoding == ENC_UTF8)
        NormalizeUtf8(m_text, form);
    m_form = form;
}

void KString::KeepNumberChars()
{
    m_text.erase(std::remove_if(m_text.begin(), m_text.end(),
                                [](char c) { return std::strchr("+-.0123456789", c) == nullptr || c == 0; }),
                 m_text.end());
}

// ---- case ----

KString& KString::ToUpper()
{
    for (char& c : m_text) {
        if (c == 0)
            break;
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return *this;
}

KString& KString::ToLower()
{
    for (char& c : m_text) {
        if (c == 0)
            break;
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return *this;
}

KString& KString::Capitalize()
{
    bool first = true;
    for (char& c : m_text) {
        if (c == 0)
            break;
        const auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(first ? std::toupper(byte) : std::tolower(byte));
        first = false;
    }
    return *this;
}

// ---- trimming and slicing ----

KString& KString::Trim(char ch)
{
    TrimLeft(ch);
    return TrimRight(ch);
}

KString& KString::TrimLeft(char ch)
{
    size_t first = m_text.find_first_not_of(ch);
    m_text.erase(0, first == std::string::npos ? m_text.size() : first);
    return *this;
}

KString& KString::TrimRight(char ch)
{
    size_t last = m_text.find_last_not_of(ch);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

std::string KString::Mid(size_t pos, size_t count) const
{
    if (pos >= m_text.size())
        return std::string();
    return m_text.substr(pos, count);
}

std::string KString::Left(size_t count) const { return m_text.substr(0, count); }

std::string KString::Right(size_t count) const
{
    if (count >= m_text.size())
        return m_text;
    return m_text.substr(m_text.size() - count);
}

// ---- searching and editing ----

int KString::FindBytes(const std::string& needle, int start) const
{
    const size_t from = start < 0 ? 0 : static_cast<size_t>(start);
    if (from > m_text.size())
        return -1;
    return ToIndex(m_text.find(needle, from));
}

int KString::ReverseFindBytes(const std::string& needle, int start) const
{
    const size_t from = start < 0 ? std::string::npos : static_cast<size_t>(start);
    return ToIndex(m_text.rfind(needle, from));
}

std::string KString::ReplaceBytes(size_t pos, size_t count, const std::string& replacement)
{
    m_text.replace(std::min(pos, m_text.size()), count, replacement);
    return m_text;
}

int KString::Find(const char* s, int start) const { return FindBytes(ArgumentInMyEncoding(KString(s)), start); }

int KString::Find(const std::string& s, int start) const
{
    return FindBytes(ArgumentInMyEncoding(KString(s)), start);
}

int KString::ReverseFind(const char* s, int start) const
{
    return ReverseFindBytes(ArgumentInMyEncoding(KString(s)), start);
}

int KString::ReverseFind(const std::string& s, int start) const
{
    return ReverseFindBytes(ArgumentInMyEncoding(KString(s)), start);
}

std::string KString::Replace(size_t pos, size_t count, const char* s)
{
    return ReplaceBytes(pos, count, ArgumentInMyEncoding(KString(s)));
}

std::string KString::Replace(size_t pos, size_t count, const std::string& s)
{
    return ReplaceBytes(pos, count, ArgumentInMyEncoding(KString(s)));
}

int KString::FindOneOf(const char* chars, int start) const
{
    // The set is a set of bytes, taken as they are.
    if (chars == nullptr || start < 0 || static_cast<size_t>(start) > m_text.size())
        return -1;
    return ToIndex(m_text.find_first_of(chars, static_cast<size_t>(start)));
}

int KString::Remove(char ch)
{
    const size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

std::string KString::Insert(size_t pos, const char* s) { return Replace(pos, 0, s); }

// ---- URI escapes ----

void KString::UriEncode()
{
    // Everything but the unreserved characters of a URI is escaped, so the
    // result can stand as one component of a URI.
    ConvertTo(ENC_UTF8);
    std::string encoded;
    Poco::URI::encode(m_text, ":/?#[]@!$&'()*+,;=", encoded);
    m_text.swap(encoded);
    m_scratch.clear();
}

bool KString::UriDecode()
{
    KString copy(*this);
    copy.ConvertTo(ENC_UTF8);
    std::string decoded;
    try {
        Poco::URI::decode(copy.m_text, decoded);
    } catch (...) {
        return false;
    }
    m_text.swap(decoded);
    m_scratch.clear();
    m_encoding = ENC_UTF8;
    m_form = FORM_NONE;
    return true;
}

// ---- comparison families ----

int KString::Compare(const char* s, KStringEncoding encoding) const { return Compare(KString(s, encoding)); }

int KString::Compare(const char* s) const { return Compare(KString(s)); }

int KString::Compare(const std::string& s, KStringEncoding encoding) const { return Compare(KString(s, encoding)); }

int KString::Compare(const std::string& s) const { return Compare(KString(s)); }

int KString::Compare(const KString& other) const
{
    return std::strcmp(m_text.c_str(), ArgumentInMyEncoding(other).c_str());
}

int KString::CompareN(const char* s, KStringEncoding encoding, size_t count) const
{
    return CompareN(KString(s, encoding), count);
}

int KString::CompareN(const char* s, size_t count) const { return CompareN(KString(s), count); }

int KString::CompareN(const std::string& s, KStringEncoding encoding, size_t count) const
{
    return CompareN(KString(s, encoding), count);
}

int KString::CompareN(const std::string& s, size_t count) const { return CompareN(KString(s), count); }

int KString::CompareN(const KString& other, size_t count) const
{
    return std::strncmp(m_text.c_str(), ArgumentInMyEncoding(other).c_str(), count);
}

int KString::CompareNoCase(const char* s, KStringEncoding encoding) const
{
    return CompareNoCase(KString(s, encoding));
}

int KString::CompareNoCase(const char* s) const { return CompareNoCase(KString(s)); }

int KString::CompareNoCase(const std::string& s, KStringEncoding encoding) const
{
    return CompareNoCase(KString(s, encoding));
}

int KString::CompareNoCase(const std::string& s) const { return CompareNoCase(KString(s)); }

int KString::CompareNoCase(const KString& other) const
{
    return strcasecmp(m_text.c_str(), ArgumentInMyEncoding(other).c_str());
}

int KString::CompareNoCaseN(const char* s, KStringEncoding encoding, size_t count) const
{
    return CompareNoCaseN(KString(s, encoding), count);
}

int KString::CompareNoCaseN(const char* s, size_t count) const { return CompareNoCaseN(KString(s), count); }

int KString::CompareNoCaseN(const std::string& s, KStringEncoding encoding, size_t count) const
{
    return CompareNoCaseN(KString(s, encoding), count);
}

int KString::CompareNoCaseN(const std::string& s, size_t count) const { return CompareNoCaseN(KString(s), count); }

int KString::CompareNoCaseN(const KString& other, size_t count) const
{
    return strncasecmp(m_text.c_str(), ArgumentInMyEncoding(other).c_str(), count);
}

// ---- number formatting ----

#define KSTRING_FORMAT(expression)                                     \
    do {                                                               \
        m_text = SafeFormat([&]() { return (expression); });           \
        m_encoding = ENC_ANSI;                                         \
        return *this;                                                  \
    } while (0)

KString& KString::FormatNumber(int8_t value) { KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<int>(value))); }

KString& KString::FormatNumber(uint8_t value)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<unsigned>(value)));
}

KString& KString::FormatNumber(int16_t value) { KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<int>(value))); }

KString& KString::FormatNumber(uint16_t value)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<unsigned>(value)));
}

KString& KString::FormatNumber(int32_t value) { KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<int>(value))); }

KString& KString::FormatNumber(uint32_t value)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<unsigned>(value)));
}

KString& KString::FormatNumber(int64_t value)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<Poco::Int64>(value)));
}

KString& KString::FormatNumber(uint64_t value)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<Poco::UInt64>(value)));
}

KString& KString::FormatNumber(float value) { KSTRING_FORMAT(Poco::NumberFormatter::format(value)); }

KString& KString::FormatNumber(float value, int decimals)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(value, ClampDecimals(decimals)));
}

KString& KString::FormatNumber(double value) { KSTRING_FORMAT(Poco::NumberFormatter::format(value)); }

KString& KString::FormatNumber(double value, int decimals)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(value, ClampDecimals(decimals)));
}

KString& KString::FormatNumber(int32_t value, int width)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<int>(value), ClampWidth(width)));
}

KString& KString::FormatNumber(uint32_t value, int width)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<unsigned>(value), ClampWidth(width)));
}

KString& KString::FormatNumber(int64_t value, int width)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<Poco::Int64>(value), ClampWidth(width)));
}

KString& KString::FormatNumber(uint64_t value, int width)
{
    KSTRING_FORMAT(Poco::NumberFormatter::format(static_cast<Poco::UInt64>(value), ClampWidth(width)));
}

KString& KString::FormatNumber(uint32_t value, KHexStyle style)
{
    KSTRING_FORMAT(Poco::NumberFormatter::formatHex(static_cast<unsigned>(value), style == HEX_PREFIXED));
}

KString& KString::FormatNumber(uint64_t value, KHexStyle style)
{
    KSTRING_FORMAT(Poco::NumberFormatter::formatHex(static_cast<Poco::UInt64>(value), style == HEX_PREFIXED));
}

KString& KString::FormatNumber(uint32_t value, int width, KHexStyle style)
{
    KSTRING_FORMAT(
        Poco::NumberFormatter::formatHex(static_cast<unsigned>(value), ClampWidth(width), style == HEX_PREFIXED));
}

#undef KSTRING_FORMAT

// ---- number reading ----

float KString::ToFloat() const { return ParseFloat(m_text, '.', ','); }

float KString::ToFloat(char decimalSeparator, char thousandSeparator) const
{
    return ParseFloat(m_text, decimalSeparator, thousandSeparator);
}

double KString::ToDouble() const { return ParseDouble(m_text, '.', ','); }

double KString::ToDouble(char decimalSeparator, char thousandSeparator) const
{
    return ParseDouble(m_text, decimalSeparator, thousandSeparator);
}

int32_t KString::ToInt() const { return ParseInt(m_text, ','); }

int32_t KString::ToInt(char thousandSeparator) const { return ParseInt(m_text, thousandSeparator); }

int64_t KString::ToInt64() const { return ParseInt64(m_text, ','); }

int64_t KString::ToInt64(char thousandSeparator) const { return ParseInt64(m_text, thousandSeparator); }

uint32_t KString::ToUInt() const { return ParseUInt(m_text, ','); }

uint32_t KString::ToUInt(char thousandSeparator) const { return ParseUInt(m_text, thousandSeparator); }

uint64_t KString::ToUInt64() const { return ParseUInt64(m_text, ','); }

uint64_t KString::ToUInt64(char thousandSeparator) const { return ParseUInt64(m_text, thousandSeparator); }

uint32_t KString::ToHex() const { return ParseHex(m_text); }

uint64_t KString::ToHex64() const { return ParseHex64(m_text); }

bool KString::ToBool() const
{
    bool value = false;
    try {
        if (!m_text.empty() && Poco::NumberParser::tryParseBool(m_text, value))
            return value;
    } catch (...) {
    }
    return false;
}

uint32_t KString::ToFourCC() const
{
    uint32_t code = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint32_t byte = i < m_text.size() ? static_cast<unsigned char>(m_text[i]) : 0u;
        code = (code << 8) | byte;
    }
    return code;
}

size_t KString::ToIntList(std::vector<int32_t>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseInt(s, ','); });
}

size_t KString::ToUIntList(std::vector<uint32_t>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseUInt(s, ','); });
}

size_t KString::ToInt64List(std::vector<int64_t>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseInt64(s, ','); });
}

size_t KString::ToFloatList(std::vector<float>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseFloat(s, '.', ','); });
}

size_t KString::ToDoubleList(std::vector<double>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseDouble(s, '.', ','); });
}

size_t KString::ToHexList(std::vector<uint32_t>& values, char separator) const
{
    return ParseList(m_text, separator, values, [](const std::string& s) { return ParseHex(s); });
}

// ---- Base64 ----

void KString::Base64Encode(std::string& encoded) const
{
    std::ostringstream out;
    Poco::Base64Encoder encoder(out);
    encoder.rdbuf()->setLineLength(0);
    encoder.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    encoder.close();
    encoded = out.str();
}

void KString::Base64Encode()
{
    std::string encoded;
    Base64Encode(encoded);
    m_text.swap(encoded);
    m_scratch.clear();
    m_encoding = ENC_ASCII;
}

bool KString::Base64Decode(std::string& decoded) const
{
    try {
        std::istringstream in(m_text);
        Poco::Base64Decoder decoder(in);
        std::string result;
        Poco::StreamCopier::copyToString(decoder, result);
        if (decoder.bad())
            return false;
        decoded.swap(result);
        return true;
    } catch (...) {
        return false;
    }
}

bool KString::Base64Decode()
{
    std::string decoded;
    if (!Base64Decode(decoded))
        return false;
    m_text.swap(decoded);
    m_scratch.clear();
    return true;
}
