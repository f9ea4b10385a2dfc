// A run of PNG image rows compressed on its own: a piece of the image's
// one zlib stream that PngWriter joins to the pieces before and after it.
#ifndef VARNEL_TOOL_PNGSEGMENT_H
#define VARNEL_TOOL_PNGSEGMENT_H

#include <cstdint>
#include <vector>

namespace varnel_tool {

struct PngSegment {
    // Deflate blocks that end byte-aligned, without the final-block mark
    // and without reference to any data before them.
    std::vector<uint8_t> deflated;
    uint32_t adler = 1;       // Adler-32 of the filtered rows
    uint64_t filteredBytes = 0;  // their length, filter bytes included
    uint32_t rows = 0;
};

} // namespace varnel_tool

#endif
