#include "PsdWriter.h"

#include "ImageResources.h"
#include "ToolError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace varnel_tool {

namespace {

constexpr uint16_t kMultichannelMode = 7;
constexpr uint16_t kRawData = 0;

} // namespace

PsdWriter::PsdWriter(const PendingFile& file, uint32_t width, uint32_t height, int bits,
                     const std::vector<InkInfo>& inks, const Resolution& resolution)
    : m_name(file.finalPath()), m_width(width), m_height(height), m_bytes(bits / 8), m_channels(static_cast<int>(inks.size())) {
    m_file = open(file.writePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_file < 0) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
    const bool large = width > kPsdSideLimit || height > kPsdSideLimit;
    std::vector<uint8_t> head = {'8', 'B', 'P', 'S'};
    appendBigEndian(head, large ? 2 : 1, 2);  // version: 1 PSD, 2 PSB
    appendBigEndian(head, 0, 6);              // reserved
    appendBigEndian(head, inks.size(), 2);
    appendBigEndian(head, height, 4);
    appendBigEndian(head, width, 4);
    appendBigEndian(head, static_cast<uint64_t>(bits), 2);
    appendBigEndian(head, kMultichannelMode, 2);
    appendBigEndian(head, 0, 4);  // no colour mode data
    std::vector<uint8_t> resources = spotChannelResources(inks, 0);
    const std::vector<uint8_t> placement = resolutionResource(resolution);
    resources.insert(resources.end(), placement.begin(), placement.end());
    appendBigEndian(head, resources.size(), 4);
    head.insert(head.end(), resources.begin(), resources.end());
    appendBigEndian(head, 0, large ? 8 : 4);  // no layers or masks
    appendBigEndian(head, kRawData, 2);
    writeAt(0, head.data(), head.size());
    m_dataStart = head.size();
}

PsdWriter::~PsdWriter() {
    if (m_file >= 0) close(m_file);
}

void PsdWriter::writeRows(uint32_t firstRow, uint32_t rows, const void* values) {
    const size_t samples = static_cast<size_t>(m_width) * rows;
    m_plane.resize(samples * static_cast<size_t>(m_bytes));
    const uint64_t planeBytes = static_cast<uint64_t>(m_width) * m_height * static_cast<uint64_t>(m_bytes);
    for (int c = 0; c < m_channels; ++c) {
        if (m_bytes == 1) {
            const uint8_t* in = static_cast<const uint8_t*>(values) + c;
            for (size_t i = 0; i < samples; ++i) m_plane[i] = in[i * static_cast<size_t>(m_channels)];
        } else {
            const uint16_t* in = static_cast<const uint16_t*>(values) + c;
            for (size_t i = 0; i < samples; ++i) {
                const uint16_t v = in[i * static_cast<size_t>(m_channels)];
                m_plane[2 * i] = static_cast<uint8_t>(v >> 8);
                m_plane[2 * i + 1] = static_cast<uint8_t>(v);
            }
        }
        const uint64_t rowOffset = static_cast<uint64_t>(firstRow) * m_width * static_cast<uint64_t>(m_bytes);
        writeAt(m_dataStart + static_cast<uint64_t>(c) * planeBytes + rowOffset, m_plane.data(), m_plane.size());
    }
}

void PsdWriter::writeAt(uint64_t offset, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = pwrite(m_file, data, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(written < 0 ? errno : ENOSPC));
        data += written;
        size -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
}

void PsdWriter::finish() {
    const int file = m_file;
    m_file = -1;
    if (close(file) != 0) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
}

} // namespace varnel_tool
