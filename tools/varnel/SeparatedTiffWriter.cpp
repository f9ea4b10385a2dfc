#include "SeparatedTiffWriter.h"

#include "TiffMessages.h"
#include "ToolError.h"

#include <tiffio.h>

#include <cstdio>
#include <varnel/separation.h>

namespace varnel_tool {

namespace {

// The strips a classic TIFF may hold: its 32-bit offsets end at 4 GiB, and
// the directory with its strip tables comes after the strips.
constexpr uint64_t kClassicTiffLimit = 0xF0000000ull;

std::string gibibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1u << 30));
    return text;
}

} // namespace

uint32_t SeparatedTiffWriter::rowsPerStripFor(uint32_t width, int channels, int bits) {
    const uint64_t rowBytes = static_cast<uint64_t>(width) * channels * (bits / 8);
    const uint64_t rows = (64 * 1024) / (rowBytes == 0 ? 1 : rowBytes);
    return rows == 0 ? 1 : static_cast<uint32_t>(rows);
}

SeparatedTiffWriter::SeparatedTiffWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits,
                                         const std::vector<std::string>& inkNames, uint32_t rowsPerStrip,
                                         const TiffCompression& compression,
                                         const std::vector<uint8_t>& imageResources,
                                         const OutputMetadata& metadata, BigTiff bigTiff)
    : m_encodeHere(!compression.encodedByWorkers()), m_bigTiff(bigTiff), m_name(file.finalPath()) {
    const std::string software = std::string("varnel ") + varnel_version_text();
    const uint16_t inks = static_cast<uint16_t>(inkNames.size());
    const uint64_t rawBytes = static_cast<uint64_t>(width) * height * inks * (bits / 8);
    if (compression.codec == TiffCompression::Codec::None && rawBytes > kClassicTiffLimit) {
        if (bigTiff == BigTiff::No) {
            throw ToolError("cannot write '" + m_name + "': its " + gibibytes(rawBytes) +
                            " do not fit a classic TIFF (--bigtiff no)");
        }
        m_bigTiff = BigTiff::Yes;
    }
    m_file = std::make_unique<TiffOutputFile>(file, m_bigTiff == BigTiff::Yes);
    m_tiff = m_file->tiff();
    // InkNames is one block of NUL-terminated names.
    std::string names;
    for (const std::string& name : inkNames) {
        names += name;
        names.push_back('\0');
    }
    bool ok = TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, width) &&
              TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, inks) &&
              TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bits)) &&
              TIFFSetField(m_tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) &&
              TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED) &&
              TIFFSetField(m_tiff, TIFFTAG_INKSET, inks == 4 ? INKSET_CMYK : INKSET_MULTIINK) &&
              TIFFSetField(m_tiff, TIFFTAG_NUMBEROFINKS, inks) &&
              TIFFSetField(m_tiff, TIFFTAG_INKNAMES, static_cast<int>(names.size()), names.c_str()) &&
              TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, compression.tiffScheme()) &&
              TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) &&
              TIFFSetField(m_tiff, TIFFTAG_ORIENTATION, metadata.orientation.value()) &&
              TIFFSetField(m_tiff, TIFFTAG_SOFTWARE, software.c_str());
    if (ok && !metadata.description.empty()) {
        ok = TIFFSetField(m_tiff, TIFFTAG_IMAGEDESCRIPTION, metadata.description.c_str());
    }
    if (ok && metadata.resolution.known()) {
        ok = TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, metadata.resolution.x) &&
             TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, metadata.resolution.y) &&
             TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    if (ok && compression.usesPredictor()) ok = TIFFSetField(m_tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (ok && !imageResources.empty()) {
        ok = TIFFSetField(m_tiff, TIFFTAG_PHOTOSHOP, static_cast<uint32_t>(imageResources.size()),
                          imageResources.data());
    }
    if (ok && inks > 4) {
        std::vector<uint16_t> extra(inks - 4u, EXTRASAMPLE_UNSPECIFIED);
        ok = TIFFSetField(m_tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(extra.size()), extra.data());
    }
    if (!ok) m_file->fail();
}

void SeparatedTiffWriter::writeStrip(uint32_t strip, const std::vector<uint8_t>& encoded) {
    // LZW is encoded by libtiff as the strip is written; it may grow the
    // data, but never to twice its size.
    m_bound += m_encodeHere ? 2 * encoded.size() : encoded.size();
    if (m_bigTiff != BigTiff::Yes && m_bound > kClassicTiffLimit) {
        const std::string why = "it outgrows the 4 GiB of a classic TIFF";
        if (m_bigTiff == BigTiff::Auto) throw ClassicTiffFull("cannot write '" + m_name + "': " + why);
        throw ToolError("cannot write '" + m_name + "': " + why + " (--bigtiff no)");
    }
    void* data = const_cast<uint8_t*>(encoded.data());
    const tmsize_t size = static_cast<tmsize_t>(encoded.size());
    // libtiff's encoders may change the buffer they are given (LZW's
    // predictor works in place), and the strip is not used again.
    if ((m_encodeHere ? TIFFWriteEncodedStrip(m_tiff, strip, data, size) : TIFFWriteRawStrip(m_tiff, strip, data, size)) < 0) {
        m_file->fail();
    }
}

void SeparatedTiffWriter::finish() {
    m_file->finish();
    m_tiff = nullptr;
}

} // namespace varnel_tool
