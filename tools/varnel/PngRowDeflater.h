// Filters and compresses PNG rows into a segment that depends on nothing
// before it, so that any thread can compress any rows of a plate or a
// proof and the writer only has to join the segments in order.
#ifndef VARNEL_TOOL_PNGROWDEFLATER_H
#define VARNEL_TOOL_PNGROWDEFLATER_H

#include "PngSegment.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel_tool {

// Rows of samples in host order, 8 or 16 bits, taken from a buffer in
// which pixels and rows may lie apart (one channel of interleaved inks is
// a grey plate with a pixel stride of the ink count).
struct PngRows {
    const void* first = nullptr;  // the first sample of the first row
    size_t pixelStride = 0;       // samples from one pixel to the next
    size_t rowStride = 0;         // samples from one row to the next
    uint32_t width = 0;
    uint32_t rows = 0;
    int channels = 1;  // 1 (grey) or 3 (RGB)
    int bits = 8;      // 8 or 16
};

class PngRowDeflater {
public:
    PngRowDeflater();

    // Replaces the segment by the given rows. Throws ToolError when the
    // compressor fails.
    void deflate(const PngRows& rows, PngSegment& segment);

private:
    void filterRow(const uint8_t* row, const uint8_t* above, size_t rowBytes, size_t pixelBytes, uint8_t* out);

    std::vector<uint8_t> m_rows[2];  // the row being filtered and the one above, packed
    std::vector<uint8_t> m_upRow;
    std::vector<uint8_t> m_filtered;
    std::vector<uint8_t> m_output;
    std::vector<uint8_t> m_levelBuffer;  // the compressor's hash tables
};

} // namespace varnel_tool

#endif
