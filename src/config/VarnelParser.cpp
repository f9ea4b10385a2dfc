#include "config/VarnelParser.h"

#include "base/KString.h"
#include "config/VarnelLookupRecorder.h"

#include <climits>
#include <cstdlib>
#include <cstring>

bool FindKey(const char* text, long length, const char* key, std::string& value)
{
    value.clear();
    const long offset = FindKeyOffset(text, key);
    if (offset < 0)
        return false;
    ValueAfterKey(text, length, offset, std::strlen(key), value);
    return true;
}

void ValueAfterKey(const char* text, long length, long offset, size_t keyLength, std::string& value)
{
    const char* start = text + offset + keyLength;
    // The value ends at ';', at position `length` or at the terminating
    // zero, whichever comes first, so the copy never leaves the caller's
    // text.
    const char* end = start;
    while (end - text < length && *end != '\0' && *end != ';')
        ++end;
    value.assign(start, end);
}

long FindKeyOffset(const char* text, const char* key)
{
    if (text == nullptr || key == nullptr)
        return -1;
    CVarnelLookupRecorder::Note(key);
    // The search deliberately ignores statement boundaries: a key is also
    // found where it follows a '*', which is how switched-off keys are
    // recognised. memmem over the measured text finds what strstr finds;
    // chosen because the sanitizers' strstr wrapper measures the text byte
    // by byte on every call, and a load makes hundreds of these searches.
    const void* match = memmem(text, std::strlen(text), key, std::strlen(key));
    return match == nullptr ? -1 : long(static_cast<const char*>(match) - text);
}

CVarnelParser::~CVarnelParser() = default;

int CVarnelParser::Split(char* text, char** tokens, long length, char separator)
{
    if (length < 1 || tokens == nullptr)
        return 0;
    for (int i = 0; i < kMaxTokens; ++i)
        tokens[i] = nullptr;
    if (text == nullptr)
        return 0;

    long pos = 0;
    while (pos < length && static_cast<unsigned char>(text[pos]) <= 32)
        ++pos;
    if (pos >= length)
        return 0;

    // A token is recorded only when a separator or CR closes it; callers
    // append a CR to close the last one. Tokens beyond the table are
    // counted but not recorded, so that a caller can tell that fields were
    // lost.
    int count = 0;
    char* start = text + pos;
    for (; pos < length; ++pos) {
        if (text[pos] == separator || text[pos] == '\r') {
            text[pos] = '\0';
            if (count < kMaxTokens)
                tokens[count] = start;
            ++count;
            start = text + pos + 1;
        }
    }
    return count;
}

int32_t ReadIntegerField(const char* field, IntegerField rule)
{
    if (field == nullptr)
        return 0;
    if (rule == IntegerField::WholeDecimal)
        return KString(std::string(field)).ToInt();
    // strtol rather than atol: out of range it saturates instead of being
    // undefined.
    const long value = std::strtol(field, nullptr, 10);
    if (rule == IntegerField::LeadingDigitsWrapped)
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ValueToInt(const char* field)
{
    return ReadIntegerField(field, IntegerField::WholeDecimal);
}

int32_t ValueToInt(const std::string& field)
{
    return KString(field).ToInt();
}
