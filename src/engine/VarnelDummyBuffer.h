// Scratch block of the 8-bit conversion, reused across calls.
#pragma once

#include <cstdint>

class CVarnelDummyBuffer {
public:
    CVarnelDummyBuffer() = default;
    CVarnelDummyBuffer(const CVarnelDummyBuffer&) = delete;
    CVarnelDummyBuffer& operator=(const CVarnelDummyBuffer&) = delete;
    virtual ~CVarnelDummyBuffer();
    virtual uint32_t GetSize() const;
    virtual uint8_t* GetData();
    // Makes sure a block of at least `size` bytes exists. A larger request
    // than the capacity releases the block first. Returns VARNEL_STATUS_OK
    // when a block exists afterwards, VARNEL_STATUS_FAILED when it could not
    // be allocated. The contents are
    // never cleared.
    virtual int Reserve(uint32_t size);

private:
    uint32_t m_capacity = 0;
    uint8_t* m_data = nullptr;
};
