// Writes a separation as a multichannel PSD: one named spot channel per ink
// with its display colour, 8 or 16 bits, in the large-document variant
// (PSB) when a side exceeds the 30,000 pixels a PSD may have. Spot channels
// store the library's sense as it is: 255 (65535) is no ink.
//
// The pixel data is stored uncompressed, channel after channel. That is
// what lets it be streamed: the rows of each band go straight to their
// place in every channel, in bounded memory, where compressed channels
// would need each channel's whole size before the next one starts.
#ifndef VARNEL_TOOL_PSDWRITER_H
#define VARNEL_TOOL_PSDWRITER_H

#include "Inks.h"
#include "PendingFile.h"
#include "Resolution.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnel_tool {

class PsdWriter {
public:
    // Writes everything before the pixel data. Throws ToolError.
    PsdWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits, const std::vector<InkInfo>& inks,
              const Resolution& resolution);
    ~PsdWriter();
    PsdWriter(const PsdWriter&) = delete;
    PsdWriter& operator=(const PsdWriter&) = delete;

    // Rows of library values, channels per pixel, host order for 16 bits.
    void writeRows(uint32_t firstRow, uint32_t rows, const void* values);
    // Closes the file. Throws ToolError.
    void finish();

    static constexpr uint32_t kPsdSideLimit = 30000;

private:
    void writeAt(uint64_t offset, const uint8_t* data, size_t size);

    std::string m_name;  // the final name, for messages
    int m_file = -1;
    uint32_t m_width;
    uint32_t m_height;
    int m_bytes;  // per sample
    int m_channels;
    uint64_t m_dataStart = 0;
    std::vector<uint8_t> m_plane;  // one channel of a band, big-endian
};

} // namespace varnel_tool

#endif
