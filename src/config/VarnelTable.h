// One 65,536-entry curve of 16-bit values, all 0 when made (unless made
// under a CVarnelCurvePause, where nothing reads it): the storage of
// the tables that stage items draw at load time and the pixel path reads.
//
// A configuration makes and ends dozens of these 128 KiB blocks, and a block
// fresh from the system costs more (mapping, first touch of every page) than
// clearing one that was used. So the blocks of the tables that end on a
// thread are kept by that thread, up to kKeptBlocks (4 MiB), for the next
// tables it makes; the rest go back to the system, and a thread's kept
// blocks when it ends.
#pragma once

#include <cstdint>

class CVarnelTable {
public:
    static constexpr uint32_t kEntries = 65536;
    static constexpr unsigned kKeptBlocks = 32;

    // Throws std::bad_alloc when memory is short.
    CVarnelTable();
    ~CVarnelTable();
    CVarnelTable(const CVarnelTable&) = delete;
    CVarnelTable& operator=(const CVarnelTable&) = delete;

    uint16_t* Data() { return m_values; }
    const uint16_t* Data() const { return m_values; }
    uint16_t operator[](uint16_t v) const { return m_values[v]; }
    // Every entry back to 0.
    void Clear();

private:
    uint16_t* m_values;
};
