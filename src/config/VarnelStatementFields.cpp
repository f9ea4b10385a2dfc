#include "config/VarnelStatementFields.h"
#include "varnel/varnel.h"

int CVarnelStatementFields::Read(const std::string& value, size_t bufferSize)
{
    m_count = 0;
    for (char*& field : m_fields)
        field = nullptr;
    // Value, carriage return and terminating zero must fit the buffer.
    if (value.size() + 2 > bufferSize)
        return VARNEL_STATUS_FAILED;
    m_buffer = value;
    m_buffer.push_back('\r');
    CVarnelParser parser;
    const int count = parser.Split(&m_buffer[0], m_fields, static_cast<long>(m_buffer.size()), ',');
    if (count > kMaxTokens)
        return VARNEL_STATUS_FAILED;
    m_count = count;
    return 0;
}

const char* CVarnelStatementFields::Field(int index) const
{
    if (index < 0 || index >= m_count)
        return nullptr;
    return m_fields[index];
}
