#include "engine/VarnelCache.h"

#include "engine/VarnelMappedTable.h"

#include "base/KFile.h"
#include "base/KFileStream.h"
#include "base/KString.h"
#include "varnel/varnel.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace {

// KFileStream moves at most INT_MAX bytes a call.
constexpr uint64_t kIoChunk = 1u << 26;

// A table of tens of megabytes: aligned to 2 MiB and offered to the kernel
// for huge pages, which cuts the cost of first touching its pages (the
// dominant cost of loading a cache file) to about half. A block smaller
// than a huge page (a file too short to be a table) gets a cache line's
// alignment, not a 2 MiB reservation. Null when memory is short.
uint8_t* AllocateTable(uint64_t size)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    constexpr size_t kCacheLine = 64;
    void* block = nullptr;
    const size_t bytes = size_t(std::max<uint64_t>(size, 1));
    if (posix_memalign(&block, bytes >= kHugePage ? kHugePage : kCacheLine, bytes) != 0)
        return nullptr;
#if defined(MADV_HUGEPAGE)
    if (bytes >= kHugePage)
        madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return static_cast<uint8_t*>(block);
}

void FreeTable(uint8_t* table) { std::free(table); }

} // namespace

CVarnelCache::CVarnelCache(const std::string& path) { Load(path); }

CVarnelCache::~CVarnelCache() { Release(); }

void CVarnelCache::Reserved() {}

int CVarnelCache::Detach()
{
    m_mapped.reset();
    m_table = nullptr;
    m_size = 0;
    return VARNEL_STATUS_OK;
}

void CVarnelCache::Release()
{
    if (m_mapped)
        m_mapped.reset();
    else
        FreeTable(m_table);
    m_table = nullptr;
    m_size = 0;
}

void CVarnelCache::Attach(std::shared_ptr<const CVarnelMappedTable> mapped)
{
    Release();
    if (!mapped)
        return;
    m_mapped = std::move(mapped);
    // Read-only: the engine only reads a cache table.
    m_table = const_cast<uint8_t*>(m_mapped->GetData());
    m_size = m_mapped->GetSize();
}

void CVarnelCache::Allocate(uint64_t n)
{
    Release();
    m_table = AllocateTable(n);
    if (!m_table)
        throw std::bad_alloc();
    m_size = n;
}

void CVarnelCache::Load(const std::string& path)
{
    const KFile file(KPath::FromNative(path));
    const uint64_t size = file.GetSize();
    KFileStream stream;
    if (stream.Open(file, FOM_READBYTES) != 0)
        throw VARNEL_STATUS_FAILED;
    // The table is read straight into its final block: the same bytes as
    // reading into a scratch block and copying, without the second copy.
    uint8_t* table = AllocateTable(size);
    if (!table)
        throw VARNEL_STATUS_FAILED;
    uint64_t done = 0;
    while (done < size) {
        const int want = int(std::min<uint64_t>(kIoChunk, size - done));
        const int got = stream.Read(reinterpret_cast<char*>(table + done), want);
        if (got <= 0)
            break;
        done += uint64_t(got);
    }
    stream.Close();
    if (done != size) {
        // A file that shrank while it was read: never keep a table whose
        // tail was not read.
        FreeTable(table);
        throw VARNEL_STATUS_FAILED;
    }
    Release();
    m_table = table;
    m_size = size;
}

bool CVarnelCache::Save(const std::string& path) const
{
    if (!m_table || m_size == 0)
        return false;
    KFileStream stream;
    if (stream.Open(KFile(KPath::FromNative(path)), FOM_WRITE) != 0)
        return false;
    uint64_t done = 0;
    while (done < m_size) {
        const int want = int(std::min<uint64_t>(kIoChunk, m_size - done));
        const int put = stream.Write(reinterpret_cast<const char*>(m_table + done), want);
        if (put <= 0)
            break;
        done += uint64_t(put);
    }
    stream.Close();
    return done == m_size;
}

CVarnelCacheContainer::~CVarnelCacheContainer() { delete m_cache; }

int CVarnelCacheContainer::Detach()
{
    m_cache = nullptr;
    m_stride = 0;
    m_usable = false;
    return VARNEL_STATUS_OK;
}

void CVarnelCacheContainer::DeleteCache()
{
    delete m_cache;
    m_cache = nullptr;
    m_usable = false;
}

void CVarnelCacheContainer::SetCache(CVarnelCache* cache)
{
    if (cache != m_cache)
        delete m_cache;
    m_cache = cache;
    UpdateUsable();
}

void CVarnelCacheContainer::UpdateUsable()
{
    m_usable = m_cache && m_cache->GetData() &&
               m_cache->GetSize() >= uint64_t(kCacheColours) * m_stride;
}
