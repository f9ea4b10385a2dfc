// Encodes one strip of TIFF samples into the bytes the file stores; one
// encoder per worker thread, reused for every strip.
#ifndef VARNEL_TOOL_STRIPENCODER_H
#define VARNEL_TOOL_STRIPENCODER_H

#include "TiffCompression.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace varnel_tool {

class StripEncoder {
public:
    virtual ~StripEncoder() = default;
    // Replaces out with the stored form of the strip. Throws ToolError.
    virtual void encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) = 0;

    // The encoder of the codec; for LZW, which libtiff encodes when the
    // strip is written, one that passes the samples on unchanged.
    static std::unique_ptr<StripEncoder> create(const TiffCompression& compression);
};

} // namespace varnel_tool

#endif
