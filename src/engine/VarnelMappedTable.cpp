#include "engine/VarnelMappedTable.h"

#include <map>
#include <mutex>
#include <tuple>

#include <sys/mman.h>

namespace {

// The process's mappings by file. Entries are weak: a mapping lives as long
// as some cache holds it, and its destructor removes its entry.
struct Registry {
    std::mutex mutex;
    std::map<CVarnelMappedTable::Identity, std::weak_ptr<const CVarnelMappedTable>> tables;
};

Registry& TheRegistry()
{
    // Never destroyed: mappings released during the process's exit still
    // find it.
    static Registry* registry = new Registry();
    return *registry;
}

} // namespace

bool CVarnelMappedTable::Identity::operator<(const Identity& o) const
{
    return std::tie(device, inode, size, modifiedSeconds, modifiedNanoseconds) <
           std::tie(o.device, o.inode, o.size, o.modifiedSeconds, o.modifiedNanoseconds);
}

bool CVarnelMappedTable::Identity::operator==(const Identity& o) const
{
    return !(*this < o) && !(o < *this);
}

CVarnelMappedTable::CVarnelMappedTable(const uint8_t* data, uint64_t size, const Identity& identity)
    : m_data(data), m_size(size), m_identity(identity)
{
}

CVarnelMappedTable::~CVarnelMappedTable()
{
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        const auto found = registry.tables.find(m_identity);
        // The entry may already name a newer mapping of the same file,
        // made after this one's last owner let go.
        if (found != registry.tables.end() && found->second.expired())
            registry.tables.erase(found);
    }
    munmap(const_cast<uint8_t*>(m_data), size_t(m_size));
}

std::shared_ptr<const CVarnelMappedTable> CVarnelMappedTable::Map(int fd, const Identity& identity)
{
    if (identity.size == 0 || identity.size > uint64_t(SIZE_MAX))
        return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto& slot = registry.tables[identity];
    if (auto existing = slot.lock())
        return existing;
    void* data = mmap(nullptr, size_t(identity.size), PROT_READ, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        registry.tables.erase(identity);
        return nullptr;
    }
    std::shared_ptr<const CVarnelMappedTable> table;
    try {
        table.reset(new CVarnelMappedTable(static_cast<const uint8_t*>(data), identity.size, identity));
    } catch (...) {
        munmap(data, size_t(identity.size));
        registry.tables.erase(identity);
        throw;
    }
    slot = table;
    return table;
}
