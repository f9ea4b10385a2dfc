#include "engine/VarnelCacheFile.h"

#include "engine/VarnelCache.h"

#include <Poco/File.h>

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxRecordBytes = 4096;

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    int Get() const { return m_fd; }
    // Closes now; false when the close reports an error (for a file just
    // written, the data may then be lost).
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || close(fd) == 0;
    }

private:
    int m_fd;
};

CVarnelMappedTable::Identity IdentityOf(const struct stat& info)
{
    CVarnelMappedTable::Identity identity;
    identity.device = uint64_t(info.st_dev);
    identity.inode = uint64_t(info.st_ino);
    identity.size = uint64_t(info.st_size);
    identity.modifiedSeconds = int64_t(info.st_mtim.tv_sec);
    identity.modifiedNanoseconds = int64_t(info.st_mtim.tv_nsec);
    return identity;
}

// Opens a file that is safe to trust: a regular file (not a link: links are
// not followed; not a FIFO or device: opening does not wait), owned by this
// process's user and writable by no one else. -1 otherwise.
int OpenTrusted(const std::string& path, CVarnelMappedTable::Identity& identity)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        close(fd);
        return -1;
    }
    identity = IdentityOf(info);
    return fd;
}

bool WriteAll(int fd, uint64_t offset, const uint8_t* data, uint64_t size)
{
    constexpr uint64_t kChunk = uint64_t(1) << 30;
    while (size > 0) {
        const ssize_t put = pwrite(fd, data, size_t(size < kChunk ? size : kChunk), off_t(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        offset += uint64_t(put);
        size -= uint64_t(put);
    }
    return true;
}

// A name beside path that no other writer uses.
std::string TemporarySibling(const std::string& path)
{
    static std::atomic<unsigned> serial{0};
    return path + ".part." + std::to_string(getpid()) + "." + std::to_string(serial.fetch_add(1));
}

// Writes a new file under a temporary name beside path: created exclusively
// (an existing name or a link planted there makes it fail), mode 0600.
// Returns the temporary name, or "" (and nothing left behind) on failure.
// The contents come from fill, handed a writer of byte ranges; should
// anything throw, the file is removed before the exception goes on.
std::string WriteNewFile(const std::string& path, const std::function<bool(const CVarnelCacheFile::Writer&)>& fill,
                         CVarnelMappedTable::Identity* identity)
{
    const std::string part = TemporarySibling(path);
    Descriptor fd(open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
        return "";
    struct stat info {};
    bool written = false;
    try {
        const int out = fd.Get();
        written = fill([out](uint64_t offset, const uint8_t* bytes, uint64_t size) {
            return WriteAll(out, offset, bytes, size);
        });
    } catch (...) {
        fd.Close();
        unlink(part.c_str());
        throw;
    }
    if (written && identity) {
        written = fstat(fd.Get(), &info) == 0;
        *identity = IdentityOf(info);
    }
    if (!fd.Close() || !written) {
        unlink(part.c_str());
        return "";
    }
    return part;
}

// The process id in a temporary name "<name>.part.<pid>.<serial>", or 0.
pid_t WriterOf(const std::string& name)
{
    const size_t part = name.rfind(".part.");
    if (part == std::string::npos)
        return 0;
    unsigned long pid = 0, serial = 0;
    char tail = 0;
    if (std::sscanf(name.c_str() + part + 6, "%lu.%lu%c", &pid, &serial, &tail) != 2)
        return 0;
    return pid <= 0x7fffffffUL ? pid_t(pid) : 0;
}

// Removes the temporary files that writers which no longer run left in the
// folder (a build that was killed): only our own regular files, and only
// when the process that named them is gone.
void RemoveLeftovers(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t writer = WriterOf(name);
        if (writer <= 0 || writer == getpid() || kill(writer, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info {};
        const std::string path = folder + "/" + name;
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid())
            unlink(path.c_str());
    }
    closedir(dir);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string TableLine(const CVarnelMappedTable::Identity& id)
{
    char line[160];
    std::snprintf(line, sizeof line, "table %" PRIu64 " %" PRIu64 " %" PRIu64 " %" PRId64 " %" PRId64 "\n",
                  id.device, id.inode, id.size, id.modifiedSeconds, id.modifiedNanoseconds);
    return line;
}

} // namespace

CVarnelCacheFile::CVarnelCacheFile(std::string path, const std::string& configuration,
                                   uint32_t channels)
    : m_path(std::move(path)), m_channels(channels)
{
    m_expected = "varnel cache table\nformat 1\nresults " + std::to_string(kVarnelResultsVersion) +
                 "\nchannels " + std::to_string(channels) + "\nconfiguration " + configuration + "\n";
}

bool CVarnelCacheFile::PrepareFolder(const std::string& folder)
{
    try {
        std::string name = folder;
        while (name.size() > 1 && name.back() == '/')
            name.pop_back();
        if (name.empty())
            name = ".";
        struct stat info {};
        if (lstat(name.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return false;
            const size_t slash = name.rfind('/');
            if (slash != std::string::npos && slash > 0)
                Poco::File(name.substr(0, slash)).createDirectories();
            if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
            if (lstat(name.c_str(), &info) != 0)
                return false;
        }
        if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
            (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 || access(name.c_str(), W_OK | X_OK) != 0)
            return false;
        RemoveLeftovers(name);
        return true;
    } catch (...) {
        return false;
    }
}

uint64_t CVarnelCacheFile::TableSize() const { return uint64_t(m_channels) * kCacheColours; }

std::shared_ptr<const CVarnelMappedTable> CVarnelCacheFile::Open() const
{
    try {
        CVarnelMappedTable::Identity recordIdentity;
        Descriptor record(OpenTrusted(RecordPath(), recordIdentity));
        if (record.Get() < 0 || recordIdentity.size > kMaxRecordBytes)
            return nullptr;
        char text[kMaxRecordBytes];
        size_t length = 0;
        for (;;) {
            const ssize_t got = read(record.Get(), text + length, sizeof text - length);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return nullptr;
            if (got == 0 || length + size_t(got) == sizeof text) {
                length += size_t(got);
                break;
            }
            length += size_t(got);
        }
        CVarnelMappedTable::Identity identity;
        Descriptor table(OpenTrusted(m_path, identity));
        if (table.Get() < 0 || identity.size != TableSize())
            return nullptr;
        // The record must be exactly what this configuration and this very
        // file would have been given.
        if (std::string(text, length) != m_expected + TableLine(identity))
            return nullptr;
        return CVarnelMappedTable::Map(table.Get(), identity);
    } catch (...) {
        return nullptr;
    }
}

bool CVarnelCacheFile::Save(const uint8_t* table) const
{
    try {
        return Save([this, table](const Writer& write) { return write(0, table, TableSize()); });
    } catch (...) {
        return false;
    }
}

bool CVarnelCacheFile::Save(const std::function<bool(const Writer&)>& fill) const
{
    std::string tablePart, recordPart;
    try {
        CVarnelMappedTable::Identity identity;
        tablePart = WriteNewFile(m_path, fill, &identity);
        if (tablePart.empty())
            return false;
        const std::string record = m_expected + TableLine(identity);
        recordPart = WriteNewFile(RecordPath(), [&record](const Writer& write) {
            return write(0, reinterpret_cast<const uint8_t*>(record.data()), record.size());
        }, nullptr);
        if (recordPart.empty()) {
            unlink(tablePart.c_str());
            return false;
        }
        // Builders of the same name take turns to put their pair in place,
        // so the last pair standing is one builder's table with its own
        // record. A folder that cannot be locked still gets a consistent
        // pair in all but the rarest interleavings, and a mismatch is only
        // a rebuild.
        Descriptor folder(open(FolderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.Get() >= 0)
            flock(folder.Get(), LOCK_EX);
        const bool placed = rename(tablePart.c_str(), m_path.c_str()) == 0 &&
                            rename(recordPart.c_str(), RecordPath().c_str()) == 0;
        // Whatever was not renamed is removed (unlink of a renamed name
        // fails harmlessly).
        unlink(tablePart.c_str());
        unlink(recordPart.c_str());
        return placed;
    } catch (...) {
        if (!tablePart.empty())
            unlink(tablePart.c_str());
        if (!recordPart.empty())
            unlink(recordPart.c_str());
        return false;
    }
}
