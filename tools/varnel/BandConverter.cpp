#include "BandConverter.h"

#include "ToolError.h"

#include <varnel/separation.hpp>

#include <algorithm>

namespace varnel_tool {

namespace {

// Converts pixels through the separation; a failure names the band's rows.
template <typename Value>
void separateBand(const varnel::Separation& separation, const Value* in, Value* out, uint32_t pixels,
                  const Band& band) {
    try {
        separation.convert(in, out, pixels);
    } catch (const varnel::Error& error) {
        throw ToolError("the library failed to separate rows " + std::to_string(band.firstRow) + " to " +
                        std::to_string(band.firstRow + band.rows - 1) + " (" + error.what() + ")");
    }
}

} // namespace

BandConverter::BandConverter(const varnel::Separation& separation, const BandFormat& format, const ProofSimulator& proof,
                             const TacMapPainter& tacMap)
    : m_separation(separation), m_format(format), m_proof(proof), m_tacMap(tacMap),
      m_coverage(format.channels, format.outputBits, format.tacLimitPercent),
      m_encoder(StripEncoder::create(format.compression)) {}

void BandConverter::convert(Band& band) {
    const uint32_t pixels = m_format.width * band.rows;
    separate(band, pixels);
    if (m_format.tiffStrips) encodeStrips(band, pixels);
    m_coverage.addRows(bytesOf(band.inks), m_format.width, band.firstRow, band.rows);
    if (m_format.plates) encodePlates(band);
    if (m_format.tacMap) {
        m_picture.resize(static_cast<size_t>(pixels) * 3);
        m_tacMap.paintRow(bytesOf(band.inks), pixels, m_picture.data());
        encodePicture(band, band.tacMap);
    }
    if (m_format.proof) {
        m_picture.resize(static_cast<size_t>(pixels) * 3);
        if (m_format.outputBits == 8) {
            m_proof.proofRow(bytesOf(band.inks), pixels, m_picture.data());
        } else {
            m_proof.proofRow(band.inks.data(), pixels, m_picture.data());
        }
        encodePicture(band, band.proof);
    }
}

// A plate shows the library's value as it is: 255 (65535) is no ink and
// stays white paper, 0 is full ink and prints black.
void BandConverter::encodePlates(Band& band) {
    band.plates.resize(static_cast<size_t>(m_format.channels));
    PngRows rows;
    rows.pixelStride = static_cast<size_t>(m_format.channels);
    rows.rowStride = static_cast<size_t>(m_format.width) * m_format.channels;
    rows.width = m_format.width;
    rows.rows = band.rows;
    rows.bits = m_format.outputBits;
    for (int c = 0; c < m_format.channels; ++c) {
        if (m_format.outputBits == 8) {
            rows.first = bytesOf(band.inks) + c;
        } else {
            rows.first = band.inks.data() + c;
        }
        m_pngDeflater.deflate(rows, band.plates[static_cast<size_t>(c)]);
    }
}

void BandConverter::encodePicture(const Band& band, PngSegment& segment) {
    PngRows rows;
    rows.first = m_picture.data();
    rows.pixelStride = 3;
    rows.rowStride = static_cast<size_t>(m_format.width) * 3;
    rows.width = m_format.width;
    rows.rows = band.rows;
    rows.channels = 3;
    m_pngDeflater.deflate(rows, segment);
}

void BandConverter::separate(Band& band, uint32_t pixels) {
    const size_t values = static_cast<size_t>(pixels) * m_format.channels;
    reserveBytes(band.inks, values * (m_format.outputBits / 8));
    if (m_format.inputBits == 8 && m_format.outputBits == 8) {
        separateBand(m_separation, bytesOf(band.input), bytesOf(band.inks), pixels, band);
        return;
    }
    if (m_format.inputBits == 8) {
        // 8-bit input for 16-bit output: widened exactly as the library
        // widens it itself (v * 257).
        const uint8_t* input = bytesOf(band.input);
        m_wide.resize(static_cast<size_t>(pixels) * 3);
        for (size_t i = 0; i < m_wide.size(); ++i) m_wide[i] = static_cast<uint16_t>(input[i] * 257u);
        separateBand(m_separation, m_wide.data(), band.inks.data(), pixels, band);
        return;
    }
    if (m_format.outputBits == 16) {
        separateBand(m_separation, band.input.data(), band.inks.data(), pixels, band);
        return;
    }
    // 16-bit input for 8-bit output: separated at full precision, then
    // narrowed with the library's own rounding.
    m_wide.resize(values);
    separateBand(m_separation, band.input.data(), m_wide.data(), pixels, band);
    uint8_t* inks = bytesOf(band.inks);
    for (size_t i = 0; i < values; ++i) inks[i] = varnel_narrow(m_wide[i]);
}

namespace {

// Rows of library values to TIFF's sense (0 = no ink), either as they are
// or, with the horizontal predictor, each sample as the difference to the
// same channel one pixel before. Since TIFF's value is max - v, that
// difference is the previous library value minus the current one, modulo
// the sample size.
template <typename Value>
void toTiffSamples(const Value* in, Value* out, size_t rows, size_t rowValues, int channels, bool predictor) {
    constexpr Value kMax = static_cast<Value>(~Value{0});
    for (size_t r = 0; r < rows; ++r, in += rowValues, out += rowValues) {
        const size_t first = predictor ? static_cast<size_t>(channels) : rowValues;
        for (size_t i = 0; i < first && i < rowValues; ++i) out[i] = static_cast<Value>(kMax - in[i]);
        for (size_t i = first; i < rowValues; ++i) out[i] = static_cast<Value>(in[i - channels] - in[i]);
    }
}

} // namespace

void BandConverter::encodeStrips(Band& band, uint32_t pixels) {
    const size_t rowValues = static_cast<size_t>(m_format.width) * m_format.channels;
    const size_t bytesPerValue = static_cast<size_t>(m_format.outputBits / 8);
    const uint32_t strips = (band.rows + m_format.rowsPerStrip - 1) / m_format.rowsPerStrip;
    const bool predictor = m_format.compression.usesPredictor() && m_format.compression.encodedByWorkers();
    band.strips.resize(strips);
    const size_t totalValues = static_cast<size_t>(pixels) * m_format.channels;
    for (uint32_t s = 0; s < strips; ++s) {
        const size_t begin = static_cast<size_t>(s) * m_format.rowsPerStrip * rowValues;
        const size_t end = std::min(totalValues, begin + m_format.rowsPerStrip * rowValues);
        const size_t rows = (end - begin) / rowValues;
        reserveBytes(m_tiffStrip, (end - begin) * bytesPerValue);
        if (m_format.outputBits == 8) {
            toTiffSamples(bytesOf(band.inks) + begin, bytesOf(m_tiffStrip), rows, rowValues, m_format.channels,
                          predictor);
        } else {
            toTiffSamples(band.inks.data() + begin, m_tiffStrip.data(), rows, rowValues, m_format.channels,
                          predictor);
        }
        m_encoder->encode(bytesOf(m_tiffStrip), (end - begin) * bytesPerValue, band.strips[s]);
    }
}

} // namespace varnel_tool
