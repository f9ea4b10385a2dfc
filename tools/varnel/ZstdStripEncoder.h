// Zstandard, one frame per strip, as libtiff stores its ZSTD compression.
#ifndef VARNEL_TOOL_ZSTDSTRIPENCODER_H
#define VARNEL_TOOL_ZSTDSTRIPENCODER_H

#include "StripEncoder.h"

typedef struct ZSTD_CCtx_s ZSTD_CCtx;

namespace varnel_tool {

class ZstdStripEncoder : public StripEncoder {
public:
    explicit ZstdStripEncoder(int level);
    ~ZstdStripEncoder() override;
    ZstdStripEncoder(const ZstdStripEncoder&) = delete;
    ZstdStripEncoder& operator=(const ZstdStripEncoder&) = delete;

    void encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) override;

private:
    ZSTD_CCtx* m_context;
    int m_level;
};

} // namespace varnel_tool

#endif
