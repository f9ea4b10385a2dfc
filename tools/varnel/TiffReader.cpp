// TIFF input through libtiff: RGB, grey, palette, CMYK or Lab images of 1
// to 16 bits per sample (Lab: 8 or 16) with their ICC profile, in strips or
// tiles, interleaved or one plane per sample, with optional alpha; YCbCr is
// decoded to RGB by libtiff (JPEG-compressed and interleaved by its JPEG
// decoder, the rest through its RGBA interface). Memory holds one strip of
// interleaved samples (one row per plane for larger strips and for planes
// apart), one strip for YCbCr outside JPEG, one row of tiles for tiled
// images.
#include "ImageFormats.h"
#include "TiffMessages.h"
#include "ToolError.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace varnel_tool {

namespace {

// Colour, alpha and extra channels such as spot colours.
constexpr uint16_t kMaxSamplesPerPixel = 32;
// Interleaved strips up to this size are decoded whole, which lets libtiff
// inflate a Deflate strip with libdeflate; larger ones row by row.
constexpr uint64_t kMaxWholeStripBytes = uint64_t{8} << 20;

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// The handle at the given page (the first is 1).
TiffHandle openTiffHandle(const std::string& path, uint32_t page) {
    captureTiffMessages();
    // "m": no memory mapping, which would count the whole file as resident.
    TiffHandle tiff(TIFFOpen(path.c_str(), "rm"));
    if (tiff == nullptr) throw ToolError("cannot read '" + path + "': " + lastTiffError());
    if (page > 1 && TIFFSetDirectory(tiff.get(), static_cast<tdir_t>(page - 1)) == 0) {
        throw ToolError("cannot read '" + path + "': it has no page " + std::to_string(page));
    }
    return tiff;
}

// Reads count samples of bits each (1 to 16), most significant bit first as
// TIFF packs them; 16-bit samples come in host order from libtiff.
void unpackSamples(const uint8_t* packed, size_t count, int bits, uint16_t* out) {
    if (bits == 8) {
        for (size_t i = 0; i < count; ++i) out[i] = packed[i];
        return;
    }
    if (bits == 16) {
        std::memcpy(out, packed, count * 2);
        return;
    }
    uint32_t buffer = 0;
    int buffered = 0;
    for (size_t i = 0; i < count; ++i) {
        while (buffered < bits) {
            buffer = (buffer << 8) | *packed++;
            buffered += 8;
        }
        buffered -= bits;
        out[i] = static_cast<uint16_t>((buffer >> buffered) & ((1u << bits) - 1));
    }
}

// Four samples a pixel from count pixels of libtiff's RGBA raster.
void unpackRgba(const uint32_t* in, uint32_t count, uint16_t* out) {
    for (uint32_t x = 0; x < count; ++x, out += 4) {
        out[0] = static_cast<uint16_t>(TIFFGetR(in[x]));
        out[1] = static_cast<uint16_t>(TIFFGetG(in[x]));
        out[2] = static_cast<uint16_t>(TIFFGetB(in[x]));
        out[3] = static_cast<uint16_t>(TIFFGetA(in[x]));
    }
}

class TiffReader final : public ImageReader {
public:
    TiffReader(const std::string& path, uint32_t page);

protected:
    void readSourceRow(void* row) override;

private:
    void readFormat(SourceLayout& layout);
    // The resolution and orientation the file states.
    void readPlacement();
    void prepareStrips();
    void prepareTiles();
    void readStripRow();
    void readWholeStrip();
    void readRgbaStrip();
    void readRgbaTileBand();
    // Strips read whole (RGBA or interleaved): their rows; 0: row by row.
    uint32_t m_bandRowsPerStrip = 0;
    void readTileBand();
    uint64_t tileRowBytes() const;
    // Stored sample value to the value handed on: scaled to the 8 or 16
    // bits of the layout; palette indices become colours elsewhere.
    uint16_t scale(uint16_t value) const;
    // The value handed on for each stored value of each sample used, where
    // it differs from the stored one: made once, looked up per pixel.
    void prepareValueTables();
    std::vector<std::vector<uint16_t>> m_valueOf;
    // Rows handed on sample for sample as stored: interleaved, nothing
    // scaled, no sample left out.
    bool m_rowsAsStored = false;
    // Such rows of 8 or 16 bits in strips read whole: copied straight from
    // the decoded strip.
    bool m_rowsFromStrip = false;

    TiffHandle m_tiff;
    uint32_t m_page;  // the first is 1
    // One plane per sample in strips: a handle of its own for each plane
    // beyond the first, so that every plane is decoded front to back.
    std::vector<TiffHandle> m_planeHandles;
    uint32_t m_nextRow = 0;
    int m_bits = 8;            // bits per stored sample
    int m_outputBits = 8;      // bits per sample handed on
    uint16_t m_samplesStored = 1;  // per pixel
    uint16_t m_samplesUsed = 1;    // colour samples and alpha, the first stored ones
    bool m_planar = false;
    bool m_tiled = false;
    // Strips or tiles decoded by libtiff's RGBA interface, four samples per
    // pixel.
    bool m_viaRgba = false;
    std::vector<uint32_t> m_rgba;
    uint32_t m_tileWidth = 0, m_tileLength = 0;
    // Unpacked samples of the current band, one vector per plane: one row
    // for strips, one row of tiles for tiled images.
    std::vector<std::vector<uint16_t>> m_band;
    uint32_t m_bandFirstRow = 0, m_bandRows = 0;
    std::vector<uint8_t> m_packed;  // one stored scanline, strip or tile
    // Palette images: the colour of each index, R, G, B at 16 bits.
    std::vector<uint16_t> m_palette;
    // Lab images: CIELAB stores a and b as signed numbers (16 bits: in
    // 1/256), ICCLAB in the ICC version 2 encoding; both are handed on in
    // the ICC version 4 encoding (8 bits: offset 128; 16 bits: 0x8080 is 0).
    enum class LabEncoding { None, Cie, Icc } m_lab = LabEncoding::None;
    uint16_t labSample(uint16_t value, uint16_t sample) const;
};

TiffReader::TiffReader(const std::string& path, uint32_t page)
    : ImageReader(path), m_tiff(openTiffHandle(path, page)), m_page(page) {
    setPageCount(TIFFNumberOfDirectories(m_tiff.get()));
    SourceLayout layout;
    readFormat(layout);
    setLayout(layout);
    prepareValueTables();
    m_rowsAsStored = m_palette.empty() && !m_planar && m_samplesUsed == m_samplesStored &&
                     std::all_of(m_valueOf.begin(), m_valueOf.end(), [](const auto& table) { return table.empty(); });
    m_band.resize(m_planar ? m_samplesUsed : 1);
    if (m_tiled) {
        prepareTiles();
    } else {
        prepareStrips();
    }
}

void TiffReader::readFormat(SourceLayout& layout) {
    TIFF* tiff = m_tiff.get();
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &m_samplesStored);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric)) fail("no photometric interpretation");
    if (format == SAMPLEFORMAT_IEEEFP) fail("floating-point samples are not supported, only integers of 1 to 16 bits");
    if (format != SAMPLEFORMAT_UINT && format != SAMPLEFORMAT_VOID) {
        fail("signed or complex samples are not supported, only unsigned integers of 1 to 16 bits");
    }
    // Rows hold every stored sample, so their number bounds a row's size.
    if (m_samplesStored > kMaxSamplesPerPixel) {
        fail(std::to_string(m_samplesStored) + " samples per pixel are too many; at most " +
             std::to_string(kMaxSamplesPerPixel) + " are supported");
    }
    if (bits < 1 || bits > 16) fail(std::to_string(bits) + "-bit samples are not supported, only 1 to 16 bits");
    if (photometric == PHOTOMETRIC_YCBCR) {
        if (bits != 8) fail("YCbCr is supported with 8 bits only, not " + std::to_string(bits));
        if (compression == COMPRESSION_JPEG && planar == PLANARCONFIG_CONTIG) {
            // libtiff's JPEG decoder converts to RGB itself.
            TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        } else {
            // Subsampled blocks or one plane per sample: libtiff's RGBA
            // interface converts them, a strip or a tile at a time, as RGBA.
            char why[1024] = {0};
            if (!TIFFRGBAImageOK(tiff, why)) fail(why);
            m_viaRgba = true;
            m_samplesStored = 4;
            planar = PLANARCONFIG_CONTIG;
        }
        photometric = PHOTOMETRIC_RGB;
    }
    readPlacement();
    m_bits = bits;
    m_outputBits = bits <= 8 ? 8 : 16;
    layout.width = width;
    layout.height = height;
    uint16_t colourSamples = 1;
    uint16_t inkSet = INKSET_CMYK;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
    if (photometric == PHOTOMETRIC_RGB) {
        colourSamples = 3;
    } else if (photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK) {
        colourSamples = 4;
        layout.model = ColourModel::Cmyk;
    } else if (photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB) {
        if (bits != 8 && bits != 16) fail("Lab images are supported with 8 or 16 bits, not " + std::to_string(bits));
        colourSamples = 3;
        layout.model = ColourModel::Lab;
        m_lab = photometric == PHOTOMETRIC_CIELAB ? LabEncoding::Cie : LabEncoding::Icc;
    } else if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
        layout.model = ColourModel::Grey;
        layout.greyInverted = photometric == PHOTOMETRIC_MINISWHITE;
    } else if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (bits > 8 || !TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue)) fail("a palette image without a usable colour map");
        const size_t entries = size_t{1} << bits;
        // Some writers store 8-bit colour maps: every entry then fits in a byte.
        bool eightBit = true;
        for (size_t i = 0; i < entries; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const uint16_t factor = eightBit ? 257 : 1;
        for (size_t i = 0; i < entries; ++i) {
            m_palette.insert(m_palette.end(), {static_cast<uint16_t>(red[i] * factor),
                                               static_cast<uint16_t>(green[i] * factor),
                                               static_cast<uint16_t>(blue[i] * factor)});
        }
        m_outputBits = 16;
    } else if (photometric == PHOTOMETRIC_SEPARATED) {
        fail("separated images of inks other than CMYK are not supported");
    } else {
        fail("photometric interpretation " + std::to_string(photometric) +
             " is not supported, only RGB, grey, palette, CMYK or Lab");
    }
    if (m_samplesStored < colourSamples) fail("too few samples per pixel");
    uint16_t extraCount = 0;
    uint16_t* extraKinds = nullptr;
    TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    const bool alpha = m_palette.empty() && colourSamples < 4 && m_lab == LabEncoding::None && m_samplesStored > colourSamples && extraCount > 0 && extraKinds != nullptr &&
                       (extraKinds[0] == EXTRASAMPLE_ASSOCALPHA || extraKinds[0] == EXTRASAMPLE_UNASSALPHA);
    if (alpha) {
        layout.alphaIndex = colourSamples;
        layout.alphaPremultiplied = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    m_samplesUsed = static_cast<uint16_t>(colourSamples + (alpha ? 1 : 0));
    uint32_t profileBytes = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileBytes, &profile) && profile != nullptr) {
        const auto* bytes = static_cast<const uint8_t*>(profile);
        setEmbeddedProfile(std::vector<uint8_t>(bytes, bytes + profileBytes));
    }
    m_planar = planar == PLANARCONFIG_SEPARATE && m_samplesStored > 1;
    m_tiled = TIFFIsTiled(tiff) != 0;
    layout.bits = m_outputBits;
    layout.samplesPerPixel = m_palette.empty() ? m_samplesUsed : 3;
}

void TiffReader::readPlacement() {
    TIFF* tiff = m_tiff.get();
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    setOrientation(Orientation(orientation));
    // libtiff's RGBA interface would turn the rows itself; they are to come
    // in stored order, as from every other path, and be turned once.
    if (m_viaRgba) TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y)) {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        if (unit == RESUNIT_INCH) setResolution(Resolution::perInch(x, y));
        if (unit == RESUNIT_CENTIMETER) setResolution(Resolution::perCentimetre(x, y));
    }
}

void TiffReader::prepareStrips() {
    if (m_viaRgba) {
        uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(m_tiff.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::max(1u, std::min(rowsPerStrip, storedHeight()));
        // Four bytes per pixel in libtiff's raster, two per sample here.
        if (uint64_t{12} * rowsPerStrip * storedWidth() > kMaxWholeImageBytes) {
            fail("a strip of " + std::to_string(rowsPerStrip) + " rows needs more than " +
                 std::to_string(kMaxWholeImageBytes >> 20) + " MiB");
        }
        m_rgba.resize(static_cast<size_t>(rowsPerStrip) * storedWidth());
        m_band[0].resize(m_rgba.size() * 4);
        m_bandRowsPerStrip = rowsPerStrip;
        return;
    }
    for (uint16_t s = 1; m_planar && s < m_samplesUsed; ++s) m_planeHandles.push_back(openTiffHandle(path(), m_page));
    const tmsize_t scanline = TIFFScanlineSize(m_tiff.get());
    if (scanline <= 0) fail(lastTiffError());
    m_packed.resize(static_cast<size_t>(scanline));
    const size_t samplesPerPlaneRow = static_cast<size_t>(storedWidth()) * (m_planar ? 1 : m_samplesStored);
    // libtiff's scanline size must hold the samples unpacked from it.
    if (static_cast<uint64_t>(scanline) * 8 < static_cast<uint64_t>(samplesPerPlaneRow) * m_bits) {
        fail("the scanline size does not fit the image width");
    }
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(m_tiff.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::max(1u, std::min(rowsPerStrip, storedHeight()));
    const uint64_t stripBytes = TIFFStripSize64(m_tiff.get());
    if (!m_planar && stripBytes == static_cast<uint64_t>(scanline) * rowsPerStrip &&
        uint64_t{2} * rowsPerStrip * samplesPerPlaneRow <= kMaxWholeStripBytes) {
        m_bandRowsPerStrip = rowsPerStrip;
        m_packed.resize(static_cast<size_t>(stripBytes));
        m_rowsFromStrip = m_rowsAsStored && m_bits == m_outputBits;
        if (!m_rowsFromStrip) m_band[0].resize(rowsPerStrip * samplesPerPlaneRow);
        return;
    }
    for (auto& plane : m_band) plane.resize(samplesPerPlaneRow);
}

void TiffReader::prepareTiles() {
    TIFFGetField(m_tiff.get(), TIFFTAG_TILEWIDTH, &m_tileWidth);
    TIFFGetField(m_tiff.get(), TIFFTAG_TILELENGTH, &m_tileLength);
    const tmsize_t tileBytes = TIFFTileSize(m_tiff.get());
    if (m_tileWidth == 0 || m_tileLength == 0 || tileBytes <= 0) fail("the tile size is missing or invalid");
    if (m_viaRgba) {
        // libtiff's raster of one tile, four bytes a pixel, and a row of
        // tiles here, four samples of two bytes a pixel.
        const uint64_t rows = std::min(m_tileLength, storedHeight());
        if (uint64_t{4} * m_tileWidth * m_tileLength > kMaxWholeImageBytes ||
            uint64_t{8} * rows * storedWidth() > kMaxWholeImageBytes) {
            fail("a row of " + std::to_string(m_tileWidth) + "x" + std::to_string(m_tileLength) +
                 " tiles needs more than " + std::to_string(kMaxWholeImageBytes >> 20) + " MiB");
        }
        m_rgba.resize(static_cast<size_t>(m_tileWidth) * m_tileLength);
        m_band[0].resize(static_cast<size_t>(rows) * storedWidth() * 4);
        return;
    }
    const uint64_t samplesPerPixel = m_planar ? 1 : m_samplesStored;
    const uint64_t bandBytes = uint64_t{2} * std::min(m_tileLength, storedHeight()) * storedWidth() * samplesPerPixel *
                               m_band.size();
    if (bandBytes > kMaxWholeImageBytes || static_cast<uint64_t>(tileBytes) > kMaxWholeImageBytes) {
        fail("a row of " + std::to_string(m_tileWidth) + "x" + std::to_string(m_tileLength) +
             " tiles needs more than " + std::to_string(kMaxWholeImageBytes >> 20) + " MiB");
    }
    // Every row of a tile, as unpacked, must lie within what libtiff decodes.
    if (static_cast<uint64_t>(tileBytes) < tileRowBytes() * m_tileLength) {
        fail("the tile size does not fit the tile dimensions");
    }
    m_packed.resize(static_cast<size_t>(tileBytes));
    for (auto& plane : m_band) plane.resize(static_cast<size_t>(std::min(m_tileLength, storedHeight())) * storedWidth() * samplesPerPixel);
}

void TiffReader::readRgbaStrip() {
    const uint32_t top = m_nextRow - m_nextRow % m_bandRowsPerStrip;
    const uint32_t rows = std::min(m_bandRowsPerStrip, storedHeight() - top);
    if (TIFFReadRGBAStrip(m_tiff.get(), top, m_rgba.data()) == 0) fail(lastTiffError());
    // The raster holds the strip's rows bottom up.
    for (uint32_t r = 0; r < rows; ++r) {
        const uint32_t* in = m_rgba.data() + static_cast<size_t>(rows - 1 - r) * storedWidth();
        uint16_t* out = m_band[0].data() + static_cast<size_t>(r) * storedWidth() * 4;
        unpackRgba(in, storedWidth(), out);
    }
    m_bandFirstRow = top;
    m_bandRows = rows;
}

void TiffReader::readRgbaTileBand() {
    const uint32_t top = m_nextRow - m_nextRow % m_tileLength;
    const uint32_t rows = std::min(m_tileLength, storedHeight() - top);
    for (uint32_t left = 0; left < storedWidth(); left += m_tileWidth) {
        if (TIFFReadRGBATile(m_tiff.get(), left, top, m_rgba.data()) == 0) fail(lastTiffError());
        // The raster is a whole tile, bottom up, even at the edges.
        const uint32_t columns = std::min(m_tileWidth, storedWidth() - left);
        for (uint32_t r = 0; r < rows; ++r) {
            const uint32_t* in = m_rgba.data() + static_cast<size_t>(m_tileLength - 1 - r) * m_tileWidth;
            uint16_t* out = m_band[0].data() + (static_cast<size_t>(r) * storedWidth() + left) * 4;
            unpackRgba(in, columns, out);
        }
    }
    m_bandFirstRow = top;
    m_bandRows = rows;
}

void TiffReader::readStripRow() {
    const size_t samples = m_band[0].size();
    for (size_t plane = 0; plane < m_band.size(); ++plane) {
        TIFF* tiff = plane == 0 ? m_tiff.get() : m_planeHandles[plane - 1].get();
        if (TIFFReadScanline(tiff, m_packed.data(), m_nextRow, static_cast<uint16_t>(plane)) < 0) fail(lastTiffError());
        unpackSamples(m_packed.data(), samples, m_bits, m_band[plane].data());
    }
    m_bandFirstRow = m_nextRow;
    m_bandRows = 1;
}

void TiffReader::readWholeStrip() {
    TIFF* tiff = m_tiff.get();
    const uint32_t top = m_nextRow - m_nextRow % m_bandRowsPerStrip;
    const uint32_t rows = std::min(m_bandRowsPerStrip, storedHeight() - top);
    const tmsize_t bytes = TIFFVStripSize(tiff, rows);
    const size_t scanline = m_packed.size() / m_bandRowsPerStrip;
    if (bytes <= 0 || static_cast<size_t>(bytes) != rows * scanline) fail("the strip size does not fit its rows");
    if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, 0), m_packed.data(), bytes) != bytes) {
        fail(lastTiffError());
    }
    const size_t samples = m_band[0].size() / m_bandRowsPerStrip;
    for (uint32_t r = 0; r < rows && !m_rowsFromStrip; ++r) {
        unpackSamples(m_packed.data() + r * scanline, samples, m_bits, m_band[0].data() + r * samples);
    }
    m_bandFirstRow = top;
    m_bandRows = rows;
}

void TiffReader::readTileBand() {
    const uint32_t top = m_nextRow - m_nextRow % m_tileLength;
    const uint32_t rows = std::min(m_tileLength, storedHeight() - top);
    const size_t samplesPerPixel = m_planar ? 1 : m_samplesStored;
    std::vector<uint16_t> unpacked(static_cast<size_t>(m_tileWidth) * samplesPerPixel);
    for (size_t plane = 0; plane < m_band.size(); ++plane) {
        for (uint32_t left = 0; left < storedWidth(); left += m_tileWidth) {
            if (TIFFReadTile(m_tiff.get(), m_packed.data(), left, top, 0, static_cast<uint16_t>(plane)) < 0) {
                fail(lastTiffError());
            }
            const size_t columns = std::min(m_tileWidth, storedWidth() - left);
            for (uint32_t r = 0; r < rows; ++r) {
                unpackSamples(m_packed.data() + r * tileRowBytes(), unpacked.size(), m_bits, unpacked.data());
                std::copy(unpacked.begin(), unpacked.begin() + columns * samplesPerPixel,
                          m_band[plane].begin() + (static_cast<size_t>(r) * storedWidth() + left) * samplesPerPixel);
            }
        }
    }
    m_bandFirstRow = top;
    m_bandRows = rows;
}

uint64_t TiffReader::tileRowBytes() const {
    // Each row of a tile starts on a byte.
    return (uint64_t{m_tileWidth} * (m_planar ? 1 : m_samplesStored) * m_bits + 7) / 8;
}

uint16_t TiffReader::labSample(uint16_t value, uint16_t sample) const {
    if (m_bits == 8) return sample == 0 || m_lab == LabEncoding::Icc ? value : static_cast<uint16_t>(value ^ 0x80);
    uint32_t v4 = 0;
    if (m_lab == LabEncoding::Cie) {
        // L: 0 to 65535 as in version 4; a, b: (x + 128) * 257 for x = value / 256.
        if (sample == 0) return value;
        v4 = ((static_cast<uint32_t>(value ^ 0x8000) * 257u) + 128u) / 256u;
    } else {
        // Version 2: L 0 to 65280, a and b (x + 128) * 256; version 4 scales by 65535 / 65280 and 257 / 256.
        v4 = sample == 0 ? (value * 65535u + 32640u) / 65280u : (value * 257u + 128u) / 256u;
    }
    return static_cast<uint16_t>(std::min<uint32_t>(v4, 65535u));
}

uint16_t TiffReader::scale(uint16_t value) const {
    if (m_bits == m_outputBits) return value;
    const uint32_t max = (1u << m_bits) - 1;
    const uint32_t target = m_outputBits == 8 ? 255u : 65535u;
    return static_cast<uint16_t>((value * target + max / 2) / max);
}

void TiffReader::prepareValueTables() {
    m_valueOf.resize(m_samplesUsed);
    for (uint16_t s = 0; s < m_samplesUsed; ++s) {
        const bool lab = m_lab != LabEncoding::None && !(m_bits == 8 && (s == 0 || m_lab == LabEncoding::Icc));
        if (m_bits == m_outputBits && !lab) continue;  // handed on as stored
        m_valueOf[s].resize(size_t{1} << m_bits);
        for (uint32_t v = 0; v < m_valueOf[s].size(); ++v) {
            m_valueOf[s][v] = m_lab != LabEncoding::None ? labSample(static_cast<uint16_t>(v), s) : scale(static_cast<uint16_t>(v));
        }
    }
}

// Every step-th value from in, through the table unless it is empty, to
// every stride-th place of out.
template <typename Sample>
void copySamples(const uint16_t* in, size_t step, const std::vector<uint16_t>& table, Sample* out, size_t stride,
                 uint32_t count) {
    if (table.empty()) {
        for (uint32_t x = 0; x < count; ++x) out[x * stride] = static_cast<Sample>(in[x * step]);
    } else {
        for (uint32_t x = 0; x < count; ++x) out[x * stride] = static_cast<Sample>(table[in[x * step]]);
    }
}

void TiffReader::readSourceRow(void* row) {
    if (m_nextRow >= storedHeight()) fail("read past the last row");
    if (m_nextRow >= m_bandFirstRow + m_bandRows) {
        if (m_tiled && m_viaRgba) {
            readRgbaTileBand();
        } else if (m_tiled) {
            readTileBand();
        } else if (m_viaRgba) {
            readRgbaStrip();
        } else if (m_bandRowsPerStrip > 0) {
            readWholeStrip();
        } else {
            readStripRow();
        }
    }
    const size_t samplesPerPixel = m_planar ? 1 : m_samplesStored;
    const size_t rowOffset = static_cast<size_t>(m_nextRow - m_bandFirstRow) * storedWidth() * samplesPerPixel;
    ++m_nextRow;
    if (!m_palette.empty()) {
        const uint16_t* indices = m_band[0].data() + rowOffset;
        auto* out = static_cast<uint16_t*>(row);
        for (uint32_t x = 0; x < storedWidth(); ++x, out += 3) {
            const uint16_t* colour = m_palette.data() + 3 * size_t{indices[x * samplesPerPixel]};
            out[0] = colour[0];
            out[1] = colour[1];
            out[2] = colour[2];
        }
        return;
    }
    if (m_rowsFromStrip) {
        const size_t scanline = m_packed.size() / m_bandRowsPerStrip;
        std::memcpy(row, m_packed.data() + (m_nextRow - 1 - m_bandFirstRow) * scanline,
                    storedWidth() * samplesPerPixel * (m_bits / 8));
        return;
    }
    if (m_rowsAsStored) {
        const uint16_t* in = m_band[0].data() + rowOffset;
        const size_t samples = storedWidth() * samplesPerPixel;
        if (m_outputBits == 8) {
            auto* out = static_cast<uint8_t*>(row);
            for (size_t i = 0; i < samples; ++i) out[i] = static_cast<uint8_t>(in[i]);
        } else {
            std::memcpy(row, in, samples * 2);
        }
        return;
    }
    for (uint16_t s = 0; s < m_samplesUsed; ++s) {
        const uint16_t* in = m_planar ? m_band[s].data() + rowOffset : m_band[0].data() + rowOffset + s;
        if (m_outputBits == 8) {
            copySamples(in, samplesPerPixel, m_valueOf[s], static_cast<uint8_t*>(row) + s, m_samplesUsed, storedWidth());
        } else {
            copySamples(in, samplesPerPixel, m_valueOf[s], static_cast<uint16_t*>(row) + s, m_samplesUsed, storedWidth());
        }
    }
}

} // namespace

std::unique_ptr<ImageReader> openTiff(const std::string& path, uint32_t page) {
    return std::make_unique<TiffReader>(path, page);
}

} // namespace varnel_tool
