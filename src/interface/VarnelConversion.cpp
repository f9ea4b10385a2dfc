#include "interface/VarnelConversion.h"

#include "config/Varnel.h"
#include "engine/VarnelIF.h"
#include "varnel/varnel.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

template <typename Run>
long Guarded(Run run)
{
    try {
        return run();
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_NO_MEMORY;
    }
}

// True when the input (3 values a pixel) and the output (one value per
// channel a pixel) of count pixels share any byte.
template <typename Value>
bool Overlap(const Value* in, const Value* out, unsigned int count, uint64_t channels)
{
    const auto inStart = reinterpret_cast<uintptr_t>(in);
    const auto outStart = reinterpret_cast<uintptr_t>(out);
    const uint64_t inBytes = 3ull * count * sizeof(Value);
    const uint64_t outBytes = channels * count * sizeof(Value);
    return inStart < outStart + outBytes && outStart < inStart + inBytes;
}

// Runs the conversion on an input that the output may overlap (in place
// included): the engine writes each pixel's inks before it reads every later
// pixel, so an overlapping input is copied first. Memory for the copy that
// cannot be had: -108, nothing written.
template <typename Value, typename Convert>
long WithSeparateInput(CVarnelIF* engine, const Value* in, Value* out, unsigned int count,
                       Convert convert)
{
    const CVarnel* config = engine->GetConfig();
    if (!config || !Overlap(in, out, count, config->GetChannels()))
        return convert(in);
    std::unique_ptr<Value[]> copy(new (std::nothrow) Value[3ull * count]);
    if (!copy)
        return VARNEL_STATUS_NO_MEMORY;
    std::memcpy(copy.get(), in, 3ull * count * sizeof(Value));
    return convert(copy.get());
}

} // namespace

long CVarnelConversion::Rgb8(CVarnelIF* engine, const void* in, void* out, unsigned int count,
                             VarnelProgressProc progress, long long value)
{
    if (!in || !out || count == 0)
        return VARNEL_STATUS_FAILED;
    if (!engine)
        return 0;
    return Guarded([&] {
        auto* out8 = static_cast<uint8_t*>(out);
        return WithSeparateInput(engine, static_cast<const uint8_t*>(in), out8, count,
                                 [&](const uint8_t* input) {
                                     uint32_t processed = 0;
                                     return long(engine->Convert8(input, out8, count, count, &processed,
                                                                  progress, value));
                                 });
    });
}

long CVarnelConversion::Rgb16(CVarnelIF* engine, const unsigned short* in, unsigned short* out,
                              unsigned int count, VarnelProgressProc progress, long long value)
{
    if (!in || !out || count == 0)
        return VARNEL_STATUS_FAILED;
    if (!engine)
        return 0;
    return Guarded([&] {
        return WithSeparateInput(engine, in, out, count, [&](const unsigned short* input) {
            uint32_t processed = 0;
            return long(engine->Convert16(input, out, count, count, &processed, progress, value));
        });
    });
}
