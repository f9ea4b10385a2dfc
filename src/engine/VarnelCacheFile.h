// A cache table on disk, checked before it is trusted.
//
// The table keeps its name ("<crc>.dat") and its format (the raw table).
// Beside it, "<crc>.dat.key" records what the table was made from: the cache
// format, the version of the separation's results, the channel count, the
// digest of the configuration's texts, and the identity of the table file
// (device, inode, size, modification time). A table is used only when the
// record names exactly the configuration being loaded and the very file in
// place; anything else (no record, another configuration under the same
// name, an older library's results, a table replaced by someone else) is
// rebuilt.
//
// Both files must be regular files of the process's own user that no one
// else may write, and are opened without following links: a table planted
// by another user, or a link to one, is never read. New files are created
// exclusively (never through an existing name or link) under a temporary
// name, mode 0600, then renamed into place under a lock on the folder, so
// that two builders never leave a record that names the other's table.
#pragma once

#include "engine/VarnelMappedTable.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The version of the separation's results: raise it with every change that
// alters any output byte, so that tables built before are rebuilt.
constexpr int kVarnelResultsVersion = 1;

class CVarnelCacheFile {
public:
    // path: the table's file. configuration: what the table holds (the
    // configuration's source digest); channels: bytes per entry.
    CVarnelCacheFile(std::string path, const std::string& configuration, uint32_t channels);

    // The table mapped read-only when the record and the file in place match
    // this configuration; null otherwise. Never throws.
    std::shared_ptr<const CVarnelMappedTable> Open() const;
    // Writes bytes of the table at an offset; true when all were written.
    // Threads may write separate ranges at once.
    typedef std::function<bool(uint64_t offset, const uint8_t* bytes, uint64_t size)> Writer;

    // Puts the table (channels * 16,777,216 bytes) and its record into place.
    // True when both are there; false leaves no temporary file behind.
    // Never throws.
    bool Save(const uint8_t* table) const;
    // The same for a table that fill writes, piece by piece, through the
    // writer it is handed; fill returns true when it wrote all of it.
    bool Save(const std::function<bool(const Writer&)>& fill) const;

    // Makes the folder (with its trailing separator; empty means the current
    // directory) ready for cache files: a missing last component is created
    // with mode 0700. True when it is a directory, not a link, owned by this
    // process's user, writable by no one else, and writable by us. Anything
    // else means no cache: another user could plant or swap files in it.
    // Temporary files left there by writers that no longer run (a killed
    // build) are removed. Never throws.
    static bool PrepareFolder(const std::string& folder);

    const std::string& TablePath() const { return m_path; }
    std::string RecordPath() const { return m_path + ".key"; }
    uint64_t TableSize() const;

private:
    // The record's text without its last line, which names the table file.
    std::string m_expected;
    std::string m_path;
    uint32_t m_channels;
};
