#include "ImageReader.h"

#include "ImageFormats.h"
#include "ToolError.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varnel_tool {

namespace {

template <typename Sample>
void convertRow(const Sample* in, Sample* out, const SourceLayout& layout) {
    const uint32_t max = sizeof(Sample) == 1 ? 255u : 65535u;
    const int spp = layout.samplesPerPixel;
    for (uint32_t x = 0; x < layout.width; ++x, in += spp, out += 3) {
        uint32_t colour[3];
        if (layout.grey) {
            const uint32_t grey = layout.greyInverted ? max - in[0] : in[0];
            colour[0] = colour[1] = colour[2] = grey;
        } else {
            colour[0] = in[0];
            colour[1] = in[1];
            colour[2] = in[2];
        }
        if (layout.alphaIndex >= 0) {
            const uint32_t alpha = in[layout.alphaIndex];
            for (uint32_t& c : colour) {
                // Paper is white: what the alpha leaves uncovered shows
                // white. Rounded to nearest for straight alpha.
                if (layout.alphaPremultiplied) {
                    c = c + (max - alpha) > max ? max : c + (max - alpha);
                } else {
                    c = (c * alpha + max * (max - alpha) + max / 2) / max;
                }
            }
        }
        out[0] = static_cast<Sample>(colour[0]);
        out[1] = static_cast<Sample>(colour[1]);
        out[2] = static_cast<Sample>(colour[2]);
    }
}

} // namespace

void ImageReader::setLayout(const SourceLayout& layout) {
    m_layout = layout;
    const size_t bytes = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.samplesPerPixel) *
                         (layout.bits / 8);
    m_row.assign(bytes, 0);
}

void ImageReader::readRows(void* rgb, uint32_t rows) {
    const size_t rowSamples = static_cast<size_t>(m_layout.width) * 3;
    for (uint32_t r = 0; r < rows; ++r) {
        readSourceRow(m_row.data());
        if (m_layout.bits == 8) {
            convertRow(m_row.data(), static_cast<uint8_t*>(rgb) + r * rowSamples, m_layout);
        } else {
            convertRow(reinterpret_cast<const uint16_t*>(m_row.data()),
                       static_cast<uint16_t*>(rgb) + r * rowSamples, m_layout);
        }
    }
}

std::unique_ptr<ImageReader> openImage(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        throw ToolError("cannot read '" + path + "': " + systemErrorText(EISDIR));
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    }
    unsigned char magic[8] = {0};
    const size_t got = std::fread(magic, 1, sizeof magic, file);
    std::fclose(file);
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (got >= 8 && std::memcmp(magic, kPng, 8) == 0) return openPng(path);
    if (got >= 4 && ((magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
                     (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43)))) {
        return openTiff(path);
    }
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return openJpeg(path);
    throw ToolError("'" + path + "' is not a PNG, TIFF or JPEG image");
}

} // namespace varnel_tool
