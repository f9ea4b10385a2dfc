#include "engine/VarnelDummyBuffer.h"

#include "varnel/varnel.h"

#include <new>

CVarnelDummyBuffer::~CVarnelDummyBuffer() { delete[] m_data; }

uint32_t CVarnelDummyBuffer::GetSize() const { return m_capacity; }

uint8_t* CVarnelDummyBuffer::GetData() { return m_data; }

int CVarnelDummyBuffer::Reserve(uint32_t size)
{
    if (size > m_capacity) {
        delete[] m_data;
        m_data = nullptr;
        m_capacity = 0;
    }
    if (m_data)
        return VARNEL_STATUS_OK;
    // Cleared once when allocated, so that no path ever reads bytes that
    // were never written.
    m_data = new (std::nothrow) uint8_t[size]();
    if (!m_data)
        return VARNEL_STATUS_FAILED;
    m_capacity = size;
    return VARNEL_STATUS_OK;
}
