// A configuration text parsed over a fresh configuration or over a preset
// (the way an extra text is applied), then a few pixels converted at 8 and
// 16 bits.
//
// Input: byte 0 picks the preset (its value modulo the preset count) and,
// with its top bit set, a fresh configuration instead; the rest is the
// configuration text. One parse per input: each stage item draws 65,536-entry
// tables, which makes a parse the larger part of an input's cost.
#include "FuzzSupport.h"

#include "config/Varnel.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelPresets.h"
#include "varnel/separation.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void ConvertAndCheck(CVarnel& config)
{
    // The library loads no configuration with more channels than the engine
    // computes; the engine is never handed one.
    const uint64_t channels = config.GetChannels();
    if (channels > kMaxChannels)
        return;
    const uint32_t count = fuzz::PixelCount();
    const std::vector<uint16_t> wide = fuzz::Pixels16();
    const uint32_t rest = uint32_t(wide.size() / 3) - count;
    auto out8 = fuzz::ExactBuffer<uint8_t>(channels * count);
    auto out16 = fuzz::ExactBuffer<uint16_t>(channels * count);
    auto outRest = fuzz::ExactBuffer<uint16_t>(channels * rest);

    // One engine for every call: its pixel plan is built once, and the calls
    // pass the remembered pixel on to each other.
    CVarnelIF engine;
    engine.SetConfig(&config);
    uint32_t done8 = 0, done16 = 0;
    const int result8 = engine.Convert8(fuzz::Pixels8().data(), out8.get(), count, count, &done8,
                                        nullptr, 0);
    const int result16 = engine.Convert16(wide.data(), out16.get(), count, count, &done16,
                                          nullptr, 0);
    // The 8-bit path is the 16-bit path on widened input, narrowed.
    if (result8 != result16)
        __builtin_trap();
    if (result8 == 0) {
        for (uint64_t i = 0; i < channels * count; ++i) {
            if (out8[i] != varnel_narrow(out16[i]))
                __builtin_trap();
        }
    }
    // Then the 16-bit values off the 8-bit grid.
    engine.Convert16(wide.data() + 3 * count, outRest.get(), rest, rest, &done16, nullptr, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const VarnelPreset& preset = VarnelPresetTable()[(data[0] & 0x7F) % VarnelPresetCount()];
    const bool fresh = data[0] & 0x80;
    // std::string keeps the terminating zero that the text format requires.
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    CVarnel config;
    if (!fresh && config.ParseText(preset.text, long(std::strlen(preset.text))) != 0)
        __builtin_trap();
    const int parsed = config.ParseText(text.c_str(), long(text.size()));
    // A fresh configuration is converted whatever the parse said: a failed
    // statement leaves the ones before it in place.
    if (fresh || parsed == 0)
        ConvertAndCheck(config);
    return 0;
}
