// A band is a run of whole TIFF strips: the unit of work that one thread
// reads, separates, compresses and hands to the writer. Strips depend only
// on the image; how strips group into bands depends on the thread count,
// which changes nothing in the files written.
#ifndef VARNEL_TOOL_BAND_H
#define VARNEL_TOOL_BAND_H

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

    // Bands of about a quarter million pixels, but small enough that every
    // thread gets several bands of a small image.
    static BandPlan make(uint32_t width, uint32_t height, uint32_t rowsPerStrip, int threads);
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
    std::vector<uint8_t> proof;  // 8-bit RGB rows, only with a proof
    std::vector<uint8_t> tacMap;  // 8-bit RGB rows, only with a TAC map
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
