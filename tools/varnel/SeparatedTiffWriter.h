// Writes a separated (ink) TIFF the way prepress software and libtiff
// expect it: PhotometricInterpretation Separated, InkSet CMYK for exactly
// four inks and MultiInk otherwise, NumberOfInks and InkNames for every
// channel, compressed strips, and image resources (when given) that name
// the extra inks as spot channels. For more than four inks libtiff
// counts only four colour channels in a separated image and warns when
// ExtraSamples does not account for the rest, so the channels past the
// fourth are declared as unspecified extra samples.
//
// Strips are encoded by the caller (one StripEncoder per thread) and
// written in order with writeStrip, so compression runs in parallel while
// the file stays byte for byte the same; only LZW strips are encoded here.
//
// The file records where it belongs and what made it: the input's
// resolution, the orientation of its rows, the configuration and extra
// text (ImageDescription) and the tool's version (Software).
#ifndef VARNEL_TOOL_SEPARATEDTIFFWRITER_H
#define VARNEL_TOOL_SEPARATEDTIFFWRITER_H

#include "OutputMetadata.h"
#include "TiffCompression.h"
#include "TiffOutputFile.h"
#include "ToolError.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

// Whether the file is a BigTIFF (64-bit offsets). Many RIPs open only
// classic TIFFs, which end at 4 GiB, so Auto writes a classic TIFF unless
// the file cannot be one: uncompressed, the size is known beforehand;
// compressed, it is known only as the strips come, and a classic file that
// outgrows its limit stops with ClassicTiffFull, to be written again as a
// BigTIFF.
enum class BigTiff { Auto, Yes, No };

// Thrown by writeStrip when a classic TIFF under BigTiff::Auto would pass
// its limit.
class ClassicTiffFull : public ToolError {
public:
    explicit ClassicTiffFull(const std::string& message) : ToolError(message) {}
};

class SeparatedTiffWriter {
public:
    SeparatedTiffWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits,
                        const std::vector<std::string>& inkNames, uint32_t rowsPerStrip,
                        const TiffCompression& compression, const std::vector<uint8_t>& imageResources,
                        const OutputMetadata& metadata, BigTiff bigTiff);
    SeparatedTiffWriter(const SeparatedTiffWriter&) = delete;
    SeparatedTiffWriter& operator=(const SeparatedTiffWriter&) = delete;

    // Rows per strip for about 64 KiB of uncompressed data per strip; it
    // depends only on the image, never on the number of threads.
    static uint32_t rowsPerStripFor(uint32_t width, int channels, int bits);
    // The strip as the encoder of the compression left it.
    void writeStrip(uint32_t strip, const std::vector<uint8_t>& encoded);
    // Writes the directory and closes the file. Throws ToolError.
    void finish();

private:
    std::unique_ptr<TiffOutputFile> m_file;
    TIFF* m_tiff;
    bool m_encodeHere;
    BigTiff m_bigTiff;    // Yes once the file is a BigTIFF
    uint64_t m_bound = 0; // what the strips written so far may take at most
    std::string m_name;
};

} // namespace varnel_tool

#endif
