#include "ZstdStripEncoder.h"

#include "ToolError.h"

#include <zstd.h>

namespace varnel_tool {

ZstdStripEncoder::ZstdStripEncoder(int level) : m_context(ZSTD_createCCtx()), m_level(level) {
    if (m_context == nullptr) throw ToolError("cannot set up Zstandard compression");
}

ZstdStripEncoder::~ZstdStripEncoder() {
    ZSTD_freeCCtx(m_context);
}

void ZstdStripEncoder::encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) {
    out.resize(ZSTD_compressBound(bytes));
    const size_t written = ZSTD_compressCCtx(m_context, out.data(), out.size(), samples, bytes, m_level);
    if (ZSTD_isError(written)) {
        throw ToolError(std::string("cannot compress image data with Zstandard: ") + ZSTD_getErrorName(written));
    }
    out.resize(written);
}

} // namespace varnel_tool
