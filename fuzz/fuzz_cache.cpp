// A fuzzed separation cache file under the name the loader looks for, in a
// private temporary folder.
//
// Input: byte 0 chooses the mode, byte 1 the configuration, the rest is the
// file (or a record, or patches to a trusted table). Only the byte values 6
// and 7 choose the record and the patches: the fuzzer spends most of its
// time on the table reader, whose input is the file's content.
//   other:     the file is read as a cache table; look-ups with entry
//              sizes of 0 to 17 bytes must refuse a table too small, and an
//              engine with the table attached must compute its pixels,
//              giving the output of an engine without a cache.
//   mode 6:    the record beside a trusted table (one channel) is the
//              input: the table must be trusted exactly when the record is
//              the one its writer wrote. (A table without a valid record is
//              never read, and every such load starts a build of 16,777,216
//              colours: the tests cover that.)
//   mode 7:    a trusted table of one or two channels (with its record)
//              with up to 16 groups of 3 + channels input bytes written
//              into it (R, G, B, then the entry's bytes): the load must
//              map it without building, and the patched colours must
//              convert to the bytes written.
#include "FuzzSupport.h"

#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelCacheFile.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelLoader.h"
#include "interface/VarnelPresets.h"
#include "varnel/VarnelDll.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

char* Text(const std::string& s) { return const_cast<char*>(s.c_str()); }

std::string CachePath(const char* name, const char* text)
{
    char file[64];
    if (!CVarnelLoader::CacheFileName(name, text, file, sizeof file))
        __builtin_trap();
    return fuzz::ScratchFolder() + file;
}

// 16-bit conversions only: without a usable table both widths take the
// same path.
std::vector<uint16_t> Convert(CVarnelIF& engine, uint64_t channels)
{
    const std::vector<uint16_t> wide = fuzz::Pixels16();
    const uint32_t count = uint32_t(wide.size() / 3);
    auto out = fuzz::ExactBuffer<uint16_t>(channels * count);
    uint32_t done = 0;
    if (engine.Convert16(wide.data(), out.get(), count, count, &done, nullptr, 0) != 0)
        __builtin_trap();
    return std::vector<uint16_t>(out.get(), out.get() + channels * count);
}

// A preset's configuration and its pixels converted without a cache: the
// same for every input, so made once per preset.
struct PlainResult {
    CVarnel config;
    std::vector<uint16_t> pixels;
};

PlainResult& PlainResultOf(size_t index)
{
    static std::map<size_t, PlainResult> results;
    auto found = results.find(index);
    if (found != results.end())
        return found->second;
    PlainResult& result = results[index];
    const VarnelPreset& preset = VarnelPresetTable()[index];
    if (result.config.ParseText(preset.text, long(std::strlen(preset.text))) != 0)
        __builtin_trap();
    CVarnelIF plain;
    plain.SetConfig(&result.config);
    result.pixels = Convert(plain, result.config.GetChannels());
    return result;
}

void ReadAsTable(uint8_t choice, const uint8_t* data, size_t size)
{
    const size_t index = choice % VarnelPresetCount();
    const VarnelPreset& preset = VarnelPresetTable()[index];
    const std::string path = CachePath(preset.name, nullptr);
    fuzz::WriteFile(path, data, size);

    PlainResult& plainResult = PlainResultOf(index);
    CVarnel& config = plainResult.config;
    const uint64_t channels = config.GetChannels();
    const std::vector<uint16_t>& expected = plainResult.pixels;

    CVarnelCacheContainer container;
    try {
        container.SetCache(new CVarnelCache(path));
    } catch (int) {
        return;
    }
    // No fuzz input holds a whole table for any entry size; entries of no
    // bytes (a configuration without channels) fit in any table.
    for (uint32_t stride = 0; stride <= 17; ++stride) {
        container.SetStride(stride);
        const uint8_t* entry = container.Lookup(uint8_t(size), 7, 255);
        if (container.IsUsable() != (stride == 0) || (stride != 0 && entry != nullptr))
            __builtin_trap();
    }
    // Attached with the configuration's channel count, as the loader does:
    // a table too short is never read, the pixels are computed.
    container.SetStride(uint32_t(channels));
    CVarnelIF cached;
    cached.SetConfig(&config);
    cached.SetCacheContainer(&container);
    if (Convert(cached, channels) != expected)
        __builtin_trap();
}

// The instance keeps its callback for its conversions; only a report
// during the load would mean that the table was built.
bool g_loading = false;
int NoBuildExpected(double, long long)
{
    if (g_loading)
        __builtin_trap();
    return 0;
}

// The trusted table of a channel count: written once per process, every
// entry zero, with its record, by the library's own writer. Inputs patch it
// in place and undo their patches, each time putting back the file's
// modification time, so that the record keeps naming the file: the loader
// trusts whatever the entries hold, as after a build, and no input has to
// write 16 or 32 MiB.
struct TrustedTable {
    std::string path;
    std::string digest;
    struct timespec modified = {};
};

const TrustedTable& TrustedTableOf(unsigned channels, const std::string& extra)
{
    static TrustedTable tables[2];
    TrustedTable& table = tables[channels - 1];
    if (!table.path.empty())
        return table;
    const std::string path = CachePath("HUE_PARAM_CMYK", extra.c_str());
    CVarnel config;
    // The first preset in name order.
    const VarnelPreset* preset = VarnelPresetTable();
    if (std::strcmp(preset->name, "HUE_PARAM_CMYK") != 0 ||
        config.ParseText(preset->text, long(std::strlen(preset->text))) != 0 ||
        config.ParseText(extra.c_str(), long(extra.size())) != 0)
        __builtin_trap();
    const std::vector<uint8_t> zeros(size_t(channels) * kCacheColours);
    struct stat info {};
    const CVarnelCacheFile file(path, config.GetSourceDigest(), channels);
    if (!file.Save(zeros.data()) || !file.Open() || stat(path.c_str(), &info) != 0)
        __builtin_trap();
    table.modified = info.st_mtim;
    table.digest = config.GetSourceDigest();
    table.path = path;
    return table;
}

// Writes the given bytes at the given offsets and puts the modification
// time back.
void PatchInPlace(const TrustedTable& table, const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& patches)
{
    const int fd = open(table.path.c_str(), O_WRONLY);
    if (fd < 0)
        __builtin_trap();
    for (const auto& patch : patches) {
        if (pwrite(fd, patch.second.data(), patch.second.size(), off_t(patch.first)) != ssize_t(patch.second.size()))
            __builtin_trap();
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, table.modified};
    if (futimens(fd, times) != 0 || close(fd) != 0)
        __builtin_trap();
}

void PatchedTableThroughTheLoader(uint8_t choice, const uint8_t* data, size_t size)
{
    const unsigned channels = 1 + (choice & 1);
    const std::string extra = "CHANNELS=" + std::to_string(channels) + ";";
    const TrustedTable& table = TrustedTableOf(channels, extra);
    // The bytes each patched colour must convert to (the last write wins).
    // Sixteen patches at most: more would only lengthen the run.
    std::map<uint32_t, std::vector<uint8_t>> patched;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> patches, undo;
    const size_t group = 3 + channels;
    for (size_t i = 0; i + group <= size && patches.size() < 16; i += group) {
        const uint8_t* p = data + i;
        const uint32_t k = (uint32_t(p[2] >> 4) << 20) + (uint32_t(p[1]) << 12) +
                           (uint32_t(p[2] & 15) << 8) + p[0];
        patches.emplace_back(k * channels, std::vector<uint8_t>(p + 3, p + 3 + channels));
        undo.emplace_back(k * channels, std::vector<uint8_t>(channels, 0));
        patched[uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16].assign(p + 3, p + 3 + channels);
    }
    PatchInPlace(table, patches);

    CVarnelDll dll;
    dll.SetTemporaryFolder(Text(fuzz::ScratchFolder()));
    dll.SetFlags(1);
    g_loading = true;
    const long loaded = dll.SetPreferences(Text("HUE_PARAM_CMYK"), Text(extra), nullptr, 0, 0, NoBuildExpected, 0);
    g_loading = false;
    if (loaded != 0)
        __builtin_trap();
    if (dll.GetChannels() != long(channels))
        __builtin_trap();
    // An untouched entry reads as zero.
    patched.emplace(0x010203u, std::vector<uint8_t>(channels, 0));
    for (const auto& entry : patched) {
        uint8_t in[3] = {uint8_t(entry.first), uint8_t(entry.first >> 8), uint8_t(entry.first >> 16)};
        uint8_t out[2] = {};
        if (dll.RGB8ToMultichannel(in, out, 1) != 0 || std::memcmp(out, entry.second.data(), channels) != 0)
            __builtin_trap();
        uint16_t in16[3] = {uint16_t(in[0] * 257u), uint16_t(in[1] * 257u), uint16_t(in[2] * 257u)};
        uint16_t out16[2] = {};
        if (dll.RGB16ToMultichannel(in16, out16, 1) != 0)
            __builtin_trap();
        for (unsigned j = 0; j < channels; ++j) {
            if (out16[j] != entry.second[j] * 257u)
                __builtin_trap();
        }
    }
    PatchInPlace(table, undo);
}

std::string ContentOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void FuzzedRecord(const uint8_t* data, size_t size)
{
    const TrustedTable& table = TrustedTableOf(1, "CHANNELS=1;");
    const CVarnelCacheFile file(table.path, table.digest, 1);
    static const std::string genuine = ContentOf(file.RecordPath());
    fuzz::WriteFile(file.RecordPath(), data, size);
    const bool trusted = file.Open() != nullptr;
    fuzz::WriteFile(file.RecordPath(), reinterpret_cast<const uint8_t*>(genuine.data()), genuine.size());
    if (trusted != (std::string(reinterpret_cast<const char*>(data), size) == genuine))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const uint8_t choice = data[1];
    data += 2;
    size -= 2;
    if (mode == 6)
        FuzzedRecord(data, size);
    else if (mode == 7)
        PatchedTableThroughTheLoader(choice, data, size);
    else
        ReadAsTable(choice, data, size);
    return 0;
}
