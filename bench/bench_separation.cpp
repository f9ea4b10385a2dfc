// Throughput of the separation through the public C++ class, beside the
// peer a user would otherwise pick: Little CMS 2 turning the same image
// into CMYK through an ICC profile, and beside the limit of the cached path:
// a plain read of one 8-byte entry per pixel from a 2^24-entry table. Every
// figure is in MPix/s (the counter "MPix/s"); the counters "x_peer" and
// "x_limit" give the ratio to the peer's or the limit's figure for the same
// input, measured earlier in the same run.
//
// Inputs:
//   photo      a real 2560x1600 photograph from the Debian package
//              mate-backgrounds (scripts/bench installs it; without it the
//              photo benchmarks are skipped and say so);
//   image      a photo-like 4-megapixel picture (smooth gradients, noise,
//              hard edges), generated from a fixed seed so runs compare;
//   allcolours every 8-bit colour once, in the order of the cache table;
//   shuffled   every 8-bit colour once, in random order: no two pixels alike;
//   random     4 megapixels of random colours: defeats the remembered-pixel
//              shortcut and walks the cache table without locality.
#include <varnel/VarnelDll.h>

#include <benchmark/benchmark.h>
#include <lcms2.h>
#if defined(VARNEL_BENCH_JPEG)
#include <jpeglib.h>
#endif
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kImageWidth = 2048;
constexpr std::uint32_t kImageHeight = 2048;
constexpr std::uint32_t kImagePixels = kImageWidth * kImageHeight;
constexpr std::uint32_t kAllColours = 1u << 24;
constexpr long kCacheFlag = 1;
constexpr const char* kPeerProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
constexpr const char* kPhotoFile = "/usr/share/backgrounds/mate/nature/TwoWings.jpg";
constexpr const char* kPhotoMissing =
    "photo missing: install the Debian package mate-backgrounds (scripts/bench does)";

// ---------------------------------------------------------------------------
// Configurations measured. One row per configuration; a new configuration is
// one more row. The "all stages" row drives every refinement stage (light
// masks, second colours, a variable, grey substitution with an expression,
// colour addition) on top of the 8-ink preset.

constexpr const char* kAllStagesText =
    "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;#_A=50;"
    "GRAY_SUBST=_A,10,10,10,Y,_A*2;COLOR_ADD02=40,10,20,Y;";

struct Configuration {
    const char* label;
    const char* preset;
    const char* extraText;  // null: the preset alone
    bool withCache;         // also measure cache build, load and look-ups
};

const Configuration kConfigurations[] = {
    {"CMYK", "HUE_PARAM_CMYK", nullptr, true},
    {"CMYKRODG", "HUE_PARAM_CMYKRODG", nullptr, true},
    {"CMYKRODG_all_stages", "HUE_PARAM_CMYKRODG", kAllStagesText, false},
};

// ---------------------------------------------------------------------------
// Deterministic inputs.

// splitmix64: a fixed, portable sequence (the standard library's
// distributions differ between implementations).
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t m_state;
};

std::uint8_t ClampToByte(int v)
{
    return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Sky-like vertical gradient, a diagonal hue sweep, a few flat-coloured
// rectangles with hard edges and a grey wedge, all with sensor-like noise of
// a few levels: repeats of the previous pixel are as rare as in a photo.
std::vector<std::uint8_t> MakePhotoLikeImage()
{
    std::vector<std::uint8_t> rgb(std::size_t(kImagePixels) * 3);
    SeededRandom random(20240601);
    struct Patch {
        std::uint32_t x0, y0, x1, y1;
        int r, g, b;
    };
    const Patch patches[] = {
        {200, 1200, 700, 1800, 200, 40, 30},   {900, 1300, 1300, 1900, 30, 160, 60},
        {1400, 200, 1900, 600, 250, 210, 20},  {1500, 1100, 2000, 1500, 90, 30, 170},
        {100, 100, 500, 450, 240, 120, 180},
    };
    for (std::uint32_t y = 0; y < kImageHeight; ++y) {
        for (std::uint32_t x = 0; x < kImageWidth; ++x) {
            int r, g, b;
            if (x < 256 && y > 1024) {
                // Grey wedge: neutral steps, where grey handling matters.
                r = g = b = int((y - 1024) / 4);
            } else {
                const int t = int(y * 255 / kImageHeight);
                const int s = int(x * 255 / kImageWidth);
                r = 60 + (s * 3) / 4 - t / 4;
                g = 110 + t / 2 - s / 5;
                b = 230 - t / 2 + ((s + t) % 256) / 8;
                for (const Patch& p : patches) {
                    if (x >= p.x0 && x < p.x1 && y >= p.y0 && y < p.y1) {
                        // Shaded patch: a soft gradient across the object.
                        const int shade = int((x - p.x0) * 40 / (p.x1 - p.x0));
                        r = p.r - shade;
                        g = p.g - shade;
                        b = p.b - shade;
                    }
                }
            }
            const std::uint64_t n = random.Next();
            std::uint8_t* px = &rgb[(std::size_t(y) * kImageWidth + x) * 3];
            px[0] = ClampToByte(r + int(n & 7) - 3);
            px[1] = ClampToByte(g + int((n >> 8) & 7) - 3);
            px[2] = ClampToByte(b + int((n >> 16) & 7) - 3);
        }
    }
    return rgb;
}

// Every 8-bit colour once, in the entry order of the cache table.
std::vector<std::uint8_t> MakeAllColours()
{
    std::vector<std::uint8_t> rgb(std::size_t(kAllColours) * 3);
    for (std::uint32_t k = 0; k < kAllColours; ++k) {
        rgb[std::size_t(k) * 3 + 0] = std::uint8_t(k & 255);
        rgb[std::size_t(k) * 3 + 1] = std::uint8_t((k >> 12) & 255);
        rgb[std::size_t(k) * 3 + 2] = std::uint8_t(((k >> 20) << 4) | ((k >> 8) & 15));
    }
    return rgb;
}

std::vector<std::uint8_t> MakeRandomColours()
{
    std::vector<std::uint8_t> rgb(std::size_t(kImagePixels) * 3);
    SeededRandom random(7);
    for (std::size_t i = 0; i < kImagePixels; ++i) {
        const std::uint64_t n = random.Next();
        rgb[i * 3 + 0] = std::uint8_t(n);
        rgb[i * 3 + 1] = std::uint8_t(n >> 8);
        rgb[i * 3 + 2] = std::uint8_t(n >> 16);
    }
    return rgb;
}

// Every 8-bit colour once, in an order shuffled from a fixed seed.
std::vector<std::uint8_t> MakeShuffledColours()
{
    std::vector<std::uint32_t> order(kAllColours);
    for (std::uint32_t k = 0; k < kAllColours; ++k)
        order[k] = k;
    SeededRandom random(16777216);
    for (std::uint32_t k = kAllColours - 1; k > 0; --k)
        std::swap(order[k], order[random.Next() % (k + 1)]);
    std::vector<std::uint8_t> rgb(std::size_t(kAllColours) * 3);
    for (std::uint32_t k = 0; k < kAllColours; ++k) {
        rgb[std::size_t(k) * 3 + 0] = std::uint8_t(order[k]);
        rgb[std::size_t(k) * 3 + 1] = std::uint8_t(order[k] >> 8);
        rgb[std::size_t(k) * 3 + 2] = std::uint8_t(order[k] >> 16);
    }
    return rgb;
}

// The real photograph as 8-bit RGB, or nothing when it is not installed.
std::vector<std::uint8_t> LoadPhoto()
{
    std::vector<std::uint8_t> rgb;
#if defined(VARNEL_BENCH_JPEG)
    FILE* file = std::fopen(kPhotoFile, "rb");
    if (file == nullptr)
        return rgb;
    jpeg_decompress_struct decoder;
    jpeg_error_mgr errors;
    decoder.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decoder);
    jpeg_stdio_src(&decoder, file);
    jpeg_read_header(&decoder, TRUE);
    decoder.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder);
    const std::size_t row = std::size_t(decoder.output_width) * 3;
    rgb.resize(row * decoder.output_height);
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW line = rgb.data() + row * decoder.output_scanline;
        jpeg_read_scanlines(&decoder, &line, 1);
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    std::fclose(file);
#endif
    return rgb;
}

enum class Input { Photo, Image, AllColours, Shuffled, Random };

const char* InputLabel(Input input)
{
    switch (input) {
    case Input::Photo: return "photo";
    case Input::Image: return "image";
    case Input::AllColours: return "allcolours";
    case Input::Shuffled: return "shuffled";
    case Input::Random: return "random";
    }
    return "?";
}

// Built on first use: a filtered run pays only for what it measures.
const std::vector<std::uint8_t>& Pixels8(Input input)
{
    switch (input) {
    case Input::Photo: {
        static const std::vector<std::uint8_t> photo = LoadPhoto();
        return photo;
    }
    case Input::Image: {
        static const std::vector<std::uint8_t> image = MakePhotoLikeImage();
        return image;
    }
    case Input::Shuffled: {
        static const std::vector<std::uint8_t> shuffled = MakeShuffledColours();
        return shuffled;
    }
    case Input::AllColours: {
        static const std::vector<std::uint8_t> all = MakeAllColours();
        return all;
    }
    case Input::Random:
    default: {
        static const std::vector<std::uint8_t> random = MakeRandomColours();
        return random;
    }
    }
}

// An 8-bit input widened as v * 257, so that the 16-bit figures convert the
// same colours as the 8-bit ones.
const std::vector<std::uint16_t>& Pixels16(Input input)
{
    static std::map<Input, std::vector<std::uint16_t>> wide;
    auto found = wide.find(input);
    if (found == wide.end()) {
        const std::vector<std::uint8_t>& narrow = Pixels8(input);
        std::vector<std::uint16_t> values(narrow.size());
        for (std::size_t i = 0; i < narrow.size(); ++i)
            values[i] = std::uint16_t(narrow[i] * 257u);
        found = wide.emplace(input, std::move(values)).first;
    }
    return found->second;
}

// Skips a benchmark whose input is not there (the photo when its package
// is missing).
bool InputOrSkip(benchmark::State& state, std::size_t values)
{
    if (values != 0)
        return true;
    state.SkipWithError(kPhotoMissing);
    return false;
}

std::uint32_t PixelCount(const std::vector<std::uint8_t>& rgb)
{
    return std::uint32_t(rgb.size() / 3);
}

void ReportMegapixels(benchmark::State& state, std::uint32_t pixelsPerIteration)
{
    state.SetItemsProcessed(std::int64_t(state.iterations()) * pixelsPerIteration);
    state.counters["MPix/s"] = benchmark::Counter(pixelsPerIteration / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------------------
// Instances and cache folders.

// A fresh folder under the system's temporary directory, removed with its
// cache files when the object goes away. The text ends with '/', as the
// library joins folder and file name without a separator.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern + "/";
    }
    ~TemporaryFolder()
    {
        if (!m_path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    char* Text() { return m_path.data(); }

private:
    std::string m_path;
};

// Loads a configuration into an instance; with a folder, the cache is asked
// for. Returns the library's status.
long Load(CVarnelDll& instance, const Configuration& config, TemporaryFolder* cacheFolder)
{
    if (cacheFolder != nullptr) {
        instance.SetTemporaryFolder(cacheFolder->Text());
        instance.SetFlags(kCacheFlag);
    } else {
        instance.SetFlags(0);
    }
    std::string preset = config.preset;
    std::string extra = config.extraText != nullptr ? config.extraText : "";
    return instance.SetPreferences(preset.data(), config.extraText != nullptr ? extra.data() : nullptr,
                                   nullptr, 0, 0, nullptr, 0);
}

// Checks a load and reports a failure as a skipped benchmark rather than
// measuring an empty instance (which converts nothing and would look fast).
bool LoadOrSkip(benchmark::State& state, CVarnelDll& instance, const Configuration& config,
                TemporaryFolder* cacheFolder)
{
    if (cacheFolder != nullptr && !cacheFolder->Valid()) {
        state.SkipWithError("cannot create a temporary folder");
        return false;
    }
    const long status = Load(instance, config, cacheFolder);
    if (status != 0) {
        state.SkipWithError(("loading failed with status " + std::to_string(status)).c_str());
        return false;
    }
    if (instance.GetChannels() <= 0) {
        state.SkipWithError("loading gave no channels");
        return false;
    }
    return true;
}

// One loaded instance with a cache per configuration, built on first use and
// shared by the look-up benchmarks: the build is measured on its own.
struct CachedInstance {
    TemporaryFolder folder;
    CVarnelDll instance;
    long status = -1;
};

CachedInstance& CachedInstanceFor(const Configuration& config)
{
    static std::map<const Configuration*, std::unique_ptr<CachedInstance>> instances;
    std::unique_ptr<CachedInstance>& slot = instances[&config];
    if (!slot) {
        slot = std::make_unique<CachedInstance>();
        if (slot->folder.Valid())
            slot->status = Load(slot->instance, config, &slot->folder);
    }
    return *slot;
}

// ---------------------------------------------------------------------------
// Benchmarks.

void BM_Convert8(benchmark::State& state, const Configuration* config, Input input)
{
    CVarnelDll instance;
    if (!LoadOrSkip(state, instance, *config, nullptr))
        return;
    const std::vector<std::uint8_t>& in = Pixels8(input);
    if (!InputOrSkip(state, in.size()))
        return;
    const std::uint32_t count = PixelCount(in);
    std::vector<std::uint8_t> out(std::size_t(count) * instance.GetChannels());
    for (auto _ : state) {
        const long status =
            instance.RGB8ToMultichannel(const_cast<std::uint8_t*>(in.data()), out.data(), count);
        if (status != 0) {
            state.SkipWithError(("conversion failed with status " + std::to_string(status)).c_str());
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportMegapixels(state, count);
}

void BM_Convert16(benchmark::State& state, const Configuration* config, Input input)
{
    CVarnelDll instance;
    if (!LoadOrSkip(state, instance, *config, nullptr))
        return;
    const std::vector<std::uint16_t>& in = Pixels16(input);
    if (!InputOrSkip(state, in.size()))
        return;
    const std::uint32_t count = std::uint32_t(in.size() / 3);
    std::vector<std::uint16_t> out(std::size_t(count) * instance.GetChannels());
    for (auto _ : state) {
        const long status = instance.RGB16ToMultichannel(const_cast<std::uint16_t*>(in.data()),
                                                         out.data(), count);
        if (status != 0) {
            state.SkipWithError(("conversion failed with status " + std::to_string(status)).c_str());
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportMegapixels(state, count);
}

void BM_Convert8Cached(benchmark::State& state, const Configuration* config, Input input)
{
    CachedInstance& cached = CachedInstanceFor(*config);
    if (!cached.folder.Valid()) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    if (cached.status != 0) {
        state.SkipWithError(("loading with cache failed with status " + std::to_string(cached.status)).c_str());
        return;
    }
    if (cached.instance.GetChannels() <= 0) {
        state.SkipWithError("loading with cache gave no channels");
        return;
    }
    const std::vector<std::uint8_t>& in = Pixels8(input);
    if (!InputOrSkip(state, in.size()))
        return;
    const std::uint32_t count = PixelCount(in);
    std::vector<std::uint8_t> out(std::size_t(count) * cached.instance.GetChannels());
    for (auto _ : state) {
        const long status =
            cached.instance.RGB8ToMultichannel(const_cast<std::uint8_t*>(in.data()), out.data(), count);
        if (status != 0) {
            state.SkipWithError(("conversion failed with status " + std::to_string(status)).c_str());
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportMegapixels(state, count);
}

// The CPU time of every thread of the process so far, in milliseconds.
double ProcessCpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// SetPreferences into an empty folder: converts all 16,777,216 colours and
// writes the table, then loads it. The folder is made and removed outside the
// timed region. "cpu_ms" is the CPU time of all threads per build: on a
// machine whose other jobs leave the build's threads no free core, the wall
// time says little, and the CPU time over the thread count is what the wall
// time would be with a core for each.
void BM_CacheBuild(benchmark::State& state, const Configuration* config)
{
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<TemporaryFolder>();
        CVarnelDll instance;
        const double before = ProcessCpuMilliseconds();
        state.ResumeTiming();
        if (!LoadOrSkip(state, instance, *config, folder.get()))
            break;
        state.PauseTiming();
        cpu += ProcessCpuMilliseconds() - before;
        folder.reset();
        state.ResumeTiming();
    }
    ReportMegapixels(state, kAllColours);
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

// SetPreferences that finds the cache file: reads the table instead of
// converting. The file is built once before timing starts.
void BM_CacheLoad(benchmark::State& state, const Configuration* config)
{
    TemporaryFolder folder;
    {
        CVarnelDll builder;
        if (!LoadOrSkip(state, builder, *config, &folder))
            return;
    }
    for (auto _ : state) {
        CVarnelDll instance;
        if (!LoadOrSkip(state, instance, *config, &folder))
            break;
    }
}

// The peer: sRGB to the CMYK profile Debian's ghostscript ships, default
// intent and flags, 8 bits in and out (TYPE_RGB_8 to TYPE_CMYK_8) or 16
// (TYPE_RGB_16 to TYPE_CMYK_16).
void BM_PeerLittleCms(benchmark::State& state, Input input, int bits)
{
    if (!std::filesystem::exists(kPeerProfile)) {
        state.SkipWithError("peer skipped: default_cmyk.icc is not installed");
        return;
    }
    const void* in = nullptr;
    std::uint32_t count = 0;
    if (bits == 8) {
        in = Pixels8(input).data();
        count = PixelCount(Pixels8(input));
    } else {
        in = Pixels16(input).data();
        count = std::uint32_t(Pixels16(input).size() / 3);
    }
    if (!InputOrSkip(state, count))
        return;
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE cmyk = cmsOpenProfileFromFile(kPeerProfile, "r");
    cmsHTRANSFORM transform = nullptr;
    if (srgb != nullptr && cmyk != nullptr)
        transform = bits == 8
                        ? cmsCreateTransform(srgb, TYPE_RGB_8, cmyk, TYPE_CMYK_8, INTENT_PERCEPTUAL, 0)
                        : cmsCreateTransform(srgb, TYPE_RGB_16, cmyk, TYPE_CMYK_16, INTENT_PERCEPTUAL, 0);
    if (transform == nullptr) {
        state.SkipWithError("peer skipped: cannot create the transform");
    } else {
        std::vector<std::uint8_t> out(std::size_t(count) * 4 * (bits / 8));
        for (auto _ : state) {
            cmsDoTransform(transform, in, out.data(), count);
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
        ReportMegapixels(state, count);
        cmsDeleteTransform(transform);
    }
    if (cmyk != nullptr)
        cmsCloseProfile(cmyk);
    if (srgb != nullptr)
        cmsCloseProfile(srgb);
}

// The limit of the cached path: one 8-byte entry read per pixel from a
// 2^24-entry table on 2 MiB-aligned memory offered for huge pages, indexed
// in the cache's colour order, copied to an 8-byte output pixel.
void BM_TableRead(benchmark::State& state, Input input)
{
    const std::vector<std::uint8_t>& in = Pixels8(input);
    if (!InputOrSkip(state, in.size()))
        return;
    constexpr std::size_t kEntry = 8;
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    const std::size_t bytes = std::size_t(kAllColours) * kEntry;
    void* block = nullptr;
    if (posix_memalign(&block, kHugePage, bytes) != 0) {
        state.SkipWithError("cannot allocate the table");
        return;
    }
    madvise(block, bytes, MADV_HUGEPAGE);
    auto* table = static_cast<std::uint8_t*>(block);
    for (std::size_t i = 0; i < bytes; ++i)
        table[i] = std::uint8_t(i * 131u);
    const std::uint32_t count = PixelCount(in);
    std::vector<std::uint8_t> out(std::size_t(count) * kEntry);
    for (auto _ : state) {
        const std::uint8_t* pixel = in.data();
        std::uint8_t* target = out.data();
        for (std::uint32_t i = 0; i < count; ++i, pixel += 3, target += kEntry) {
            const std::uint32_t r = pixel[0], g = pixel[1], b = pixel[2];
            const std::uint32_t k = ((b >> 4) << 20) + (g << 12) + ((b & 15) << 8) + r;
            std::memcpy(target, table + std::size_t(k) * kEntry, kEntry);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportMegapixels(state, count);
    std::free(block);
}

// ---------------------------------------------------------------------------
// Ratios. Each benchmark of the library names the baseline it is compared
// with; the reporter divides its MPix/s by the baseline's from the same run
// (registered, so run, before it), aggregate by aggregate.

struct Baseline {
    std::string name;     // the baseline benchmark
    std::string counter;  // "x_peer" or "x_limit"
};

std::map<std::string, Baseline>& Baselines()
{
    static std::map<std::string, Baseline> baselines;
    return baselines;
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override
    {
        std::vector<Run> runs = reports;
        for (Run& run : runs) {
            const std::string name = run.run_name.function_name;
            const auto rate = run.counters.find("MPix/s");
            if (rate == run.counters.end() || run.aggregate_name == "stddev" || run.aggregate_name == "cv")
                continue;
            m_rates[{name, run.aggregate_name}] = rate->second.value;
            const auto baseline = Baselines().find(name);
            if (baseline == Baselines().end())
                continue;
            const auto reference = m_rates.find({baseline->second.name, run.aggregate_name});
            if (reference != m_rates.end() && reference->second > 0)
                run.counters[baseline->second.counter] = benchmark::Counter(rate->second.value / reference->second);
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::map<std::pair<std::string, std::string>, double> m_rates;
};

// The CPU's name and whether it runs AVX-512, for the run's header.
void DescribeMachine()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown", flags;
    while (std::getline(cpuinfo, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon + 2 > line.size())
            continue;
        if (line.rfind("model name", 0) == 0 && model == "unknown")
            model = line.substr(colon + 2);
        if (line.rfind("flags", 0) == 0 && flags.empty())
            flags = " " + line.substr(colon + 2) + " ";
    }
    benchmark::AddCustomContext("cpu_model", model);
    benchmark::AddCustomContext("avx512f", flags.find(" avx512f ") != std::string::npos ? "yes" : "no");
}

// ---------------------------------------------------------------------------
// Registration. Iteration counts stay modest: the whole run must fit in a few
// minutes on two cores, and the all-colours and cache cases move hundreds of
// megabytes per iteration.

std::string PeerName(Input input, int bits)
{
    return std::string("Peer/lcms2_sRGB_to_default_cmyk_") + std::to_string(bits) + "bit/" + InputLabel(input);
}

std::string LimitName(Input input)
{
    return std::string("Limit/table_read_8byte/") + InputLabel(input);
}

void RegisterAll()
{
    const Input peerInputs[] = {Input::Photo, Input::Image, Input::AllColours, Input::Shuffled};
    for (Input input : peerInputs) {
        benchmark::RegisterBenchmark(PeerName(input, 8).c_str(), BM_PeerLittleCms, input, 8)
            ->Unit(benchmark::kMillisecond);
    }
    for (Input input : {Input::Photo, Input::Image}) {
        benchmark::RegisterBenchmark(PeerName(input, 16).c_str(), BM_PeerLittleCms, input, 16)
            ->Unit(benchmark::kMillisecond);
    }
    const Input cachedInputs[] = {Input::Photo, Input::Image, Input::Random};
    for (Input input : cachedInputs)
        benchmark::RegisterBenchmark(LimitName(input).c_str(), BM_TableRead, input)->Unit(benchmark::kMillisecond);

    for (const Configuration& config : kConfigurations) {
        const std::string label = config.label;
        for (Input input : peerInputs) {
            const std::string name = "Convert8/nocache/" + label + "/" + InputLabel(input);
            benchmark::RegisterBenchmark(name.c_str(), BM_Convert8, &config, input)->Unit(benchmark::kMillisecond);
            Baselines()[name] = Baseline{PeerName(input, 8), "x_peer"};
        }
        for (Input input : {Input::Photo, Input::Image}) {
            const std::string name = "Convert16/nocache/" + label + "/" + InputLabel(input);
            benchmark::RegisterBenchmark(name.c_str(), BM_Convert16, &config, input)->Unit(benchmark::kMillisecond);
            Baselines()[name] = Baseline{PeerName(input, 16), "x_peer"};
        }
        if (!config.withCache)
            continue;
        for (Input input : cachedInputs) {
            const std::string name = "Convert8/cache/" + label + "/" + InputLabel(input);
            benchmark::RegisterBenchmark(name.c_str(), BM_Convert8Cached, &config, input)
                ->Unit(benchmark::kMillisecond);
            Baselines()[name] = Baseline{LimitName(input), "x_limit"};
        }
        benchmark::RegisterBenchmark(("CacheBuild/" + label).c_str(), BM_CacheBuild, &config)
            ->Iterations(2)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("CacheLoad/" + label).c_str(), BM_CacheLoad, &config)
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    RegisterAll();
    DescribeMachine();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
