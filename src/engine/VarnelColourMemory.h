// A bounded memory of recently separated colours: a direct-mapped table of
// 2^16 entries, each holding a 16-bit RGB input and its work channels. It
// generalises the remembered pixel: photographs repeat their colours, and a
// colour found here is copied instead of computed. Exact by construction: an
// entry holds the result of the pipeline for exactly that input, and the
// pipeline is a function of the pixel alone; the memory belongs to one plan
// and is made anew with it.
//
// It steps aside when the input shows that it does not pay: after a window
// of consulted pixels with too few hits, it is not consulted (nor filled)
// for a rest of pixels, and then tried again. A new memory starts with a
// shorter rest and takes its entries only when that rest ends: a short
// conversion (a few swatches, single colours) never pays for them.
//
// Size: an entry holds its key (8 bytes) and its channels beside it (16
// bytes up to 8 channels, 32 bytes up to 16), so that a look-up touches one
// place; 1.5 or 2.5 MiB. A caller that knows its next colours asks for their
// entries early (Prefetch): a look-up then rarely waits for memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

class CVarnelColourMemory {
public:
    static constexpr unsigned kBits = 16;
    static constexpr uint32_t kEntries = 1u << kBits;
    // Pixels in a window, and the hits in it below which the memory rests.
    static constexpr uint32_t kWindow = 4096;
    static constexpr uint32_t kPayingHits = kWindow / 8;
    // Pixels the memory rests for.
    static constexpr uint32_t kRest = 65536;
    // Pixels a new memory passes over before it takes its entries.
    static constexpr uint32_t kFirstRest = 1024;

    // A memory for pixels of `channels` work channels (at most 16), or null
    // when memory is short: the caller then goes without. Its entries are
    // allocated when its first rest ends; while they cannot be had, it
    // keeps resting.
    static std::unique_ptr<CVarnelColourMemory> Create(unsigned channels);
    ~CVarnelColourMemory();
    CVarnelColourMemory(const CVarnelColourMemory&) = delete;
    CVarnelColourMemory& operator=(const CVarnelColourMemory&) = delete;

    // The key of a pixel; never 0, the key of an empty entry.
    static uint64_t Key(uint16_t r, uint16_t g, uint16_t b)
    {
        return uint64_t(r) | (uint64_t(g) << 16) | (uint64_t(b) << 32) | (uint64_t(1) << 48);
    }

    // Whether to consult the memory for the next pixel; counts the rest.
    bool Consult()
    {
        if (m_rest == 0)
            return true;
        if (--m_rest == 0 && !m_entries)
            TakeEntries();
        return false;
    }
    // Passes over n pixels without consulting the memory, when it rests
    // for at least that many: true when it did.
    bool RestFor(uint32_t n)
    {
        if (m_rest < n)
            return false;
        m_rest -= n;
        if (m_rest == 0 && !m_entries)
            TakeEntries();
        return true;
    }
    // Starts fetching the entry of a key that will be looked up soon.
    void Prefetch(uint64_t key) const { __builtin_prefetch(Entry(Slot(key))); }
    // The channels remembered for a key, or null. Counts the window.
    const uint16_t* Find(uint64_t key)
    {
        uint64_t* entry = Entry(Slot(key));
        const bool hit = *entry == key;
        m_hits += hit;
        if (++m_seen == kWindow) {
            if (m_hits < kPayingHits)
                m_rest = kRest;
            m_seen = 0;
            m_hits = 0;
        }
        return hit ? reinterpret_cast<const uint16_t*>(entry + 1) : nullptr;
    }
    // Key 0 (a pixel that was not consulted) is not remembered.
    void Remember(uint64_t key, const uint16_t* work)
    {
        if (key == 0)
            return;
        uint64_t* entry = Entry(Slot(key));
        *entry = key;
        std::memcpy(entry + 1, work, m_values * sizeof(uint16_t));
    }

private:
    explicit CVarnelColourMemory(unsigned values) : m_values(values) {}
    // Allocates the entries, or rests once more when they cannot be had.
    void TakeEntries();
    static uint32_t Slot(uint64_t key) { return uint32_t((key * 0x9E3779B97F4A7C15ull) >> (64 - kBits)); }
    uint64_t* Entry(uint32_t slot) const { return m_entries + size_t(slot) * (1 + m_values / 4); }

    // kEntries entries of a key and m_values channel values; null until
    // the first rest ends. Only consulted pixels reach them.
    uint64_t* m_entries = nullptr;
    // Values per entry: 8 or 16, so that an entry can be read as whole
    // vectors of eight.
    unsigned m_values;
    uint32_t m_seen = 0;
    uint32_t m_hits = 0;
    uint32_t m_rest = kFirstRest;
};
