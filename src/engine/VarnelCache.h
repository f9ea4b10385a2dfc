// The separation cache: the 8-bit ink values of all 16,777,216 8-bit RGB
// colours, as one table read per pixel.
//
// File format: the raw table, no header. Entry k holds one byte per channel,
// channel 0 first, for the colour with
//   k = (B >> 4) * 1048576 + G * 4096 + (B & 15) * 256 + R.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CVarnelMappedTable;

constexpr uint32_t kCacheColours = 16777216u;

// The entry of an 8-bit colour in the table of all colours.
inline uint32_t CacheEntryOfColour(uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t(b >> 4) << 20) + (uint32_t(g) << 12) + (uint32_t(b & 15) << 8) + r;
}

class CVarnelCache {
public:
    CVarnelCache() = default;
    // Loads the file; raises VARNEL_STATUS_FAILED when it cannot be read.
    explicit CVarnelCache(const std::string& path);
    CVarnelCache(const CVarnelCache&) = delete;
    CVarnelCache& operator=(const CVarnelCache&) = delete;
    virtual ~CVarnelCache();
    virtual void Reserved();
    virtual int Detach();
    virtual void Release();

    // Reads the whole file into the table; raises VARNEL_STATUS_FAILED when the
    // file cannot be opened or read completely, or memory is short.
    void Load(const std::string& path);
    // Writes the table to path. Returns true when every byte was written.
    bool Save(const std::string& path) const;
    // Releases the table and allocates n bytes (not cleared); raises
    // std::bad_alloc when memory is short.
    void Allocate(uint64_t n);
    // Releases the table and serves the mapped one instead, shared with
    // every other holder of the same file. Its bytes are read-only.
    void Attach(std::shared_ptr<const CVarnelMappedTable> mapped);
    uint8_t* GetData() const { return m_table; }
    uint64_t GetSize() const { return m_size; }

private:
    uint8_t* m_table = nullptr;
    uint64_t m_size = 0;
    // Set when the table is a mapping: then m_table points into it and is
    // not freed here.
    std::shared_ptr<const CVarnelMappedTable> m_mapped;
};

class CVarnelCacheContainer {
public:
    CVarnelCacheContainer() = default;
    CVarnelCacheContainer(const CVarnelCacheContainer&) = delete;
    CVarnelCacheContainer& operator=(const CVarnelCacheContainer&) = delete;
    virtual ~CVarnelCacheContainer();
    virtual int Detach();
    virtual void DeleteCache();

    // Takes ownership of the cache.
    void SetCache(CVarnelCache* cache);
    void SetStride(uint32_t stride)
    {
        m_stride = stride;
        UpdateUsable();
    }
    uint32_t GetStride() const { return m_stride; }
    // True when Lookup answers: a cache is held and its table is large enough.
    bool IsUsable() const { return m_usable; }

    // The entry of an 8-bit colour, or null when no cache is held or the
    // table is too small for stride * 16,777,216 bytes: a look-up never
    // leaves the table.
    const uint8_t* Lookup(uint8_t c0, uint8_t c1, uint8_t c2) const
    {
        if (!m_usable)
            return nullptr;
        return m_cache->GetData() + uint64_t(CacheEntryOfColour(c0, c1, c2)) * m_stride;
    }

private:
    void UpdateUsable();

    uint32_t m_stride = 0;
    CVarnelCache* m_cache = nullptr;
    bool m_usable = false;
};

// Pixel k of the table of all colours, in cache entry order.
inline void CacheColourOfEntry(uint32_t k, uint8_t& r, uint8_t& g, uint8_t& b)
{
    r = uint8_t(k & 255);
    g = uint8_t((k >> 12) & 255);
    b = uint8_t(((k >> 20) << 4) | ((k >> 8) & 15));
}
