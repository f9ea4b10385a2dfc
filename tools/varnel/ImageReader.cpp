#include "ImageReader.h"

#include "ColourTransform.h"
#include "ImageFormats.h"
#include "ToolError.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varnel_tool {

namespace {

int colourSamples(ColourModel model) {
    switch (model) {
        case ColourModel::Grey: return 1;
        case ColourModel::Cmyk: return 4;
        case ColourModel::Rgb:
        case ColourModel::Lab: break;
    }
    return 3;
}

// One row of source samples to packed colour samples: grey inverted where
// 0 is white, alpha composited over white paper, grey repeated as R = G = B
// when expandGrey.
template <typename Sample>
void convertRow(const Sample* in, Sample* out, const SourceLayout& layout, bool expandGrey) {
    const uint32_t max = sizeof(Sample) == 1 ? 255u : 65535u;
    const int spp = layout.samplesPerPixel;
    const int colours = colourSamples(layout.model);
    const int outSamples = layout.model == ColourModel::Grey && expandGrey ? 3 : colours;
    for (uint32_t x = 0; x < layout.width; ++x, in += spp, out += outSamples) {
        uint32_t colour[4];
        for (int c = 0; c < colours; ++c) colour[c] = in[c];
        if (layout.greyInverted) colour[0] = max - colour[0];
        if (layout.alphaIndex >= 0) {
            const uint32_t alpha = in[layout.alphaIndex];
            for (int c = 0; c < colours; ++c) {
                // Paper is white: what the alpha leaves uncovered shows
                // white. Rounded to nearest for straight alpha.
                if (layout.alphaPremultiplied) {
                    colour[c] = colour[c] + (max - alpha) > max ? max : colour[c] + (max - alpha);
                } else {
                    colour[c] = (colour[c] * alpha + max * (max - alpha) + max / 2) / max;
                }
            }
        }
        for (int c = 0; c < outSamples; ++c) out[c] = static_cast<Sample>(colour[c < colours ? c : 0]);
    }
}

} // namespace

void ImageReader::setLayout(const SourceLayout& layout) {
    if (layout.width == 0 || layout.height == 0) fail("the image is empty");
    if (layout.width > kMaxImageWidth) {
        fail("the image is " + std::to_string(layout.width) + " pixels wide; at most " +
             std::to_string(kMaxImageWidth) + " are supported");
    }
    m_layout = layout;
    const size_t bytes = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.samplesPerPixel) *
                         (layout.bits / 8);
    m_row.assign(bytes, 0);
}

void ImageReader::fail(const std::string& why) const {
    throw ToolError("cannot read '" + m_path + "': " + why);
}

ImageReader::ImageReader(std::string path) : m_path(std::move(path)) {}

ImageReader::~ImageReader() = default;

int ImageReader::bits() const {
    return m_transform != nullptr ? 16 : m_layout.bits;
}

void ImageReader::setColourTransform(std::unique_ptr<ColourTransform> transform, ColourModel transformInput) {
    m_transform = std::move(transform);
    m_transformInput = transformInput;
    m_packed.assign(static_cast<size_t>(m_layout.width) * 4, 0);
}

Resolution ImageReader::resolution() const {
    return m_shown.swapsAxes() ? Resolution{m_resolution.y, m_resolution.x} : m_resolution;
}

void ImageReader::applyOrientation() {
    if (m_orientation.needsWholeImage()) {
        const uint64_t bytes = uint64_t{m_layout.width} * m_layout.height * 3 * (bits() / 8);
        if (bytes > kMaxWholeImageBytes) {
            fail("turning the image as its orientation asks needs " + std::to_string(bytes >> 20) +
                 " MiB at once; at most " + std::to_string(kMaxWholeImageBytes >> 20) +
                 " MiB are supported (--no-auto-orient keeps the stored order)");
        }
    }
    m_shown = m_orientation;
}

void ImageReader::readRows(void* rgb, uint32_t rows) {
    if (m_shown.isStoredOrder()) {
        readStoredRows(rgb, rows);
    } else {
        readShownRows(static_cast<uint8_t*>(rgb), rows);
    }
}

void ImageReader::readShownRows(uint8_t* rgb, uint32_t rows) {
    const size_t pixelBytes = 3 * static_cast<size_t>(bits() / 8);
    const uint32_t shownWidth = width();
    if (!m_shown.needsWholeImage()) {
        // A mirror from left to right: each row reversed in place.
        readStoredRows(rgb, rows);
        for (uint32_t r = 0; r < rows; ++r) {
            uint8_t* row = rgb + r * shownWidth * pixelBytes;
            for (uint32_t left = 0, right = shownWidth - 1; left < right; ++left, --right) {
                std::swap_ranges(row + left * pixelBytes, row + (left + 1) * pixelBytes, row + right * pixelBytes);
            }
        }
        return;
    }
    if (m_whole.empty()) {
        m_whole.resize(static_cast<size_t>(m_layout.width) * m_layout.height * pixelBytes);
        readStoredRows(m_whole.data(), m_layout.height);
    }
    for (uint32_t r = 0; r < rows; ++r, ++m_nextShownRow) {
        uint8_t* out = rgb + static_cast<size_t>(r) * shownWidth * pixelBytes;
        for (uint32_t x = 0; x < shownWidth; ++x, out += pixelBytes) {
            uint32_t storedX = 0, storedY = 0;
            m_shown.storedPixel(x, m_nextShownRow, m_layout.width, m_layout.height, storedX, storedY);
            std::memcpy(out, m_whole.data() + (static_cast<size_t>(storedY) * m_layout.width + storedX) * pixelBytes,
                        pixelBytes);
        }
    }
}

void ImageReader::readStoredRows(void* rgb, uint32_t rows) {
    if (m_transform == nullptr && m_layout.model != ColourModel::Grey && m_layout.model != ColourModel::Rgb) {
        fail("CMYK and Lab images are read only through their colour profile");
    }
    const size_t rowSamples = static_cast<size_t>(m_layout.width) * 3;
    // RGB without alpha is read straight into place.
    const bool asRead = m_transform == nullptr && m_layout.model == ColourModel::Rgb &&
                        m_layout.samplesPerPixel == 3 && m_layout.alphaIndex < 0;
    for (uint32_t r = 0; r < rows; ++r) {
        if (asRead) {
            readSourceRow(static_cast<uint8_t*>(rgb) + r * rowSamples * (m_layout.bits / 8));
            continue;
        }
        readSourceRow(m_row.data());
        if (m_transform != nullptr) {
            const bool expandGrey = m_transformInput == ColourModel::Rgb;
            if (m_layout.bits == 8) {
                convertRow(m_row.data(), reinterpret_cast<uint8_t*>(m_packed.data()), m_layout, expandGrey);
            } else {
                convertRow(reinterpret_cast<const uint16_t*>(m_row.data()), m_packed.data(), m_layout, expandGrey);
            }
            m_transform->convert(m_packed.data(), static_cast<uint16_t*>(rgb) + r * rowSamples, m_layout.width);
        } else if (m_layout.bits == 8) {
            convertRow(m_row.data(), static_cast<uint8_t*>(rgb) + r * rowSamples, m_layout, true);
        } else {
            convertRow(reinterpret_cast<const uint16_t*>(m_row.data()),
                       static_cast<uint16_t*>(rgb) + r * rowSamples, m_layout, true);
        }
    }
}

std::unique_ptr<ImageReader> openImage(const std::string& path, uint32_t page) {
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
    const bool tiff =
        got >= 4 && ((magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
                     (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43)));
    if (tiff) return openTiff(path, page);
    if (page > 1) throw ToolError("cannot read '" + path + "': it has no page " + std::to_string(page));
    if (got >= 8 && std::memcmp(magic, kPng, 8) == 0) return openPng(path);
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return openJpeg(path);
    throw ToolError("'" + path + "' is not a PNG, TIFF or JPEG image");
}

} // namespace varnel_tool
