#include "BandConverter.h"

#include "ToolError.h"

#include <algorithm>

namespace varnel_tool {

namespace {

// The library's narrowing of 16-bit channel values to 8 bits.
inline uint8_t narrow(uint16_t x) {
    return static_cast<uint8_t>((static_cast<uint32_t>(x) * 65281u + 8388608u) >> 24);
}

void checkStatus(long status, const Band& band) {
    if (status == 0) return;
    throw ToolError("the library failed to separate rows " + std::to_string(band.firstRow) + " to " +
                    std::to_string(band.firstRow + band.rows - 1) + " (error " + std::to_string(status) + ")");
}

} // namespace

BandConverter::BandConverter(CVarnelDll& instance, const BandFormat& format, const ProofSimulator& proof,
                             const TacMapPainter& tacMap)
    : m_instance(instance), m_format(format), m_proof(proof), m_tacMap(tacMap),
      m_coverage(format.channels, format.outputBits, format.tacLimitPercent) {}

void BandConverter::convert(Band& band) {
    const uint32_t pixels = m_format.width * band.rows;
    separate(band, pixels);
    compressStrips(band, pixels);
    m_coverage.addRows(bytesOf(band.inks), m_format.width, band.firstRow, band.rows);
    if (m_format.tacMap) {
        band.tacMap.resize(static_cast<size_t>(pixels) * 3);
        m_tacMap.paintRow(bytesOf(band.inks), pixels, band.tacMap.data());
    }
    if (m_format.proof) {
        band.proof.resize(static_cast<size_t>(pixels) * 3);
        if (m_format.outputBits == 8) {
            m_proof.proofRow(bytesOf(band.inks), pixels, band.proof.data());
        } else {
            m_proof.proofRow(band.inks.data(), pixels, band.proof.data());
        }
    }
}

void BandConverter::separate(Band& band, uint32_t pixels) {
    const size_t values = static_cast<size_t>(pixels) * m_format.channels;
    reserveBytes(band.inks, values * (m_format.outputBits / 8));
    if (m_format.inputBits == 8 && m_format.outputBits == 8) {
        checkStatus(m_instance.RGB8ToMultichannel(bytesOf(band.input), bytesOf(band.inks), pixels), band);
        return;
    }
    if (m_format.inputBits == 8) {
        // 8-bit input for 16-bit output: widened exactly as the library
        // widens it itself (v * 257).
        const uint8_t* input = bytesOf(band.input);
        m_wide.resize(static_cast<size_t>(pixels) * 3);
        for (size_t i = 0; i < m_wide.size(); ++i) m_wide[i] = static_cast<uint16_t>(input[i] * 257u);
        checkStatus(m_instance.RGB16ToMultichannel(m_wide.data(), band.inks.data(), pixels), band);
        return;
    }
    if (m_format.outputBits == 16) {
        checkStatus(m_instance.RGB16ToMultichannel(band.input.data(), band.inks.data(), pixels), band);
        return;
    }
    // 16-bit input for 8-bit output: separated at full precision, then
    // narrowed with the library's own rounding.
    m_wide.resize(values);
    checkStatus(m_instance.RGB16ToMultichannel(band.input.data(), m_wide.data(), pixels), band);
    uint8_t* inks = bytesOf(band.inks);
    for (size_t i = 0; i < values; ++i) inks[i] = narrow(m_wide[i]);
}

void BandConverter::compressStrips(Band& band, uint32_t pixels) {
    const size_t bytesPerRow = static_cast<size_t>(m_format.width) * m_format.channels * (m_format.outputBits / 8);
    const uint32_t strips = (band.rows + m_format.rowsPerStrip - 1) / m_format.rowsPerStrip;
    band.strips.resize(strips);
    const size_t totalBytes = static_cast<size_t>(pixels) * m_format.channels * (m_format.outputBits / 8);
    for (uint32_t s = 0; s < strips; ++s) {
        const size_t begin = static_cast<size_t>(s) * m_format.rowsPerStrip * bytesPerRow;
        const size_t end = std::min(totalBytes, begin + m_format.rowsPerStrip * bytesPerRow);
        reserveBytes(m_tiffStrip, end - begin);
        if (m_format.outputBits == 8) {
            const uint8_t* in = bytesOf(band.inks);
            uint8_t* out = bytesOf(m_tiffStrip);
            for (size_t i = begin; i < end; ++i) out[i - begin] = static_cast<uint8_t>(255 - in[i]);
        } else {
            const uint16_t* in = band.inks.data() + begin / 2;
            for (size_t i = 0; i < (end - begin) / 2; ++i) m_tiffStrip[i] = static_cast<uint16_t>(65535 - in[i]);
        }
        m_compressor.compress(bytesOf(m_tiffStrip), end - begin, band.strips[s]);
    }
}

} // namespace varnel_tool
