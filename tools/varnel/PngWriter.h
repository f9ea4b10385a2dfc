// Writes a PNG row by row (grey or RGB, 8 or 16 bits): the ink plates, the
// proof and the test chart.
#ifndef VARNEL_TOOL_PNGWRITER_H
#define VARNEL_TOOL_PNGWRITER_H

#include "Resolution.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace varnel_tool {

class PngWriter {
public:
    // channels: 1 (grey) or 3 (RGB); bits: 8 or 16; a known resolution
    // goes into a pHYs chunk. Throws ToolError.
    PngWriter(const std::string& path, uint32_t width, uint32_t height, int channels, int bits,
              const Resolution& resolution = Resolution());
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // One row of width * channels samples; 16-bit samples in host order.
    void writeRow(const void* row);
    // Ends the image and closes the file. Throws ToolError.
    void finish();

private:
    [[noreturn]] void fail() const;
    void release();

    std::string m_path;
    FILE* m_file = nullptr;
    void* m_png = nullptr;   // png_structp
    void* m_info = nullptr;  // png_infop
    char m_message[256] = {0};
};

} // namespace varnel_tool

#endif
