#include "PngRowDeflater.h"

#include "ToolError.h"

#include <isa-l/igzip_lib.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstring>

namespace varnel_tool {

namespace {

constexpr uint8_t kSubFilter = 1;
constexpr uint8_t kUpFilter = 2;

// One row's samples as the file stores them: packed, 16-bit samples
// big-endian.
template <int Channels>
void packRow(const uint8_t* pixel, size_t pixelStride, uint32_t width, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x, pixel += pixelStride, out += Channels) {
        for (int c = 0; c < Channels; ++c) out[c] = pixel[c];
    }
}

template <int Channels>
void packRow(const uint16_t* pixel, size_t pixelStride, uint32_t width, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x, pixel += pixelStride, out += 2 * Channels) {
        for (int c = 0; c < Channels; ++c) {
            out[2 * c] = static_cast<uint8_t>(pixel[c] >> 8);
            out[2 * c + 1] = static_cast<uint8_t>(pixel[c] & 0xFF);
        }
    }
}

template <typename Sample>
void packRow(const PngRows& rows, uint32_t y, uint8_t* out) {
    const Sample* row = static_cast<const Sample*>(rows.first) + y * rows.rowStride;
    if (rows.channels == 1) {
        packRow<1>(row, rows.pixelStride, rows.width, out);
    } else {
        packRow<3>(row, rows.pixelStride, rows.width, out);
    }
}

// A filtered byte as a signed number, in magnitude.
inline uint8_t magnitude(uint8_t byte) {
    return std::min(byte, static_cast<uint8_t>(-byte));
}

} // namespace

// Each row is filtered with Sub (the difference to the pixel before) or,
// when it has a row above in the segment, with Up (the difference to that
// row) where that makes the smaller bytes, as signed numbers summed in
// magnitude. Both cost a subtraction a byte and together come near a
// choice among all five filters: Up suits smooth photographs, Sub noisy
// and hard-edged pictures. The first row of a segment needs nothing from
// the rows before it.
void PngRowDeflater::filterRow(const uint8_t* row, const uint8_t* above, size_t rowBytes, size_t pixelBytes,
                               uint8_t* out) {
    uint8_t* sub = out + 1;
    out[0] = kSubFilter;
    const size_t first = std::min(pixelBytes, rowBytes);
    if (above == nullptr) {
        std::memcpy(sub, row, first);
        for (size_t i = first; i < rowBytes; ++i) sub[i] = static_cast<uint8_t>(row[i] - row[i - pixelBytes]);
        return;
    }
    uint8_t* up = m_upRow.data();
    uint64_t subSum = 0;
    uint64_t upSum = 0;
    for (size_t i = 0; i < first; ++i) {
        sub[i] = row[i];
        up[i] = static_cast<uint8_t>(row[i] - above[i]);
        subSum += magnitude(sub[i]);
        upSum += magnitude(up[i]);
    }
    for (size_t i = first; i < rowBytes; ++i) {
        sub[i] = static_cast<uint8_t>(row[i] - row[i - pixelBytes]);
        up[i] = static_cast<uint8_t>(row[i] - above[i]);
        subSum += magnitude(sub[i]);
        upSum += magnitude(up[i]);
    }
    if (upSum < subSum) {
        std::memcpy(sub, up, rowBytes);
        out[0] = kUpFilter;
    }
}

PngRowDeflater::PngRowDeflater() : m_levelBuffer(ISAL_DEF_LVL1_DEFAULT) {}

void PngRowDeflater::deflate(const PngRows& rows, PngSegment& segment) {
    const size_t rowBytes = static_cast<size_t>(rows.width) * rows.channels * (rows.bits / 8);
    const size_t filteredBytes = (rowBytes + 1) * rows.rows;
    m_filtered.resize(filteredBytes);
    const size_t pixelBytes = static_cast<size_t>(rows.channels) * (rows.bits / 8);
    m_rows[0].resize(rowBytes);
    m_rows[1].resize(rowBytes);
    m_upRow.resize(rowBytes);
    for (uint32_t y = 0; y < rows.rows; ++y) {
        uint8_t* row = m_rows[y % 2].data();
        if (rows.bits == 8) {
            packRow<uint8_t>(rows, y, row);
        } else {
            packRow<uint16_t>(rows, y, row);
        }
        filterRow(row, y == 0 ? nullptr : m_rows[(y + 1) % 2].data(), rowBytes, pixelBytes,
                  m_filtered.data() + y * (rowBytes + 1));
    }
    // Rows that do not compress are stored: five bytes of block header for
    // every 64 KiB at most, and the flush's few bytes. The buffer keeps its
    // largest size, so that it is not cleared for every segment.
    const size_t outputBytes = filteredBytes + filteredBytes / 1024 + 1024;
    if (m_output.size() < outputBytes) m_output.resize(outputBytes);
    // ISA-L's fastest level: plates and a proof are pictures for a person,
    // where speed matters more than the last per cent of size. A full
    // flush ends the segment byte-aligned with no reference to what comes
    // before it and no final-block mark, so segments join into one stream.
    isal_zstream stream;
    isal_deflate_stateless_init(&stream);
    stream.level = 1;
    stream.level_buf = m_levelBuffer.data();
    stream.level_buf_size = static_cast<uint32_t>(m_levelBuffer.size());
    stream.flush = FULL_FLUSH;
    stream.end_of_stream = 0;
    stream.next_in = m_filtered.data();
    stream.avail_in = static_cast<uint32_t>(filteredBytes);
    stream.next_out = m_output.data();
    stream.avail_out = static_cast<uint32_t>(std::min<size_t>(m_output.size(), UINT32_MAX));
    if (filteredBytes > UINT32_MAX / 2 || isal_deflate_stateless(&stream) != COMP_OK) {
        throw ToolError("cannot compress " + std::to_string(rows.rows) + " PNG rows");
    }
    segment.deflated.assign(m_output.begin(), m_output.begin() + stream.total_out);
    segment.adler = static_cast<uint32_t>(libdeflate_adler32(1, m_filtered.data(), filteredBytes));
    segment.filteredBytes = filteredBytes;
    segment.rows = rows.rows;
}

} // namespace varnel_tool
