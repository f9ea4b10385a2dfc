// The separation engine: turns RGB pixels into ink-channel values according
// to one configuration.
//
// Road of a pixel: repeated pixel -> copy of the previous output; cache
// attached -> table look-up; otherwise lift, black, normalisation, hue and
// lightness, hue masks, channel contact and the refinement stages.
//
// Everything the pixel path needs from the configuration (active masks in
// number order with their segment coefficients, contact items, the items of
// the refinement stages) is resolved once, at the first conversion; the
// per-pixel path then allocates nothing and looks nothing up by name.
//
// Threading: an engine holds per-conversion state and serves one thread at
// a time. Engines may share one plan (UsePlan): it is only read.
#pragma once

#include "engine/VarnelFixedPoint.h"
#include "varnel/varnel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CVarnel;
class CVarnelCacheContainer;
class CVarnelColourMemory;
class CVarnelDummyBuffer;
class CVarnelPixelPlan;
class KLine;

// An image for ProcessRegion: strides in bytes.
struct VarnelImageDesc {
    uint8_t* data = nullptr;
    long rowStride = 0;
    long pixelStride = 0;
    long componentStride = 0;
};
struct VarnelPoint {
    long x = 0;
    long y = 0;
};
struct VarnelRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

class CVarnelIF {
public:
    CVarnelIF();
    CVarnelIF(const CVarnelIF&) = delete;
    CVarnelIF& operator=(const CVarnelIF&) = delete;
    virtual ~CVarnelIF();
    virtual int Process(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                        const VarnelPoint& origin, const VarnelRect& rectangle);
    // Forgets the resolved configuration data, the work arrays and the
    // remembered pixel; they are set up again at the next conversion.
    virtual void Reinit();
    // Separates a rectangle of an 8-bit image, pixel by pixel. Returns the
    // status of the last pixel (VARNEL_STATUS_OK for an empty rectangle),
    // VARNEL_STATUS_FAILED without configuration, VARNEL_STATUS_NO_MEMORY
    // when memory is short.
    virtual int ProcessRegion(const VarnelImageDesc& source, const VarnelImageDesc& destination,
                              const VarnelPoint& origin, const VarnelRect& rectangle);
    virtual int Reserved();

    void SetConfig(CVarnel* config);
    // Serves conversions from a plan built elsewhere, shared with other
    // engines, instead of one built from the configuration at the first
    // conversion.
    void UsePlan(std::shared_ptr<const CVarnelPixelPlan> plan);
    // Forgets the remembered pixel, so that the next conversion depends on
    // nothing converted before it.
    void ForgetPixel() { m_rememberedValid = 0; }
    CVarnel* GetConfig() const { return m_config; }
    void SetCacheContainer(CVarnelCacheContainer* cache) { m_cache = cache; }
    CVarnelCacheContainer* GetCacheContainer() const { return m_cache; }

    // count pixels of three 16-bit values in; GetChannels() 16-bit values per
    // pixel out. total and *processed only drive progress reports;
    // *processed grows by count. Returns VARNEL_STATUS_OK, or
    // VARNEL_STATUS_FAILED without configuration or when a stage container
    // is missing.
    int Convert16(const uint16_t* in, uint16_t* out, uint32_t total, uint32_t count,
                  uint32_t* processed, VarnelProgressProc callback, long long value);
    // The same for 8-bit input and output, in chunks through the scratch
    // block.
    int Convert8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                 uint32_t* processed, VarnelProgressProc callback, long long value);

    // Every 8-bit colour converted, in cache entry order, slice by slice:
    // the bytes Convert8 gives for the table of all colours (one entry of
    // the configuration's channel count per colour), computed by worker
    // threads: one per processor (up to kMaxWorkerThreads), the calling
    // thread among them, each with its own scratch state on a plan they
    // only read, each making the colours of its slice from their entries
    // and handing the slice's entries to sink (from several threads at
    // once). Progress is reported on the calling thread, each whole
    // percentage once. A configuration that cannot compute every pixel
    // converts the table of all colours with Convert8, hands it over whole
    // when that succeeds, and returns its status; VARNEL_STATUS_NO_MEMORY
    // when memory is short.
    typedef std::function<void(uint32_t firstEntry, const uint8_t* entries, uint32_t count)> SliceSink;
    int ConvertAllColours8(const SliceSink& sink, VarnelProgressProc callback, long long value);
    // Whether ConvertAllColours8 may start threads (by default it may).
    void AllowWorkerThreads(bool allowed) { m_workerThreadsAllowed = allowed; }

    static constexpr unsigned kMaxWorkerThreads = 16;

private:
    struct Progress;
    // Pixels a thread takes at a time.
    static constexpr uint32_t kSlicePixels = 65536;

    bool Prepare();
    template <typename Out>
    int ConvertPixels(const uint16_t* in, Out* out, uint64_t outStride, uint32_t total,
                      uint32_t count, uint32_t* processed, VarnelProgressProc callback,
                      long long value);
    int ConvertCached8(const uint8_t* in, uint8_t* out, uint32_t total, uint32_t count,
                       uint32_t* processed, VarnelProgressProc callback, long long value);
    template <typename Out>
    int ComputePixels(const uint16_t* in, Out* out, uint64_t outStride, uint32_t first, uint32_t count,
                      Progress& progress);
    template <typename Out>
    void StorePixel(Out* out, uint64_t outStride, const uint16_t* work) const;
    // The remembered pixel: a pixel equal to the one before it (the last
    // one of the previous call included) takes that one's result,
    // m_previous, whatever path gave it. Components compare at 16 bits.
    bool RepeatsRemembered(uint32_t r, uint32_t g, uint32_t b) const
    {
        return m_rememberedValid && r == m_remembered[0] && g == m_remembered[1] && b == m_remembered[2];
    }
    // Records the pixel whose result m_previous holds.
    void Remember(uint16_t r, uint16_t g, uint16_t b)
    {
        m_remembered[0] = r;
        m_remembered[1] = g;
        m_remembered[2] = b;
        m_rememberedValid = 65535u;
    }
    // Stores the result of the pixels at the start of in that repeat the
    // remembered pixel; returns how many there were.
    template <typename In, typename Out>
    uint32_t StoreRepeats(const In* in, Out* out, uint64_t outStride, uint32_t count, Progress& progress);
    // Computes count 8-bit pixels (whole batches), pixel i read by
    // colourOf(i, rgb); reads only the plan, so threads may run it on
    // separate slices at once.
    template <typename ColourOf>
    void ComputeSlice8(ColourOf colourOf, uint8_t* out, uint32_t count) const;
    // Runs slice(thread, first, pixels) over count pixels on up to
    // `threads` threads (numbered from 0, the calling thread among them),
    // and reports the progress.
    template <typename Slice>
    void RunSlices(uint32_t count, unsigned threads, Slice slice, VarnelProgressProc callback, long long value);
    unsigned WorkerThreads() const;

    std::unique_ptr<KLine> m_line;
    CVarnel* m_config = nullptr;
    std::unique_ptr<CVarnelDummyBuffer> m_workBuffer;
    CVarnelCacheContainer* m_cache = nullptr;
    bool m_workerThreadsAllowed = true;

    // Set up at the first conversion.
    std::shared_ptr<const CVarnelPixelPlan> m_plan;
    // Null when memory was short, or when the plan cannot always compute.
    std::unique_ptr<CVarnelColourMemory> m_memory;
    unsigned m_workChannels = 0;   // min(channels, 16)
    uint64_t m_channels = 0;       // the configuration's channel count
    uint16_t m_work[kMaxChannels] = {};
    uint16_t m_previous[kMaxChannels] = {};
    uint16_t m_remembered[3] = {};
    uint16_t m_rememberedValid = 0;
};
