#include "RgbTiffWriter.h"

#include "TiffMessages.h"
#include "ToolError.h"

#include <tiffio.h>

namespace varnel_tool {

RgbTiffWriter::RgbTiffWriter(const std::string& path, uint32_t width, uint32_t height, int bits) : m_path(path) {
    captureTiffMessages();
    const uint64_t bytes = static_cast<uint64_t>(width) * height * 3 * (bits / 8);
    m_tiff = TIFFOpen(path.c_str(), bytes > 0xF0000000ull ? "w8" : "w");
    if (m_tiff == nullptr) throw ToolError("cannot write '" + path + "': " + lastTiffError());
    const uint64_t rowBytes = static_cast<uint64_t>(width) * 3 * (bits / 8);
    const uint32_t rowsPerStrip = rowBytes >= 65536 ? 1 : static_cast<uint32_t>(65536 / rowBytes);
    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
}

RgbTiffWriter::~RgbTiffWriter() {
    if (m_tiff != nullptr) TIFFClose(m_tiff);
}

void RgbTiffWriter::writeRow(const void* row) {
    if (TIFFWriteScanline(m_tiff, const_cast<void*>(row), m_row++, 0) < 0) {
        throw ToolError("cannot write '" + m_path + "': " + lastTiffError());
    }
}

void RgbTiffWriter::finish() {
    const bool ok = TIFFWriteDirectory(m_tiff) != 0;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    if (!ok) throw ToolError("cannot write '" + m_path + "': " + lastTiffError());
}

} // namespace varnel_tool
