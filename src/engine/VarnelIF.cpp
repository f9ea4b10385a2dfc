#include "engine/VarnelIF.h"

#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelColourMemory.h"
#include "engine/VarnelDummyBuffer.h"
#include "engine/VarnelPixelPlan.h"
#include "geometry/KLine.h"
#include "varnel/separation.h"
#include "varnel/varnel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <new>

namespace {

// varnel_narrow on eight values at once (16 bytes are read, 16 written). With
// x * 65281 = H * 65536 + L, (x * 65281 + 2^23) >> 24 equals (H + 128) >> 8:
// L < 65536 cannot carry past a multiple of 2^24 that H + 128 does not
// reach. H is the high half of a 16-bit product.
inline void NarrowEight(const uint16_t* in, uint8_t* out)
{
#if defined(__SSE2__)
    const __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    __m128i high = _mm_mulhi_epu16(values, _mm_set1_epi16(int16_t(65281)));
    high = _mm_srli_epi16(_mm_add_epi16(high, _mm_set1_epi16(128)), 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(high, high));
#else
    for (int i = 0; i < 8; ++i)
        out[i] = varnel_narrow(in[i]);
#endif
}

// The chunk rule of the 8-bit conversion keeps a chunk's 16-bit output
// below 8 MiB.
constexpr uint32_t kAreaBytes = 8388608u;

} // namespace

// Progress of one conversion call: every new whole percentage is reported.
struct CVarnelIF::Progress {
    VarnelProgressProc callback;
    long long value;
    uint32_t total;
    uint64_t done;  // pixels of the job done before this call
    int64_t last = -1;

    void Report(uint32_t i)
    {
        // A job of no pixels has no percentage to report.
        if (!callback || total == 0)
            return;
        const int64_t percent = int64_t(double(done + i) * 100.0 / double(total));
        if (percent != last) {
            callback(double(percent), value);
            last = percent;
        }
    }

    // Reports every whole percentage above the last one up to that of
    // pixel i, each once and in order.
    void ReportUpTo(uint32_t i)
    {
        if (!callback || total == 0)
            return;
        const int64_t percent = int64_t(double(done + i) * 100.0 / double(total));
        while (last < percent) {
            ++last;
            callback(double(last), value);
        }
    }
};

CVarnelIF::CVarnelIF() : m_line(new KLine()), m_workBuffer(new CVarnelDummyBuffer()) {}

CVarnelIF::~CVarnelIF() = default;

int CVarnelIF::Process(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                       const VarnelPoint& origin, const VarnelRect& rectangle)
{
    return ProcessRegion(source, destination, origin, rectangle);
}

void CVarnelIF::Reinit()
{
    m_line.reset(new KLine());
    m_workBuffer.reset(new CVarnelDummyBuffer());
    m_plan.reset();
    m_rememberedValid = 0;
}

int CVarnelIF::Reserved() { return VARNEL_STATUS_OK; }

void CVarnelIF::SetConfig(CVarnel* config)
{
    // A pixel remembered under another configuration says nothing about
    // this one.
    m_config = config;
    m_plan.reset();
    m_rememberedValid = 0;
}

bool CVarnelIF::Prepare()
{
    if (m_plan)
        return true;
    if (!m_config)
        return false;
    UsePlan(std::make_shared<const CVarnelPixelPlan>(*m_config));
    return true;
}

void CVarnelIF::UsePlan(std::shared_ptr<const CVarnelPixelPlan> plan)
{
    m_plan = std::move(plan);
    m_rememberedValid = 0;
    m_channels = m_plan->Channels();
    m_workChannels = m_plan->WorkChannels();
    m_memory.reset();
    if (m_plan->AlwaysComputes())
        m_memory = CVarnelColourMemory::Create(m_workChannels);
}

namespace {

// Stores a channel value in the output's width: 16-bit as it is, 8-bit
// narrowed. Channels past the computed ones are written as no ink.
inline void Store(uint16_t* out, unsigned j, uint16_t v) { out[j] = v; }
inline void Store(uint8_t* out, unsigned j, uint16_t v) { out[j] = varnel_narrow(v); }
inline void StoreNoInk(uint16_t* out, uint64_t from, uint64_t to) { std::fill(out + from, out + to, uint16_t(65535)); }
inline void StoreNoInk(uint8_t* out, uint64_t from, uint64_t to) { std::fill(out + from, out + to, uint8_t(255)); }

// A component at 16 bits: 8-bit input widens by v * 257.
inline uint32_t Wide(uint16_t v) { return v; }
inline uint32_t Wide(uint8_t v) { return v * 257u; }

} // namespace

namespace {

template <unsigned N>
inline void StoreChannels(uint16_t* out, const uint16_t* work)
{
    std::memcpy(out, work, N * sizeof(uint16_t));
}

template <unsigned N>
inline void StoreChannels(uint8_t* out, const uint16_t* work)
{
    static_assert(N <= 8, "one vector of eight channels");
    uint8_t bytes[16];
    NarrowEight(work, bytes);
    std::memcpy(out, bytes, N);
}

} // namespace

template <typename Out>
inline __attribute__((always_inline)) void CVarnelIF::StorePixel(Out* out, uint64_t outStride,
                                                                 const uint16_t* work) const
{
    // The usual ink counts with their loop unrolled.
    switch (m_workChannels) {
    case 4: StoreChannels<4>(out, work); break;
    case 5: StoreChannels<5>(out, work); break;
    case 6: StoreChannels<6>(out, work); break;
    case 7: StoreChannels<7>(out, work); break;
    case 8: StoreChannels<8>(out, work); break;
    default:
        for (unsigned j = 0; j < m_workChannels; ++j)
            Store(out, j, work[j]);
    }
    if (outStride > m_workChannels)
        StoreNoInk(out, m_workChannels, outStride);
}

template <typename In, typename Out>
uint32_t CVarnelIF::StoreRepeats(const In* in, Out* out, uint64_t outStride, uint32_t count, Progress& progress)
{
    uint32_t i = 0;
    for (; i < count && RepeatsRemembered(Wide(in[0]), Wide(in[1]), Wide(in[2])); ++i, in += 3, out += outStride) {
        StorePixel(out, outStride, m_previous);
        progress.Report(i);
    }
    return i;
}

template <typename Out>
int CVarnelIF::ConvertPixels(const uint16_t* in, Out* out, uint64_t outStride, uint32_t total,
                             uint32_t count, uint32_t* processed, VarnelProgressProc callback,
                             long long value)
{
    Progress progress{callback, value, total, processed ? *processed : 0u};
    const bool cached = m_cache && m_cache->IsUsable();
    if (!cached && m_plan->AlwaysComputes()) {
        // The pixels that repeat the pixel remembered from before this call
        // take its result, which may not have come from this path.
        const uint32_t i = StoreRepeats(in, out, outStride, count, progress);
        in += 3 * uint64_t(i);
        out += outStride * i;
        const int status = ComputePixels(in, out, outStride, i, count, progress);
        if (status == VARNEL_STATUS_OK && processed)
            *processed += count;
        return status;
    }
    for (uint32_t i = 0; i < count; ++i, in += 3, out += outStride) {
        const uint16_t r = in[0], g = in[1], b = in[2];
        if (RepeatsRemembered(r, g, b)) {
            std::memcpy(m_work, m_previous, sizeof m_work);
        } else if (cached) {
            const uint8_t* entry = m_cache->Lookup(varnel_narrow(r), varnel_narrow(g), varnel_narrow(b));
            const unsigned bytes = std::min<unsigned>(m_workChannels, m_cache->GetStride());
            std::memset(m_work, 0, sizeof m_work);
            for (unsigned j = 0; j < bytes; ++j)
                m_work[j] = uint16_t(entry[j] * 257u);
        } else {
            const int status = m_plan->Compute(r, g, b, m_work);
            if (status != VARNEL_STATUS_OK)
                return status;
        }
        std::memcpy(m_previous, m_work, sizeof m_work);
        StorePixel(out, outStride, m_work);
        Remember(r, g, b);
        progress.Report(i);
    }
    if (processed)
        *processed += count;
    return VARNEL_STATUS_OK;
}

template <typename Out>
int CVarnelIF::ComputePixels(const uint16_t* in, Out* out, uint64_t outStride, uint32_t first,
                             uint32_t count, Progress& progress)
{
    // From the first computed pixel on, a repeated pixel's copy equals its
    // computation: the pipeline is a function of the pixel alone. So pixels
    // are computed in batches of kBatch without looking for repeats of the
    // previous pixel; the colour memory serves the repeats and the colours
    // seen recently, and the others wait in the batch.
    constexpr unsigned kBatch = CVarnelPixelPlan::kBatch;
    if (first == count)
        return VARNEL_STATUS_OK;
    uint16_t batch[3 * kBatch];
    uint32_t waiting[kBatch];
    uint64_t keys[kBatch];
    unsigned pending = 0;
    uint16_t work[kBatch][kMaxChannels] = {};
    CVarnelColourMemory* memory = m_memory.get();
    bool lastPending = false;

    auto computeBatch = [&]() {
        // A short batch repeats its last pixel: the kernel computes whole
        // batches.
        for (unsigned p = pending; p < kBatch; ++p)
            std::memcpy(batch + 3 * p, batch + 3 * (pending - 1), 3 * sizeof(uint16_t));
        const int status = m_plan->ComputeBatch(batch, work);
        if (status != VARNEL_STATUS_OK)
            return status;
        for (unsigned p = 0; p < pending; ++p) {
            StorePixel(out + uint64_t(waiting[p] - first) * outStride, outStride, work[p]);
            if (memory)
                memory->Remember(keys[p], work[p]);
        }
        return VARNEL_STATUS_OK;
    };

    const bool noCallback = !progress.callback;
    // Entries are asked for this many pixels ahead of their look-up.
    constexpr uint32_t kAhead = 16;
    for (uint32_t i = first; i < count; ++i, in += 3) {
        // While the memory rests (or there is none) and no pixel waits,
        // whole batches are computed straight from the input.
        if (pending == 0 && count - i > kBatch && noCallback && (!memory || memory->RestFor(kBatch))) {
            const int status = m_plan->ComputeBatch(in, work);
            if (status != VARNEL_STATUS_OK)
                return status;
            for (unsigned p = 0; p < kBatch; ++p)
                StorePixel(out + uint64_t(i - first + p) * outStride, outStride, work[p]);
            i += kBatch - 1;
            in += 3 * (kBatch - 1);
            continue;
        }
        progress.Report(i);
        if (memory && memory->Consult()) {
            if (count - i > kAhead)
                memory->Prefetch(CVarnelColourMemory::Key(in[3 * kAhead], in[3 * kAhead + 1], in[3 * kAhead + 2]));
            const uint64_t key = CVarnelColourMemory::Key(in[0], in[1], in[2]);
            if (const uint16_t* known = memory->Find(key)) {
                StorePixel(out + uint64_t(i - first) * outStride, outStride, known);
                if (i + 1 == count)
                    std::memcpy(m_previous, known, m_workChannels * sizeof(uint16_t));
                continue;
            }
            keys[pending] = key;
        } else {
            keys[pending] = 0;
        }
        std::memcpy(batch + 3 * pending, in, 3 * sizeof(uint16_t));
        waiting[pending] = i;
        lastPending = i + 1 == count;
        if (++pending == kBatch) {
            const int status = computeBatch();
            if (status != VARNEL_STATUS_OK)
                return status;
            if (lastPending)
                std::memcpy(m_previous, work[kBatch - 1], sizeof m_previous);
            pending = 0;
        }
    }
    if (pending != 0) {
        const int status = computeBatch();
        if (status != VARNEL_STATUS_OK)
            return status;
        if (lastPending)
            std::memcpy(m_previous, work[pending - 1], sizeof m_previous);
    }
    Remember(in[-3], in[-2], in[-1]);
    return VARNEL_STATUS_OK;
}

int CVarnelIF::Convert16(const uint16_t* in, uint16_t* out, uint32_t total, uint32_t count,
                         uint32_t* processed, VarnelProgressProc callback, long long value)
{
    if (!Prepare())
        return VARNEL_STATUS_FAILED;
    if (count == 0)
        return VARNEL_STATUS_OK;
    // A pixel occupies as many values as the configuration has channels
    // (what a host sizes its buffer for); channels past the computed 16 are
    // written as no ink.
    return ConvertPixels<uint16_t>(in, out, m_channels, total, count, processed, callback, value);
}

int CVarnelIF::ConvertCached8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                              uint32_t* processed, VarnelProgressProc callback, long long value)
{
    // Byte for byte what widening, a cached Convert16 and narrowing give:
    // the look-up key varnel_narrow(v * 257) is v again, and
    // varnel_narrow(e * 257) is e.
    // Only pixels that repeat a pixel remembered from before this call may
    // differ from their table entry (it may have been computed in full);
    // once one entry was read, a repeat gives that entry again, so the rest
    // of the call reads the table alone.
    const unsigned channels = m_workChannels;
    const unsigned cachedBytes = std::min<unsigned>(channels, m_cache->GetStride());
    const uint64_t stride = m_channels;
    Progress progress{callback, value, total, processed ? *processed : 0u};
    uint32_t i = StoreRepeats(in, out, stride, count, progress);
    in += 3 * uint64_t(i);
    out += stride * i;
    if (i == count) {
        if (processed)
            *processed += count;
        return VARNEL_STATUS_OK;
    }
    const uint8_t* last = in + 3 * uint64_t(count - i - 1);
    if (cachedBytes == channels && stride == channels && m_cache->GetStride() == channels &&
        callback == nullptr) {
        // The common case, with the entry size known to the compiler and the
        // table's start in a local: stored through a uint8_t pointer, the
        // container's members would otherwise be read again for every pixel.
        const uint8_t* const table = m_cache->Lookup(0, 0, 0);
        auto copyEntries = [&](auto bytes) {
            const uint8_t* pixel = in;
            uint8_t* target = out;
            for (uint32_t n = count - i; n != 0; --n, pixel += 3, target += bytes)
                std::memcpy(target, table + size_t(CacheEntryOfColour(pixel[0], pixel[1], pixel[2])) * bytes,
                            bytes);
        };
        switch (channels) {
        case 4: copyEntries(std::integral_constant<size_t, 4>()); break;
        case 5: copyEntries(std::integral_constant<size_t, 5>()); break;
        case 6: copyEntries(std::integral_constant<size_t, 6>()); break;
        case 7: copyEntries(std::integral_constant<size_t, 7>()); break;
        case 8: copyEntries(std::integral_constant<size_t, 8>()); break;
        default: copyEntries(size_t(channels)); break;
        }
    } else {
        for (; i < count; ++i, in += 3, out += stride) {
            const uint8_t* entry = m_cache->Lookup(in[0], in[1], in[2]);
            std::memcpy(out, entry, cachedBytes);
            std::memset(out + cachedBytes, 0, channels - cachedBytes);
            if (stride > channels)
                StoreNoInk(out, channels, stride);
            progress.Report(i);
        }
    }
    // Remember the last pixel as the per-pixel path would have.
    const uint8_t* entry = m_cache->Lookup(last[0], last[1], last[2]);
    std::memset(m_previous, 0, sizeof m_previous);
    for (unsigned j = 0; j < cachedBytes; ++j)
        m_previous[j] = uint16_t(entry[j] * 257u);
    Remember(uint16_t(Wide(last[0])), uint16_t(Wide(last[1])), uint16_t(Wide(last[2])));
    if (processed)
        *processed += count;
    return VARNEL_STATUS_OK;
}

int CVarnelIF::Convert8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                        uint32_t* processed, VarnelProgressProc callback, long long value)
{
    // Without a configuration there is nothing to separate: the same answer
    // as Convert16.
    if (!Prepare())
        return VARNEL_STATUS_FAILED;
    const uint64_t channels = m_channels;

    // A chunk is the largest number of pixels whose 16-bit output stays
    // below the 8 MiB output area (2 * channels * k < 8 MiB); with fewer
    // than 3 channels the widened input (6 bytes a pixel) bounds it too. For
    // more than 16 channels only the computed 16 pass the scratch block, and
    // a chunk holds at least one pixel.
    uint64_t chunk = channels ? (kAreaBytes - 1) / (2 * channels) : UINT32_MAX;
    chunk = std::min<uint64_t>(chunk, kAreaBytes / 6);
    chunk = std::max<uint64_t>(chunk, 1);

    // The scratch block holds a chunk's widened input; pixels are narrowed
    // into the output as they are stored, so no 16-bit output area is
    // needed, and a short conversion reserves only what it widens. A block
    // that cannot be had is a memory failure, nothing written.
    if (m_workBuffer->Reserve(uint32_t(6 * std::min<uint64_t>(chunk, count))) != VARNEL_STATUS_OK)
        return VARNEL_STATUS_NO_MEMORY;
    if (count < 1)
        return VARNEL_STATUS_OK;

    uint16_t* area16In = reinterpret_cast<uint16_t*>(m_workBuffer->GetData());
    const bool cached = m_cache && m_cache->IsUsable();
    int result = VARNEL_STATUS_OK;
    uint32_t remaining = count;
    while (remaining > 0) {
        const uint32_t k = uint32_t(std::min<uint64_t>(chunk, remaining));
        if (cached) {
            result = ConvertCached8(in, out, total, k, processed, callback, value);
            in += 3u * uint64_t(k);
            out += channels * k;
        } else {
            for (uint32_t i = 0; i < 3u * k; ++i)
                area16In[i] = uint16_t(in[i] * 257u);
            in += 3u * uint64_t(k);
            // Narrowed as each pixel is stored: the same bytes as narrowing
            // the chunk's 16-bit output afterwards, without the second pass.
            result = ConvertPixels(area16In, out, channels, total, k, processed, callback, value);
            out += channels * k;
        }
        // The first failure ends the call with its own status: a later
        // chunk must not hide it.
        if (result != VARNEL_STATUS_OK)
            return result;
        remaining -= k;
    }
    return result;
}

template <typename ColourOf>
void CVarnelIF::ComputeSlice8(ColourOf colourOf, uint8_t* out, uint32_t count) const
{
    constexpr unsigned kBatch = CVarnelPixelPlan::kBatch;
    static_assert(kCacheColours % kSlicePixels == 0 && kSlicePixels % kBatch == 0,
                  "the slices of the table of all colours are whole batches");
    uint16_t batch[3 * kBatch];
    uint16_t work[kBatch][kMaxChannels] = {};
    for (uint32_t i = 0; i < count; i += kBatch) {
        for (unsigned p = 0; p < kBatch; ++p)
            colourOf(i + p, batch + 3 * p);
        // Cannot fail: only plans that compute every pixel come here.
        (void)m_plan->ComputeBatch(batch, work);
        for (unsigned p = 0; p < kBatch; ++p)
            StorePixel(out + uint64_t(i + p) * m_channels, m_channels, work[p]);
    }
}

unsigned CVarnelIF::WorkerThreads() const
{
    return m_workerThreadsAllowed ? std::min(std::thread::hardware_concurrency(), kMaxWorkerThreads) : 1u;
}

template <typename Slice>
void CVarnelIF::RunSlices(uint32_t count, unsigned threads, Slice slice, VarnelProgressProc callback,
                          long long value)
{
    constexpr uint32_t kSlice = kSlicePixels;
    const uint32_t slices = (count + kSlice - 1) / kSlice;
    std::atomic<uint32_t> next{0};
    std::atomic<uint32_t> done{0};
    auto convertSlices = [&](unsigned thread) {
        for (uint32_t s = next.fetch_add(1); s < slices; s = next.fetch_add(1)) {
            const uint32_t first = s * kSlice;
            const uint32_t pixels = std::min(kSlice, count - first);
            slice(thread, first, pixels);
            done.fetch_add(pixels);
        }
    };
    // A thread that cannot be started leaves its slices to the others.
    std::vector<std::thread> workers;
    try {
        workers.reserve(threads - 1);
        for (unsigned t = 1; t < threads; ++t)
            workers.emplace_back(convertSlices, t);
    } catch (...) {
    }
    // The calling thread converts slices too, and after each one reports
    // the percentages reached by all threads (the percentage of the pixel
    // a single thread would be at).
    Progress progress{callback, value, count, 0u};
    progress.Report(0);
    for (uint32_t s = next.fetch_add(1); s < slices; s = next.fetch_add(1)) {
        const uint32_t first = s * kSlice;
        const uint32_t pixels = std::min(kSlice, count - first);
        slice(0u, first, pixels);
        done.fetch_add(pixels);
        progress.ReportUpTo(std::min(done.load(), count - 1));
    }
    for (std::thread& worker : workers)
        worker.join();
    progress.ReportUpTo(count - 1);
}

int CVarnelIF::ConvertAllColours8(const SliceSink& sink, VarnelProgressProc callback, long long value)
{
    if (!Prepare())
        return VARNEL_STATUS_FAILED;
    if ((m_cache && m_cache->IsUsable()) || !m_plan->AlwaysComputes()) {
        const size_t bytes = size_t(m_channels) * kCacheColours;
        std::unique_ptr<uint8_t[]> colours(new (std::nothrow) uint8_t[3 * size_t(kCacheColours)]);
        std::unique_ptr<uint8_t[]> table(new (std::nothrow) uint8_t[bytes]);
        if (!colours || !table)
            return VARNEL_STATUS_NO_MEMORY;
        for (uint32_t k = 0; k < kCacheColours; ++k)
            CacheColourOfEntry(k, colours[3 * size_t(k)], colours[3 * size_t(k) + 1], colours[3 * size_t(k) + 2]);
        uint32_t processed = 0;
        const int status = Convert8(colours.get(), table.get(), kCacheColours, kCacheColours, &processed, callback, value);
        if (status == VARNEL_STATUS_OK)
            sink(0, table.get(), kCacheColours);
        return status;
    }
    // The colours are made where they are converted, and each thread's
    // slice goes to the sink from a block of its own: no table of all
    // colours (48 MiB) and no table of all entries are written and read.
    const unsigned threads = WorkerThreads();
    std::vector<std::unique_ptr<uint8_t[]>> blocks(threads);
    for (auto& block : blocks) {
        block.reset(new (std::nothrow) uint8_t[size_t(m_channels) * kSlicePixels]);
        if (!block)
            return VARNEL_STATUS_NO_MEMORY;
    }
    auto slice = [&](unsigned thread, uint32_t first, uint32_t pixels) {
        auto colourOf = [first](uint32_t i, uint16_t* rgb) {
            uint8_t r, g, b;
            CacheColourOfEntry(first + i, r, g, b);
            rgb[0] = uint16_t(r * 257u);
            rgb[1] = uint16_t(g * 257u);
            rgb[2] = uint16_t(b * 257u);
        };
        ComputeSlice8(colourOf, blocks[thread].get(), pixels);
        sink(first, blocks[thread].get(), pixels);
    };
    RunSlices(kCacheColours, threads, slice, callback, value);
    return VARNEL_STATUS_OK;
}

int CVarnelIF::ProcessRegion(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                             const VarnelPoint& origin, const VarnelRect& rectangle)
{
    if (!m_config || !source.data || !destination.data)
        return VARNEL_STATUS_FAILED;
    const uint64_t channels = m_config->GetChannels();
    uint16_t* values = new (std::nothrow) uint16_t[channels ? channels : 1];
    if (!values)
        return VARNEL_STATUS_NO_MEMORY;
    uint8_t* sourceColumn = source.data + origin.y * source.rowStride + origin.x * source.pixelStride;
    uint8_t* destinationColumn =
        destination.data + rectangle.top * destination.rowStride + rectangle.left * destination.pixelStride;
    int status = VARNEL_STATUS_OK;
    for (long column = 0; column < rectangle.right - rectangle.left; ++column) {
        uint8_t* s = sourceColumn;
        uint8_t* d = destinationColumn;
        for (long row = 0; row < rectangle.bottom - rectangle.top; ++row) {
            const uint16_t pixel[3] = {uint16_t(s[0] * 257u), uint16_t(s[source.componentStride] * 257u),
                                       uint16_t(s[2 * source.componentStride] * 257u)};
            uint32_t counter = 0;
            status = Convert16(pixel, values, 1, 1, &counter, nullptr, 0);
            if (status == VARNEL_STATUS_OK) {
                for (uint64_t j = 0; j < channels; ++j)
                    d[j * destination.componentStride] = varnel_narrow(values[j]);
            }
            s += source.rowStride;
            d += destination.rowStride;
        }
        sourceColumn += source.pixelStride;
        destinationColumn += destination.pixelStride;
    }
    delete[] values;
    return status;
}
