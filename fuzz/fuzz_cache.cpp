// A fuzzed separation cache file under the name the loader looks for, in a
// private temporary folder.
//
// Input: byte 0 chooses the mode, byte 1 the configuration, the rest is the
// file (or, in the last mode, patches to a file of the right size). The two
// loader modes handle tens of megabytes each (the loader's list of all
// colours, the scratch block, the file) and cost 30 to 100 times a table
// read, so only the byte values 6 and 7 choose them: the fuzzer spends its
// time on the table reader, whose input is the file's content.
//   other:     the file is read as a cache table; look-ups with entry
//              sizes of 0 to 17 bytes must refuse a table too small, and an
//              engine with the table attached must compute its pixels,
//              giving the output of an engine without a cache.
//   mode 6:    the file lies under its name when an instance loads with
//              the cache flag: its size is wrong (a fuzz input is far
//              smaller than a table), so the instance must start to build
//              a new table instead of reading it. The build is stopped at
//              its first progress report to keep the run fast; the load
//              then fails and the file stays as it was.
//   mode 7:    a sparse file of exactly the right size (one or two
//              channels) with groups of 3 + channels input bytes written
//              into it (R, G, B, then the entry's bytes): the load must
//              read it without building, and the patched colours must
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

// 16-bit conversions only: a new engine's first 8-bit call clears a 16 MiB
// scratch block, and without a usable table both widths take the same path.
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

void ReadAsTable(uint8_t choice, const uint8_t* data, size_t size)
{
    const VarnelPreset& preset = VarnelPresetTable()[choice % VarnelPresetCount()];
    const std::string path = CachePath(preset.name, nullptr);
    fuzz::WriteFile(path, data, size);

    CVarnel config;
    if (config.ParseText(preset.text, long(std::strlen(preset.text))) != 0)
        __builtin_trap();
    const uint64_t channels = config.GetChannels();
    CVarnelIF plain;
    plain.SetConfig(&config);
    const std::vector<uint16_t> expected = Convert(plain, channels);

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

struct BuildStopped {};
int StopTheBuild(double, long long) { throw BuildStopped(); }

void WrongSizeThroughTheLoader(uint8_t choice, const uint8_t* data, size_t size)
{
    const VarnelPreset& preset = VarnelPresetTable()[choice % VarnelPresetCount()];
    const std::string path = CachePath(preset.name, nullptr);
    fuzz::WriteFile(path, data, size);

    CVarnelDll dll;
    dll.SetTemporaryFolder(Text(fuzz::ScratchFolder()));
    dll.SetFlags(1);
    // The first report comes after the first colour: the build ran, so the
    // file was not taken as a table.
    if (dll.SetPreferences(Text(preset.name), nullptr, nullptr, 0, 0, StopTheBuild, 0) != -108)
        __builtin_trap();
    if (dll.GetChannels() != 0)
        __builtin_trap();
    std::ifstream file(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (content.size() != size || std::memcmp(content.data(), data, size) != 0)
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

void PatchedTableThroughTheLoader(uint8_t choice, const uint8_t* data, size_t size)
{
    const unsigned channels = 1 + (choice & 1);
    const std::string extra = "CHANNELS=" + std::to_string(channels) + ";";
    const std::string path = CachePath("HUE_PARAM_CMYK", extra.c_str());
    // The table as a build would leave it, all entries zero but the patched
    // ones, put in place with its record by the library's own writer: the
    // loader trusts it. The buffer is kept across inputs, its patches undone.
    static std::vector<uint8_t> tables[2];
    std::vector<uint8_t>& table = tables[channels - 1];
    table.resize(size_t(channels) * kCacheColours);
    // The bytes each patched colour must convert to (the last write wins).
    std::map<uint32_t, std::vector<uint8_t>> patched;
    std::vector<uint32_t> offsets;
    const size_t group = 3 + channels;
    for (size_t i = 0; i + group <= size; i += group) {
        const uint8_t* p = data + i;
        const uint32_t k = (uint32_t(p[2] >> 4) << 20) + (uint32_t(p[1]) << 12) +
                           (uint32_t(p[2] & 15) << 8) + p[0];
        std::memcpy(&table[size_t(k) * channels], p + 3, channels);
        offsets.push_back(k * channels);
        patched[uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16].assign(p + 3, p + 3 + channels);
    }
    CVarnel config;
    // The first preset in name order.
    const VarnelPreset* preset = VarnelPresetTable();
    if (std::strcmp(preset->name, "HUE_PARAM_CMYK") != 0 ||
        config.ParseText(preset->text, long(std::strlen(preset->text))) != 0 ||
        config.ParseText(extra.c_str(), long(extra.size())) != 0)
        __builtin_trap();
    const bool saved = CVarnelCacheFile(path, config.GetSourceDigest(), channels).Save(table.data());
    for (uint32_t offset : offsets)
        std::memset(&table[offset], 0, channels);
    if (!saved)
        __builtin_trap();

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
    // An untouched entry of a sparse file reads as zero.
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
        WrongSizeThroughTheLoader(choice, data, size);
    else if (mode == 7)
        PatchedTableThroughTheLoader(choice, data, size);
    else
        ReadAsTable(choice, data, size);
    return 0;
}
