// Loading preferences as a host does: a fuzzed .cfg file and a fuzzed extra
// text through CVarnelDll::SetPreferences or the exported kal_ functions,
// then a short 8-bit and 16-bit conversion.
//
// Input: byte 0 holds options, bytes 1 and 2 the length of the file's
// content (little-endian, cut to what is there), then the content, then
// the extra text.
//   bit 0: the C interface instead of CVarnelDll
//   bit 1: no extra text (null)
//   bit 2: the extension written ".CFG" instead of ".cfg"
//   bit 3: the extra text is the configuration name instead (a preset name
//          or a path), with no extra text
// Every load is followed by an 8-bit and a 16-bit conversion.
#include "FuzzSupport.h"

#include "engine/VarnelIF.h"
#include "interface/VarnelManager.h"
#include "varnel/VarnelDll.h"
#include "varnel/varnel.h"

#include <string>
#include <vector>

namespace {

int CountProgress(double percent, long long)
{
    if (percent < 0.0 || percent > 100.0)
        __builtin_trap();
    return 0;
}

// Converts into buffers of exactly the size the reported channel count
// gives: after a failed load that is 0, and nothing may be written.
template <typename Instance>
void Convert(Instance& instance, long channels)
{
    // The engine computes at most kMaxChannels channels; a configuration
    // with more does not load.
    if (channels < 0 || uint64_t(channels) > kMaxChannels)
        __builtin_trap();
    const uint64_t n = uint64_t(channels);
    const uint32_t count = fuzz::PixelCount();
    auto out8 = fuzz::ExactBuffer<uint8_t>(n * count);
    std::vector<uint8_t> in8 = fuzz::Pixels8();
    instance.RGB8ToMultichannel(in8.data(), out8.get(), count);
    auto one = fuzz::ExactBuffer<uint8_t>(n);
    instance.RGB2Multichannel(12, 200, 77, one.get());
    std::vector<uint16_t> in16 = fuzz::Pixels16();
    const uint32_t count16 = uint32_t(in16.size() / 3);
    auto out16 = fuzz::ExactBuffer<uint16_t>(n * count16);
    instance.RGB16ToMultichannel(in16.data(), out16.get(), count16);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t options = data[0];
    size_t fileSize = size_t(data[1]) | size_t(data[2]) << 8;
    data += 3;
    size -= 3;
    if (fileSize > size)
        fileSize = size;
    const std::string path = fuzz::ScratchFolder() + ((options & 4) ? "fuzz.CFG" : "fuzz.cfg");
    fuzz::WriteFile(path, data, fileSize);
    std::string extra(reinterpret_cast<const char*>(data + fileSize), size - fileSize);

    std::string name = path;
    const char* text = (options & 2) ? nullptr : extra.c_str();
    if (options & 8) {
        name = extra;
        text = nullptr;
    }
    char* nameArgument = const_cast<char*>(name.c_str());
    char* textArgument = const_cast<char*>(text);

    if (options & 1) {
        VarnelHandle handle = kal_InitVarnel();
        if (!handle)
            __builtin_trap();
        kal_SetFlags(handle, 0);
        if (kal_SetPreferences(handle, nameArgument, textArgument) != 0)
            __builtin_trap();
        const long channels = kal_GetChannels(handle);
        Convert(*reinterpret_cast<CVarnelManager*>(handle), channels);
        std::vector<uint16_t> in16 = fuzz::Pixels16();
        const uint32_t count16 = uint32_t(in16.size() / 3);
        auto out16 = fuzz::ExactBuffer<uint16_t>(uint64_t(channels) * count16);
        kal_RGB2Multichannel(handle, in16.data(), out16.get(), count16);
        kal_EndVarnel(handle);
        return 0;
    }

    CVarnelDll dll;
    dll.SetFlags(0);
    const long result = dll.SetPreferences(nameArgument, textArgument, nullptr, 0, 0,
                                           CountProgress, 7);
    // A failed load leaves the instance empty.
    if (result != 0 && dll.GetChannels() != 0)
        __builtin_trap();
    if (result != 0 && result != -1 && result != -108)
        __builtin_trap();
    Convert(dll, dll.GetChannels());
    return 0;
}
