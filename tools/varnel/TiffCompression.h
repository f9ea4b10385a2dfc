// How the separated TIFF's strips are compressed: the codec (--compression)
// and its level (--level). Deflate, Zstandard and uncompressed strips are
// encoded on the worker threads and written raw; LZW is left to libtiff's
// own encoder on the writing thread.
//
// Compressed strips carry TIFF's horizontal predictor (each sample stored as
// the difference to the same ink one pixel to the left): separations are
// smooth, and with it Deflate files come out some 4 % smaller at no
// measurable cost. Every TIFF reader undoes it.
#ifndef VARNEL_TOOL_TIFFCOMPRESSION_H
#define VARNEL_TOOL_TIFFCOMPRESSION_H

#include <cstdint>
#include <string>

namespace varnel_tool {

struct TiffCompression {
    enum class Codec { Deflate, Zstd, Lzw, None };
    Codec codec = Codec::Deflate;
    int level = 0;  // of Deflate (1 to 12) or Zstandard (1 to 19)

    // From the option values; an empty level takes the codec's default.
    // Throws UsageError for an unknown codec or a level out of its range.
    static TiffCompression parse(const std::string& codec, const std::string& level);

    uint16_t tiffScheme() const;  // the Compression tag's value
    bool usesPredictor() const { return codec != Codec::None; }
    bool encodedByWorkers() const { return codec != Codec::Lzw; }
};

} // namespace varnel_tool

#endif
