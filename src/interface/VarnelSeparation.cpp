#include "interface/VarnelSeparation.h"

#include "base/KFile.h"
#include "base/KPath.h"
#include "base/KPlatform.h"
#include "base/KString.h"
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelEnginePool.h"
#include "engine/VarnelIF.h"
#include "engine/VarnelPixelPlan.h"
#include "interface/VarnelFaultyStatement.h"
#include "interface/VarnelLoader.h"
#include "interface/VarnelMergedText.h"
#include "interface/VarnelPresets.h"
#include "varnel/varnel.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Pixels converted between two progress reports.
constexpr size_t kChunk = 65536;

// The load's progress callback in the shape the engine calls.
struct LoadProgress {
    varnel_progress_fn callback;
    void* user;

    static int Report(double percent, long long value)
    {
        const auto* progress = reinterpret_cast<const LoadProgress*>(intptr_t(value));
        progress->callback(percent, progress->user);
        return 0;
    }
};

// A failed load: its status and what to tell the host.
struct Failure {
    int status;
    std::string message;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

using ParseFault = CVarnelSeparation::ParseFault;

// What to say of a text that does not parse: with fault, the statement to
// blame when one is, else the text as a whole.
Failure ParseFailure(const std::vector<std::string>& earlier, const std::string& failing, const std::string& what,
                     ParseFault* fault)
{
    if (fault) {
        fault->text = int(earlier.size());
        fault->blamed = CVarnelFaultyStatement::Find(earlier, failing, fault->statement);
        if (fault->blamed)
            return {VARNEL_ERROR_CONFIG, what + ", line " + std::to_string(fault->statement.line) +
                                             ": the statement " + Quoted(fault->statement.statement) +
                                             " cannot be read"};
    }
    return {VARNEL_ERROR_CONFIG, what + " cannot be read"};
}

// Applies the configuration's own text: a text in memory, a preset or a
// file. Fills presetName for a preset and what (how messages name the text).
Failure ApplySource(CVarnel& configuration, const CVarnelSeparation::Source& source, std::string& presetName,
                    std::string& what, ParseFault* fault)
{
    if (source.text) {
        what = "the configuration text";
        const std::string text(source.text, source.textLength);
        if (configuration.ParseText(text.c_str(), long(text.size())) != 0)
            return ParseFailure({}, text, what, fault);
        return {VARNEL_OK, {}};
    }
    // A name that begins with the bytes FF FE is read as UTF-16 up to a
    // 16-bit zero, which the caller's 8-bit text need not contain: two more
    // zero bytes keep that search inside a copy of the name.
    std::string terminated(source.nameOrPath);
    terminated.append(2, '\0');
    const KPath path(terminated.c_str());
    std::string extension = path.GetExtension().StdString();
    if (extension.empty()) {
        presetName = path.GetBaseName().StdString();
        what = "the preset " + presetName;
        long size = 0;
        if (!VarnelGetPresetText(presetName.c_str(), &size, nullptr))
            return {VARNEL_ERROR_NOT_FOUND, "no preset is named " + Quoted(presetName)};
        std::vector<char> text(size_t(size) + 1, '\0');
        VarnelGetPresetText(presetName.c_str(), &size, text.data());
        if (configuration.ParseText(text.data(), size) != 0)
            return ParseFailure({}, text.data(), what, fault);
        return {VARNEL_OK, {}};
    }
    what = Quoted(source.nameOrPath);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) { return char(std::toupper(c)); });
    if (extension != "CFG" && extension != "XML")
        return {VARNEL_ERROR_FILE, what + " is no configuration file (.cfg)"};
    const int result = configuration.LoadFile(KFile(KPath::FromNative(source.nameOrPath)));
    if (result == VARNEL_STATUS_NO_MEMORY)
        return {VARNEL_ERROR_MEMORY, "memory ran short while reading " + what};
    if (result != 0 && configuration.GetSourceTexts().empty())
        return {VARNEL_ERROR_FILE, what + " cannot be read"};
    if (result != 0)
        return ParseFailure({}, configuration.GetSourceTexts().front(), what, fault);
    return {VARNEL_OK, {}};
}

bool Overlap(const void* a, size_t aBytes, const void* b, size_t bBytes)
{
    const auto aStart = reinterpret_cast<uintptr_t>(a);
    const auto bStart = reinterpret_cast<uintptr_t>(b);
    return aStart < bStart + bBytes && bStart < aStart + aBytes;
}

// Bytes from a buffer's first row to the end of its last; false on
// overflow, in size_t or in the address space.
bool Extent(const void* data, size_t stride, size_t row, size_t height, size_t& bytes)
{
    size_t rows = 0;
    if (__builtin_mul_overflow(stride, height - 1, &rows) || __builtin_add_overflow(rows, row, &bytes))
        return false;
    uintptr_t end = 0;
    return !__builtin_add_overflow(reinterpret_cast<uintptr_t>(data), bytes, &end);
}

int Convert(CVarnelIF& engine, const uint8_t* in, uint8_t* out, uint32_t count)
{
    uint32_t processed = 0;
    return engine.Convert8(in, out, count, count, &processed, nullptr, 0);
}

int Convert(CVarnelIF& engine, const uint16_t* in, uint16_t* out, uint32_t count)
{
    uint32_t processed = 0;
    return engine.Convert16(in, out, count, count, &processed, nullptr, 0);
}

} // namespace

CVarnelSeparation::CVarnelSeparation() = default;
CVarnelSeparation::~CVarnelSeparation() = default;

int CVarnelSeparation::ReadTexts(CVarnel& configuration, const Source& source, std::string& presetName,
                                 std::string& what, std::string& message, ParseFault* fault)
{
    Failure failure = ApplySource(configuration, source, presetName, what, fault);
    if (failure.status == VARNEL_OK && source.extra &&
        configuration.ParseText(source.extra, long(std::strlen(source.extra))) != 0)
        failure = ParseFailure({configuration.GetSourceTexts().front()}, source.extra, "the extra text", fault);
    if (failure.status != VARNEL_OK) {
        message = failure.message;
        return failure.status;
    }
    const uint32_t channels = configuration.GetChannels();
    if (channels == 0) {
        message = what + " defines no ink channels (CHANNELS= is missing or 0)";
        return VARNEL_ERROR_CONFIG;
    }
    if (channels > kMaxChannels) {
        message = what + " defines " + std::to_string(channels) + " channels; at most " +
                  std::to_string(kMaxChannels) + " are computed";
        return VARNEL_ERROR_CONFIG;
    }
    return VARNEL_OK;
}

int CVarnelSeparation::Load(const Source& source, const varnel_load_options* options,
                            std::unique_ptr<CVarnelSeparation>& out, std::string& message, bool blame)
{
    std::unique_ptr<CVarnelSeparation> separation(new CVarnelSeparation());
    separation->m_configuration.reset(new CVarnel());
    CVarnel& configuration = *separation->m_configuration;

    std::string presetName, what;
    ParseFault fault;
    const int status = ReadTexts(configuration, source, presetName, what, message, blame ? &fault : nullptr);
    if (status != VARNEL_OK)
        return status;

    // Every stage container is there unless memory ran short while they
    // were made; only a plan that computes every pixel is worth keeping.
    separation->m_plan = std::make_shared<const CVarnelPixelPlan>(configuration);
    if (!separation->m_plan->AlwaysComputes()) {
        message = "memory ran short while loading " + what;
        return VARNEL_ERROR_MEMORY;
    }

    if (options && (options->flags & VARNEL_LOAD_CACHE)) {
        std::string folder = options->cache_folder ? options->cache_folder : KPlatform::UserTempPath();
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
        // Presets and files are keyed by base name, as the C++ class keys
        // them; a text in memory by its digest. The record beside the table
        // decides whether a table found under the name is used.
        const std::string key = source.text ? "text " + configuration.GetSourceDigest()
                                            : CVarnelLoader::CacheKey(KPath(source.nameOrPath).GetBaseName().StdString(),
                                                                      source.extra);
        CVarnelIF builder;
        builder.SetConfig(&configuration);
        builder.UsePlan(separation->m_plan);
        builder.AllowWorkerThreads(!(options->flags & VARNEL_LOAD_NO_THREADS));
        LoadProgress progress{options->progress, options->progress_user};
        try {
            separation->m_cache.reset(CVarnelLoader::PrepareCache(
                builder, configuration, folder, key, options->progress ? &LoadProgress::Report : nullptr,
                (long long)intptr_t(&progress)));
        } catch (int) {
            message = "memory ran short while building the cache table of " + what;
            return VARNEL_ERROR_MEMORY;
        }
    }
    separation->m_engines.reset(new CVarnelEnginePool(separation->m_plan, separation->m_cache.get()));
    separation->m_inks = CVarnelInkNames::Describe(configuration, presetName);
    out = std::move(separation);
    return VARNEL_OK;
}

const char* CVarnelSeparation::ConfigText() const
{
    std::call_once(m_configTextOnce, [this] {
        try {
            m_configText = MergedText();
            m_haveConfigText = true;
        } catch (...) {
            // No text: the texts do not merge into one, or memory ran short.
        }
    });
    return m_haveConfigText ? m_configText.c_str() : nullptr;
}

std::string CVarnelSeparation::MergedText() const
{
    const std::vector<std::string>& texts = m_configuration->GetSourceTexts();
    if (texts.size() == 1)
        return texts.front();
    const std::string merged = CVarnelMergedText::Merge(texts.at(0), texts.at(1));
    // The merged text is handed out only when it loads as this separation:
    // same channels, same values on a grid of colours with its corners and
    // on 65,536 colours spread at random over the cube.
    CVarnel reloaded;
    if (reloaded.ParseText(merged.c_str(), long(merged.size())) != 0 ||
        reloaded.GetChannels() != m_configuration->GetChannels())
        throw VARNEL_STATUS_FAILED;
    const CVarnelPixelPlan plan(reloaded);
    if (!plan.AlwaysComputes())
        throw VARNEL_STATUS_FAILED;
    auto agree = [&](uint32_t r, uint32_t g, uint32_t b) {
        uint16_t expected[kMaxChannels] = {};
        uint16_t actual[kMaxChannels] = {};
        m_plan->Compute(r, g, b, expected);
        plan.Compute(r, g, b, actual);
        return std::memcmp(expected, actual, sizeof expected) == 0;
    };
    for (uint32_t r = 0; r < 65536; r += 4369)
        for (uint32_t g = 0; g < 65536; g += 4369)
            for (uint32_t b = 0; b < 65536; b += 4369)
                if (!agree(r, g, b))
                    throw VARNEL_STATUS_FAILED;
    uint32_t state = 12345u;
    for (int i = 0; i < 65536; ++i) {
        state = state * 1664525u + 1013904223u;
        const uint32_t r = state >> 16;
        state = state * 1664525u + 1013904223u;
        const uint32_t g = state >> 16;
        state = state * 1664525u + 1013904223u;
        if (!agree(r, g, state >> 16))
            throw VARNEL_STATUS_FAILED;
    }
    return merged;
}

template <typename Value>
int CVarnelSeparation::ConvertRows(const Value* in, size_t inStride, Value* out, size_t outStride, size_t width,
                                   size_t height, varnel_progress_fn progress, void* user) const
{
    if (!in || !out)
        return VARNEL_ERROR_ARGUMENT;
    if (width == 0 || height == 0)
        return VARNEL_OK;
    size_t inRow = 0, outRow = 0;
    if (__builtin_mul_overflow(width, 3 * sizeof(Value), &inRow) ||
        __builtin_mul_overflow(width, Channels() * sizeof(Value), &outRow))
        return VARNEL_ERROR_ARGUMENT;
    inStride = inStride ? inStride : inRow;
    outStride = outStride ? outStride : outRow;
    // Rows start on whole values, one after the other.
    if (inStride < inRow || outStride < outRow || inStride % sizeof(Value) || outStride % sizeof(Value))
        return VARNEL_ERROR_ARGUMENT;
    size_t inBytes = 0, outBytes = 0;
    if (!Extent(in, inStride, inRow, height, inBytes) || !Extent(out, outStride, outRow, height, outBytes) ||
        Overlap(in, inBytes, out, outBytes))
        return VARNEL_ERROR_ARGUMENT;

    CVarnelEnginePool::Lease engine = m_engines->Take();
    // Rows without gaps are one run of pixels.
    const bool packed = inStride == inRow && outStride == outRow;
    const size_t rowPixels = packed ? width * height : width;
    const size_t rows = packed ? 1 : height;
    const double total = double(width) * double(height);
    size_t done = 0;
    long long reported = -1;
    for (size_t row = 0; row < rows; ++row) {
        const Value* source = reinterpret_cast<const Value*>(reinterpret_cast<const uint8_t*>(in) + row * inStride);
        Value* target = reinterpret_cast<Value*>(reinterpret_cast<uint8_t*>(out) + row * outStride);
        for (size_t first = 0; first < rowPixels;) {
            if (progress) {
                const auto percent = (long long)(double(done) * 100.0 / total);
                if (percent > reported) {
                    reported = percent;
                    if (progress(double(percent), user) != 0)
                        return VARNEL_ERROR_CANCELLED;
                }
            }
            const size_t count = std::min(kChunk, rowPixels - first);
            // The engine fails only when memory is short: the plan computes
            // every pixel.
            if (::Convert(*engine, source + 3 * first, target + Channels() * first, uint32_t(count)) != 0)
                return VARNEL_ERROR_MEMORY;
            first += count;
            done += count;
        }
    }
    return VARNEL_OK;
}

int CVarnelSeparation::Convert(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride, size_t width,
                               size_t height, varnel_progress_fn progress, void* user) const
{
    return ConvertRows(in, inStride, out, outStride, width, height, progress, user);
}

int CVarnelSeparation::Convert(const uint16_t* in, size_t inStride, uint16_t* out, size_t outStride, size_t width,
                               size_t height, varnel_progress_fn progress, void* user) const
{
    return ConvertRows(in, inStride, out, outStride, width, height, progress, user);
}
