// TIFF input through libtiff: strip-organised RGB or grey images, 8 or 16
// bits, interleaved or one plane per sample, with optional alpha.
#include "ImageFormats.h"
#include "TiffMessages.h"
#include "ToolError.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace varnel_tool {

namespace {

class TiffReader final : public ImageReader {
public:
    explicit TiffReader(const std::string& path);
    ~TiffReader() override { TIFFClose(m_tiff); }

protected:
    void readSourceRow(void* row) override;

private:
    [[noreturn]] void fail(const std::string& why) const;
    void readPlanarRow(void* row);

    TIFF* m_tiff = nullptr;
    uint32_t m_nextRow = 0;
    uint16_t m_samplesUsed = 0;
    size_t m_sampleBytes = 1;
    // One plane per sample: the current strip of each plane used, since
    // reading scanlines that alternate planes would restart the decoding
    // of each strip at every row.
    bool m_planar = false;
    uint32_t m_rowsPerStrip = 0;
    uint32_t m_stripStart = 0;
    uint32_t m_stripRows = 0;
    std::vector<std::vector<uint8_t>> m_planes;
};

TiffReader::TiffReader(const std::string& path) : ImageReader(path) {
    captureTiffMessages();
    // "m": no memory mapping, which would count the whole file as resident.
    m_tiff = TIFFOpen(path.c_str(), "rm");
    if (m_tiff == nullptr) throw ToolError("cannot read '" + path + "': " + lastTiffError());
    try {
        uint32_t width = 0, height = 0;
        uint16_t bits = 1, spp = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
        TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(m_tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(m_tiff, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(m_tiff, TIFFTAG_SAMPLEFORMAT, &format);
        if (!TIFFGetField(m_tiff, TIFFTAG_PHOTOMETRIC, &photometric)) fail("no photometric interpretation");
        if (TIFFIsTiled(m_tiff)) fail("tiled TIFF images are not supported, only strips");
        if (width == 0 || height == 0) fail("the image is empty");
        if (bits != 8 && bits != 16) fail(std::to_string(bits) + " bits per sample are not supported, only 8 or 16");
        if (format != SAMPLEFORMAT_UINT) fail("only unsigned integer samples are supported");
        SourceLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bits = bits;
        uint16_t colourSamples = 0;
        if (photometric == PHOTOMETRIC_RGB) {
            colourSamples = 3;
        } else if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
            colourSamples = 1;
            layout.grey = true;
            layout.greyInverted = photometric == PHOTOMETRIC_MINISWHITE;
        } else {
            fail("photometric interpretation " + std::to_string(photometric) + " is not supported, only RGB or grey");
        }
        if (spp < colourSamples) fail("too few samples per pixel");
        uint16_t extraCount = 0;
        uint16_t* extraKinds = nullptr;
        TIFFGetField(m_tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
        if (spp > colourSamples && extraCount > 0 && extraKinds != nullptr &&
            (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA)) {
            layout.alphaIndex = colourSamples;
            layout.alphaPremultiplied = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
        }
        m_samplesUsed = static_cast<uint16_t>(colourSamples + (layout.alphaIndex >= 0 ? 1 : 0));
        m_sampleBytes = bits / 8;
        m_planar = planar == PLANARCONFIG_SEPARATE;
        // The row handed to the converter holds only the samples used.
        layout.samplesPerPixel = m_planar ? m_samplesUsed : spp;
        if (m_planar) {
            TIFFGetFieldDefaulted(m_tiff, TIFFTAG_ROWSPERSTRIP, &m_rowsPerStrip);
            if (m_rowsPerStrip == 0 || m_rowsPerStrip > height) m_rowsPerStrip = height;
            m_planes.resize(m_samplesUsed);
        }
        setLayout(layout);
    } catch (...) {
        TIFFClose(m_tiff);
        throw;
    }
}

void TiffReader::fail(const std::string& why) const {
    throw ToolError("cannot read '" + path() + "': " + why);
}

void TiffReader::readSourceRow(void* row) {
    if (m_nextRow >= height()) fail("read past the last row");
    if (m_planar) {
        readPlanarRow(row);
    } else if (TIFFReadScanline(m_tiff, row, m_nextRow, 0) < 0) {
        fail(lastTiffError());
    }
    ++m_nextRow;
}

void TiffReader::readPlanarRow(void* row) {
    if (m_nextRow >= m_stripStart + m_stripRows || m_stripRows == 0) {
        const uint32_t stripInPlane = m_nextRow / m_rowsPerStrip;
        const uint32_t stripsPerPlane = (height() + m_rowsPerStrip - 1) / m_rowsPerStrip;
        m_stripStart = stripInPlane * m_rowsPerStrip;
        m_stripRows = std::min(m_rowsPerStrip, height() - m_stripStart);
        const size_t planeBytes = static_cast<size_t>(m_stripRows) * width() * m_sampleBytes;
        for (uint16_t s = 0; s < m_samplesUsed; ++s) {
            m_planes[s].assign(planeBytes, 0);
            const uint32_t strip = s * stripsPerPlane + stripInPlane;
            if (TIFFReadEncodedStrip(m_tiff, strip, m_planes[s].data(), static_cast<tmsize_t>(planeBytes)) < 0) {
                fail(lastTiffError());
            }
        }
    }
    const size_t offset = static_cast<size_t>(m_nextRow - m_stripStart) * width() * m_sampleBytes;
    auto* out = static_cast<uint8_t*>(row);
    for (uint32_t x = 0; x < width(); ++x) {
        for (uint16_t s = 0; s < m_samplesUsed; ++s) {
            std::memcpy(out, m_planes[s].data() + offset + x * m_sampleBytes, m_sampleBytes);
            out += m_sampleBytes;
        }
    }
}

} // namespace

std::unique_ptr<ImageReader> openTiff(const std::string& path) {
    return std::make_unique<TiffReader>(path);
}

} // namespace varnel_tool
