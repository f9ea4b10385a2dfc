// A band is a run of whole TIFF strips: the unit of work that one thread
// reads, separates, compresses and hands to the writer. Bands depend only
// on the image, never on the thread count: each band's rows of a plate or
// proof are one compressed PNG segment, so the same bands make the same
// files.
#ifndef VARNEL_TOOL_BAND_H
#define VARNEL_TOOL_BAND_H

#include "PngSegment.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel_tool {

struct BandPlan {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t rowsPerStrip = 1;
    uint32_t rowsPerBand = 1;  // a multiple of rowsPerStrip
    uint32_t bandCount = 0;

    // Bands of about a quarter million pixels, but at least 16 of them
    // where the image allows, so that the threads share a small image.
    static BandPlan make(uint32_t width, uint32_t height, uint32_t rowsPerStrip);
    uint32_t firstRow(uint32_t band) const { return band * rowsPerBand; }
    uint32_t rowsIn(uint32_t band) const;
};

struct Band {
    uint32_t index = 0;
    uint32_t firstRow = 0;
    uint32_t rows = 0;
    // Held as 16-bit words so that 16-bit samples are properly typed; 8-bit
    // samples use the same storage through a byte pointer.
    std::vector<uint16_t> input;  // packed RGB rows, 8-bit or 16-bit samples
    std::vector<uint16_t> inks;   // library values, channels per pixel, output depth
    std::vector<std::vector<uint8_t>> strips;  // Deflate-compressed TIFF strips
    std::vector<PngSegment> plates;  // one per ink, only with plates
    PngSegment proof;   // only with a proof
    PngSegment tacMap;  // only with a TAC map
};

// Resizes a word buffer to hold at least the given number of bytes.
inline void reserveBytes(std::vector<uint16_t>& buffer, size_t bytes) {
    buffer.resize((bytes + 1) / 2);
}

inline uint8_t* bytesOf(std::vector<uint16_t>& buffer) {
    return reinterpret_cast<uint8_t*>(buffer.data());
}

inline const uint8_t* bytesOf(const std::vector<uint16_t>& buffer) {
    return reinterpret_cast<const uint8_t*>(buffer.data());
}

} // namespace varnel_tool

#endif
