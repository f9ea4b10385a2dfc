// Writes a PNG row by row (grey or RGB, 8 or 16 bits): the ink plates, the
// proof and the test chart.
#ifndef VARNEL_TOOL_PNGWRITER_H
#define VARNEL_TOOL_PNGWRITER_H

#include "PendingFile.h"
#include "Resolution.h"

#include <cstdint>
#include <cstdio>
#include <string>

struct png_struct_def;

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

    // One row of width * channels samples; 16-bit samples in host order.
    void writeRow(const void* row);
    // Ends the image and closes the file. Throws ToolError.
    void finish();

private:
    [[noreturn]] void fail() const;
    void release();
    // libpng's write and flush callbacks (png_rw_ptr, png_flush_ptr).
    static void writeData(png_struct_def* png, unsigned char* data, size_t size);
    static void flushData(png_struct_def* png);

    std::string m_name;  // the final name, for messages
    int m_error = 0;     // errno of the write that failed
    FILE* m_file = nullptr;
    void* m_png = nullptr;   // png_structp
    void* m_info = nullptr;  // png_infop
    char m_message[256] = {0};
};

} // namespace varnel_tool

#endif
