#include "interface/VarnelConversion.h"

#include "engine/VarnelIF.h"

#include <cstdint>

namespace {

template <typename Run>
long Guarded(Run run)
{
    try {
        return run();
    } catch (int code) {
        return code;
    } catch (...) {
        return -108;
    }
}

} // namespace

long CVarnelConversion::Rgb8(CVarnelIF* engine, const void* in, void* out, unsigned int count,
                             VarnelProgressProc progress, long long value)
{
    if (!in || !out || count == 0)
        return -1;
    if (!engine)
        return 0;
    return Guarded([&] {
        uint32_t processed = 0;
        return engine->Convert8(static_cast<const uint8_t*>(in), static_cast<uint8_t*>(out), count,
                                count, &processed, progress, value);
    });
}

long CVarnelConversion::Rgb16(CVarnelIF* engine, const unsigned short* in, unsigned short* out,
                              unsigned int count, VarnelProgressProc progress, long long value)
{
    if (!in || !out || count == 0)
        return -1;
    if (!engine)
        return 0;
    return Guarded([&] {
        uint32_t processed = 0;
        return engine->Convert16(in, out, count, count, &processed, progress, value);
    });
}
