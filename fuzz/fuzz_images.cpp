// The tool's image readers on hostile files, with the colour management of
// their embedded ICC profiles: whatever the bytes claim, a reader either
// delivers rows or throws ToolError; it never reads or writes outside its
// memory and never allocates from an untrusted size beyond its bounded
// row, band or whole-image limit.
#include "FuzzSupport.h"
#include "ImageReader.h"
#include "InputColour.h"
#include "ToolError.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A few kilobytes of compressed data can stand for gigabytes of rows; the
// first rows (at least one, up to some 65,000 pixels) exercise every
// decoding path, and more would only slow the search down.
constexpr uint64_t kMaxPixelsRead = uint64_t{1} << 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = fuzz::ScratchFolder() + "image";
    fuzz::WriteFile(path, data, size);
    try {
        const std::unique_ptr<varnel_tool::ImageReader> reader = varnel_tool::openImage(path);
        varnel_tool::manageInputColour(*reader, varnel_tool::InputColourOptions());
        // Turning the image reads it whole: only where that stays small.
        if (uint64_t{reader->width()} * reader->height() <= kMaxPixelsRead) reader->applyOrientation();
        const uint64_t width = reader->width();
        const uint64_t rows = std::min<uint64_t>(reader->height(), std::max<uint64_t>(1, kMaxPixelsRead / width));
        std::vector<uint16_t> rgb(width * 3);
        for (uint64_t y = 0; y < rows; ++y)
            reader->readRows(rgb.data(), 1);
    } catch (const varnel_tool::ToolError&) {
    }
    return 0;
}
