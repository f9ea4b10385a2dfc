// Writes a separated (ink) TIFF the way prepress software and libtiff
// expect it: PhotometricInterpretation Separated, InkSet CMYK for exactly
// four inks and MultiInk otherwise, NumberOfInks and InkNames for every
// channel, Deflate-compressed strips. For more than four inks libtiff
// counts only four colour channels in a separated image and warns when
// ExtraSamples does not account for the rest, so the channels past the
// fourth are declared as unspecified extra samples.
//
// Strips are compressed by the caller (one StripCompressor per thread) and
// written in order with writeStrip, so compression runs in parallel while
// the file stays byte for byte the same.
#ifndef VARNEL_TOOL_SEPARATEDTIFFWRITER_H
#define VARNEL_TOOL_SEPARATEDTIFFWRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

typedef struct tiff TIFF;

namespace varnel_tool {

class SeparatedTiffWriter {
public:
    SeparatedTiffWriter(const std::string& path, uint32_t width, uint32_t height, int bits,
                        const std::vector<std::string>& inkNames, uint32_t rowsPerStrip);
    ~SeparatedTiffWriter();
    SeparatedTiffWriter(const SeparatedTiffWriter&) = delete;
    SeparatedTiffWriter& operator=(const SeparatedTiffWriter&) = delete;

    // Rows per strip for about 64 KiB of uncompressed data per strip; it
    // depends only on the image, never on the number of threads.
    static uint32_t rowsPerStripFor(uint32_t width, int channels, int bits);
    void writeStrip(uint32_t strip, const std::vector<uint8_t>& compressed);
    // Writes the directory and closes the file. Throws ToolError.
    void finish();

private:
    std::string m_path;
    TIFF* m_tiff = nullptr;
};

// Deflate (zlib format, as TIFF's Adobe Deflate wants it) of one strip at a
// time. It keeps one zlib stream for all strips: setting a stream up for
// every strip costs allocations that the memory allocator hands back to
// the system each time, which took a fifth of the run time.
class StripCompressor {
public:
    StripCompressor();
    ~StripCompressor();
    StripCompressor(const StripCompressor&) = delete;
    StripCompressor& operator=(const StripCompressor&) = delete;

    // Replaces out with the compressed strip. Throws ToolError.
    void compress(const void* data, size_t bytes, std::vector<uint8_t>& out);

private:
    z_stream m_stream{};
};

} // namespace varnel_tool

#endif
