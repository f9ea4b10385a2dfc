// Deflate in the zlib format (as TIFF's Adobe Deflate stores it) with
// libdeflate, which compresses a whole strip in one call at two to four
// times zlib's speed for the same size.
#ifndef VARNEL_TOOL_DEFLATESTRIPENCODER_H
#define VARNEL_TOOL_DEFLATESTRIPENCODER_H

#include "StripEncoder.h"

struct libdeflate_compressor;

namespace varnel_tool {

class DeflateStripEncoder : public StripEncoder {
public:
    explicit DeflateStripEncoder(int level);
    ~DeflateStripEncoder() override;
    DeflateStripEncoder(const DeflateStripEncoder&) = delete;
    DeflateStripEncoder& operator=(const DeflateStripEncoder&) = delete;

    void encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) override;

private:
    libdeflate_compressor* m_compressor;
};

} // namespace varnel_tool

#endif
