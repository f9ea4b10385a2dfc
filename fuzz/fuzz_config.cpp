// A configuration text parsed over a fresh configuration, and again over a
// preset (the way an extra text is applied), then a few pixels converted at
// 8 and 16 bits through separate engines.
//
// Input: byte 0 picks the preset, the rest is the configuration text.
#include "FuzzSupport.h"

#include "config/Varnel.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelPresets.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void ConvertAndCheck(CVarnel& config)
{
    const uint64_t channels = config.GetChannels();
    if (channels > fuzz::kMaxConvertedChannels)
        return;
    const uint32_t count = fuzz::PixelCount();
    // Sized exactly as a host would size them: a stray write lands in the
    // sanitizer's red zone.
    std::vector<uint8_t> out8(channels * count + (channels == 0));
    const std::vector<uint16_t> wide = fuzz::Pixels16();
    std::vector<uint16_t> out16(channels * count + (channels == 0));

    // The engines live across inputs: each new engine clears a 16 MiB
    // scratch block at its first 8-bit call, which would dominate the run.
    // Both see the same calls, so they remember the same pixel.
    static CVarnelIF engine8, engine16;
    engine8.SetConfig(&config);
    engine16.SetConfig(&config);
    uint32_t done8 = 0, done16 = 0;
    const int result8 = engine8.Convert8(fuzz::Pixels8().data(), out8.data(), count, count, &done8,
                                         nullptr, 0);
    const int result16 = engine16.Convert16(wide.data(), out16.data(), count, count, &done16,
                                            nullptr, 0);
    // The 8-bit path is the 16-bit path on widened input, narrowed.
    if (result8 != result16)
        __builtin_trap();
    if (result8 == 0) {
        for (uint64_t i = 0; i < channels * count; ++i) {
            if (out8[i] != fuzz::Narrow(out16[i]))
                __builtin_trap();
        }
    }

    // Then the 16-bit values off the 8-bit grid.
    const uint32_t rest = uint32_t(wide.size() / 3) - count;
    std::vector<uint16_t> outRest(channels * rest + (channels == 0));
    CVarnelIF fresh;
    fresh.SetConfig(&config);
    fresh.Convert16(wide.data() + 3 * count, outRest.data(), rest, rest, &done16, nullptr, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const VarnelPreset& preset = VarnelPresetTable()[data[0] % VarnelPresetCount()];
    // std::string keeps the terminating zero that the text format requires.
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    CVarnel fresh;
    fresh.ParseText(text.c_str(), long(text.size()));
    ConvertAndCheck(fresh);

    CVarnel over;
    if (over.ParseText(preset.text, long(std::strlen(preset.text))) != 0)
        __builtin_trap();
    if (over.ParseText(text.c_str(), long(text.size())) == 0)
        ConvertAndCheck(over);
    return 0;
}
