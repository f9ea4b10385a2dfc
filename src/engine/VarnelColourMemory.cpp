#include "engine/VarnelColourMemory.h"

#include <cstdlib>
#include <new>

std::unique_ptr<CVarnelColourMemory> CVarnelColourMemory::Create(unsigned channels)
{
    const unsigned stride = channels <= 8 ? 8 : 16;
    // Zeroed: every entry starts empty (key 0).
    auto* keys = static_cast<uint64_t*>(std::calloc(kEntries, sizeof(uint64_t)));
    auto* values = static_cast<uint16_t*>(std::calloc(size_t(kEntries) * stride, sizeof(uint16_t)));
    CVarnelColourMemory* memory = nullptr;
    if (keys != nullptr && values != nullptr)
        memory = new (std::nothrow) CVarnelColourMemory(keys, values, stride);
    if (memory == nullptr) {
        std::free(keys);
        std::free(values);
    }
    return std::unique_ptr<CVarnelColourMemory>(memory);
}

CVarnelColourMemory::~CVarnelColourMemory()
{
    std::free(m_keys);
    std::free(m_values);
}
