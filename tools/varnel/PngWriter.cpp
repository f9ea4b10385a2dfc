#include "PngWriter.h"

#include "ToolError.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace varnel_tool {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A zlib header for a 32 KiB window, marked as compressed at the fastest
// level (FCHECK makes the pair a multiple of 31).
constexpr uint8_t kZlibHeader[2] = {0x78, 0x01};
// An empty final block with fixed codes: the end of the deflate stream.
constexpr uint8_t kFinalBlock[2] = {0x03, 0x00};
// Chunks stay well below PNG's limit of 2^31 - 1 bytes.
constexpr size_t kMaxChunk = size_t{1} << 30;
// writeRow compresses its rows a mebibyte at a time.
constexpr size_t kPendingBytes = size_t{1} << 20;

void putBigEndian(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value >> 24);
    out[1] = static_cast<uint8_t>(value >> 16);
    out[2] = static_cast<uint8_t>(value >> 8);
    out[3] = static_cast<uint8_t>(value);
}

} // namespace

PngWriter::PngWriter(const PendingFile& file, uint32_t width, uint32_t height, int channels, int bits,
                     const Resolution& resolution)
    : m_name(file.finalPath()), m_width(width), m_height(height), m_channels(channels), m_bits(bits) {
    m_file = std::fopen(file.writePath().c_str(), "wb");
    if (m_file == nullptr) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
    try {
        writeHeader(resolution);
    } catch (...) {
        std::fclose(m_file);
        m_file = nullptr;
        throw;
    }
}

void PngWriter::writeHeader(const Resolution& resolution) {
    writeBytes(kSignature, sizeof kSignature);
    uint8_t header[13];
    putBigEndian(header, m_width);
    putBigEndian(header + 4, m_height);
    header[8] = static_cast<uint8_t>(m_bits);
    header[9] = m_channels == 1 ? 0 : 2;  // grey or RGB
    header[10] = 0;                     // deflate
    header[11] = 0;                     // adaptive filtering (each row names its filter)
    header[12] = 0;                     // not interlaced
    writeChunk("IHDR", header, sizeof header);
    if (resolution.known()) {
        uint8_t physical[9];
        putBigEndian(physical, Resolution::pixelsPerMetre(resolution.x));
        putBigEndian(physical + 4, Resolution::pixelsPerMetre(resolution.y));
        physical[8] = 1;  // the unit is the metre
        writeChunk("pHYs", physical, sizeof physical);
    }
    writeChunk("IDAT", kZlibHeader, sizeof kZlibHeader);
}

PngWriter::~PngWriter() {
    if (m_file != nullptr) std::fclose(m_file);
}

void PngWriter::writeBytes(const void* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, m_file) != size) {
        throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
    }
}

void PngWriter::writeChunk(const char type[4], const uint8_t* data, size_t size) {
    uint8_t head[8];
    putBigEndian(head, static_cast<uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uint32_t crc = static_cast<uint32_t>(libdeflate_crc32(0, head + 4, 4));
    if (size != 0) crc = static_cast<uint32_t>(libdeflate_crc32(crc, data, size));
    uint8_t tail[4];
    putBigEndian(tail, crc);
    writeBytes(head, sizeof head);
    writeBytes(data, size);
    writeBytes(tail, sizeof tail);
}

void PngWriter::writeSegment(const PngSegment& segment) {
    if (segment.rows > m_height - m_rowsWritten) throw ToolError("cannot write '" + m_name + "': too many rows");
    for (size_t offset = 0; offset < segment.deflated.size(); offset += kMaxChunk) {
        const size_t size = std::min(kMaxChunk, segment.deflated.size() - offset);
        writeChunk("IDAT", segment.deflated.data() + offset, size);
    }
    m_adler = static_cast<uint32_t>(adler32_combine(m_adler, segment.adler, static_cast<z_off_t>(segment.filteredBytes)));
    m_rowsWritten += segment.rows;
}

void PngWriter::writeRow(const void* row) {
    const size_t rowBytes = static_cast<size_t>(m_width) * m_channels * (m_bits / 8);
    if (m_pendingRows.empty()) m_pendingRows.resize(std::max(rowBytes, kPendingBytes / rowBytes * rowBytes));
    std::memcpy(m_pendingRows.data() + m_pendingCount * rowBytes, row, rowBytes);
    ++m_pendingCount;
    if ((m_pendingCount + 1) * rowBytes > m_pendingRows.size()) flushRows();
}

void PngWriter::flushRows() {
    if (m_pendingCount == 0) return;
    PngRows rows;
    rows.first = m_pendingRows.data();
    rows.pixelStride = static_cast<size_t>(m_channels);
    rows.rowStride = static_cast<size_t>(m_width) * m_channels;
    rows.width = m_width;
    rows.rows = m_pendingCount;
    rows.channels = m_channels;
    rows.bits = m_bits;
    m_deflater.deflate(rows, m_segment);
    m_pendingCount = 0;
    writeSegment(m_segment);
}

void PngWriter::finish() {
    flushRows();
    if (m_rowsWritten != m_height) throw ToolError("cannot write '" + m_name + "': the image is incomplete");
    uint8_t end[6];
    std::memcpy(end, kFinalBlock, sizeof kFinalBlock);
    putBigEndian(end + 2, m_adler);
    writeChunk("IDAT", end, sizeof end);
    writeChunk("IEND", nullptr, 0);
    FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
}

} // namespace varnel_tool
