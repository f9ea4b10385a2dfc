// The value of a configuration statement cut into its fields.
#pragma once

#include "config/VarnelParser.h"

#include <cstddef>
#include <string>

// The value of one statement cut into its comma-separated fields, the way
// every stage loader reads it.
class CVarnelStatementFields {
public:
    // Copies the value and a closing carriage return into a buffer of
    // bufferSize bytes and splits it at each ','. Returns 0, or -1 when the
    // value does not fit the buffer or holds more than kMaxTokens fields:
    // such a statement is rejected as a whole rather than cut silently.
    int Read(const std::string& value, size_t bufferSize);
    int Count() const { return m_count; }
    // The field's text, or null when the value has no such field.
    const char* Field(int index) const;
    bool Has(int index) const { return Field(index) != nullptr; }

private:
    std::string m_buffer;
    char* m_fields[kMaxTokens] = {};
    int m_count = 0;
};
