// Writes a PNG (grey or RGB, 8 or 16 bits): the ink plates, the proof, the
// TAC map and the test chart. The image data is one zlib stream made of
// segments that PngRowDeflater compresses anywhere, on any thread; the
// writer frames them in order as IDAT chunks. writeRow compresses rows on
// the calling thread instead.
#ifndef VARNEL_TOOL_PNGWRITER_H
#define VARNEL_TOOL_PNGWRITER_H

#include "PendingFile.h"
#include "PngRowDeflater.h"
#include "Resolution.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace varnel_tool {

class PngWriter {
public:
    // channels: 1 (grey) or 3 (RGB); bits: 8 or 16; a known resolution
    // goes into a pHYs chunk. Throws ToolError.
    PngWriter(const PendingFile& file, uint32_t width, uint32_t height, int channels, int bits,
              const Resolution& resolution = Resolution());
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // The next rows, compressed elsewhere. Throws ToolError.
    void writeSegment(const PngSegment& segment);
    // One row of width * channels samples; 16-bit samples in host order.
    void writeRow(const void* row);
    // Ends the image and closes the file. Throws ToolError, also when the
    // rows written are not the image's height.
    void finish();

private:
    void writeHeader(const Resolution& resolution);
    void writeChunk(const char type[4], const uint8_t* data, size_t size);
    void writeBytes(const void* data, size_t size);
    void flushRows();

    std::string m_name;  // the final name, for messages
    FILE* m_file = nullptr;
    uint32_t m_width;
    uint32_t m_height;
    int m_channels;
    int m_bits;
    uint32_t m_rowsWritten = 0;
    uint32_t m_adler = 1;  // of the whole stream so far
    // writeRow's rows not yet compressed, and what compresses them.
    std::vector<uint8_t> m_pendingRows;
    uint32_t m_pendingCount = 0;
    PngRowDeflater m_deflater;
    PngSegment m_segment;
};

} // namespace varnel_tool

#endif
