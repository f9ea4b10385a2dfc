#include "StripEncoder.h"

#include "DeflateStripEncoder.h"
#include "ZstdStripEncoder.h"

namespace varnel_tool {

namespace {

class UnchangedStripEncoder : public StripEncoder {
public:
    void encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) override {
        out.assign(samples, samples + bytes);
    }
};

} // namespace

std::unique_ptr<StripEncoder> StripEncoder::create(const TiffCompression& compression) {
    switch (compression.codec) {
    case TiffCompression::Codec::Deflate: return std::make_unique<DeflateStripEncoder>(compression.level);
    case TiffCompression::Codec::Zstd: return std::make_unique<ZstdStripEncoder>(compression.level);
    case TiffCompression::Codec::Lzw:
    case TiffCompression::Codec::None: break;
    }
    return std::make_unique<UnchangedStripEncoder>();
}

} // namespace varnel_tool
