#include "RgbTiffWriter.h"

namespace varnel_tool {

namespace {

bool needsBigTiff(uint32_t width, uint32_t height, int bits) {
    // Uncompressed: the size is known, and past some 4 GB classic offsets end.
    return static_cast<uint64_t>(width) * height * 3 * (bits / 8) > 0xF0000000ull;
}

} // namespace

RgbTiffWriter::RgbTiffWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits)
    : m_file(file, needsBigTiff(width, height, bits)), m_tiff(m_file.tiff()) {
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

void RgbTiffWriter::writeRow(const void* row) {
    if (TIFFWriteScanline(m_tiff, const_cast<void*>(row), m_row++, 0) < 0) {
        m_file.fail();
    }
}

void RgbTiffWriter::finish() {
    m_file.finish();
}

} // namespace varnel_tool
