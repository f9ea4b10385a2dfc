#include "config/VarnelTable.h"

#include "config/VarnelCurvePause.h"

#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VARNEL_POISON_KEPT_BLOCKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNEL_POISON_KEPT_BLOCKS 1
#endif
#endif

#if defined(VARNEL_POISON_KEPT_BLOCKS)
#include <sanitizer/asan_interface.h>
#define VARNEL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define VARNEL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define VARNEL_POISON(p, n) ((void)(p), (void)(n))
#define VARNEL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr size_t kBlockBytes = size_t(CVarnelTable::kEntries) * sizeof(uint16_t);

// The blocks this thread keeps: plain data, which stays valid to the end of
// the thread, so that a table ending after the release below (a static
// object's, at exit) still finds it. Under AddressSanitizer a kept block is
// poisoned: a read through a pointer into a table that ended is still
// reported.
struct KeptBlocks {
    uint16_t* blocks[CVarnelTable::kKeptBlocks];
    unsigned count;
    bool releaseArmed;
    bool threadEnds;
};

thread_local KeptBlocks t_kept = {};

// Gives the kept blocks back to the system when the thread ends.
struct KeptBlocksRelease {
    bool armed = false;
    ~KeptBlocksRelease()
    {
        t_kept.threadEnds = true;
        while (t_kept.count > 0) {
            uint16_t* block = t_kept.blocks[--t_kept.count];
            VARNEL_UNPOISON(block, kBlockBytes);
            ::operator delete(block);
        }
    }
};

thread_local KeptBlocksRelease t_release;

uint16_t* TakeBlock()
{
    if (t_kept.count == 0)
        return static_cast<uint16_t*>(::operator new(kBlockBytes));
    uint16_t* block = t_kept.blocks[--t_kept.count];
    VARNEL_UNPOISON(block, kBlockBytes);
    return block;
}

void GiveBlock(uint16_t* block)
{
    if (t_kept.threadEnds || t_kept.count == CVarnelTable::kKeptBlocks) {
        ::operator delete(block);
        return;
    }
    if (!t_kept.releaseArmed) {
        // The first use constructs the release object and registers its
        // end with the thread.
        t_release.armed = true;
        t_kept.releaseArmed = true;
    }
    VARNEL_POISON(block, kBlockBytes);
    t_kept.blocks[t_kept.count++] = block;
}

} // namespace

CVarnelTable::CVarnelTable() : m_values(TakeBlock())
{
    if (!CVarnelCurvePause::Active())
        Clear();
}

CVarnelTable::~CVarnelTable() { GiveBlock(m_values); }

void CVarnelTable::Clear() { std::memset(m_values, 0, kBlockBytes); }
