// Writes a plain RGB TIFF row by row, uncompressed, for generated test
// images (reading it back costs next to nothing, which keeps benchmarks
// about the separation).
#ifndef VARNEL_TOOL_RGBTIFFWRITER_H
#define VARNEL_TOOL_RGBTIFFWRITER_H

#include "TiffOutputFile.h"

#include <cstdint>

namespace varnel_tool {

class RgbTiffWriter {
public:
    RgbTiffWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits);
    RgbTiffWriter(const RgbTiffWriter&) = delete;
    RgbTiffWriter& operator=(const RgbTiffWriter&) = delete;

    // One row of packed RGB samples (bytes, or host-order 16-bit values).
    void writeRow(const void* row);
    void finish();

private:
    TiffOutputFile m_file;
    TIFF* m_tiff;
    uint32_t m_row = 0;
};

} // namespace varnel_tool

#endif
