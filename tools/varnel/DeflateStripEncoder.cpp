#include "DeflateStripEncoder.h"

#include "ToolError.h"

#include <libdeflate.h>

namespace varnel_tool {

DeflateStripEncoder::DeflateStripEncoder(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (m_compressor == nullptr) throw ToolError("cannot set up Deflate compression");
}

DeflateStripEncoder::~DeflateStripEncoder() {
    libdeflate_free_compressor(m_compressor);
}

void DeflateStripEncoder::encode(const uint8_t* samples, size_t bytes, std::vector<uint8_t>& out) {
    out.resize(libdeflate_zlib_compress_bound(m_compressor, bytes));
    const size_t written = libdeflate_zlib_compress(m_compressor, samples, bytes, out.data(), out.size());
    // The bound always suffices; zero would mean it did not.
    if (written == 0) throw ToolError("cannot compress image data with Deflate");
    out.resize(written);
}

} // namespace varnel_tool
