#include "engine/VarnelColourMemory.h"

#include <cstdlib>
#include <new>

std::unique_ptr<CVarnelColourMemory> CVarnelColourMemory::Create(unsigned channels)
{
    const unsigned values = channels <= 8 ? 8 : 16;
    // Zeroed: every entry starts empty (key 0).
    auto* entries = static_cast<uint64_t*>(std::calloc(size_t(kEntries) * (1 + values / 4), sizeof(uint64_t)));
    CVarnelColourMemory* memory = nullptr;
    if (entries != nullptr)
        memory = new (std::nothrow) CVarnelColourMemory(entries, values);
    if (memory == nullptr)
        std::free(entries);
    return std::unique_ptr<CVarnelColourMemory>(memory);
}

CVarnelColourMemory::~CVarnelColourMemory() { std::free(m_entries); }
