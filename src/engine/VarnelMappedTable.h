// A cache table file mapped read-only, shared by every instance of the
// process that uses the same file: one mapping per file, whatever the number
// of instances and threads, and the kernel's page cache behind it is shared
// with other processes too.
//
// A table file is only ever replaced by a rename, never rewritten in place:
// the mapping keeps the file it was made from, even after a newer file took
// its name. (A file cut short in place by its owner while mapped would end
// the process with SIGBUS, as for every mapped file; the library never does
// that.)
//
// Threading: Map may be called from any thread; a mapping is immutable.
#pragma once

#include <cstdint>
#include <memory>

class CVarnelMappedTable {
public:
    // What tells one file from another, as fstat gives it.
    struct Identity {
        uint64_t device = 0;
        uint64_t inode = 0;
        uint64_t size = 0;
        int64_t modifiedSeconds = 0;
        int64_t modifiedNanoseconds = 0;
        bool operator<(const Identity& other) const;
        bool operator==(const Identity& other) const;
    };

    // The mapping of the open regular file fd, whose fstat gave identity:
    // the process's existing mapping of the same file, or a new one. Null
    // when the file is empty or cannot be mapped. fd stays the caller's.
    static std::shared_ptr<const CVarnelMappedTable> Map(int fd, const Identity& identity);

    CVarnelMappedTable(const CVarnelMappedTable&) = delete;
    CVarnelMappedTable& operator=(const CVarnelMappedTable&) = delete;
    ~CVarnelMappedTable();

    const uint8_t* GetData() const { return m_data; }
    uint64_t GetSize() const { return m_size; }

private:
    CVarnelMappedTable(const uint8_t* data, uint64_t size, const Identity& identity);

    const uint8_t* m_data;
    uint64_t m_size;
    Identity m_identity;
};
