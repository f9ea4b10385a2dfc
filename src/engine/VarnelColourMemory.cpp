#include "engine/VarnelColourMemory.h"

#include <cstdlib>
#include <new>

std::unique_ptr<CVarnelColourMemory> CVarnelColourMemory::Create(unsigned channels)
{
    return std::unique_ptr<CVarnelColourMemory>(new (std::nothrow) CVarnelColourMemory(channels <= 8 ? 8 : 16));
}

void CVarnelColourMemory::TakeEntries()
{
    // Zeroed: every entry starts empty (key 0).
    m_entries = static_cast<uint64_t*>(std::calloc(size_t(kEntries) * (1 + m_values / 4), sizeof(uint64_t)));
    if (!m_entries)
        m_rest = kRest;
}

CVarnelColourMemory::~CVarnelColourMemory() { std::free(m_entries); }
