// Reading input images row by row as packed RGB, whatever their format:
// PNG, TIFF or JPEG, 8 or 16 bits per component, grey or colour, with or
// without alpha. Rows are read in order and never all at once, so memory
// stays bounded by a few rows whatever the image size (interlaced PNG is
// the one exception: its passes need the whole image).
#ifndef VARNEL_TOOL_IMAGEREADER_H
#define VARNEL_TOOL_IMAGEREADER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

// How the samples of one source row are laid out before conversion to RGB.
struct SourceLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 8;             // 8 or 16; 16-bit samples in host byte order
    int samplesPerPixel = 3;  // stored samples per pixel, extra ones ignored
    bool grey = false;        // one colour sample, taken as R = G = B
    bool greyInverted = false;// grey with 0 as white (TIFF MinIsWhite)
    int alphaIndex = -1;      // sample index of the alpha channel, -1: none
    bool alphaPremultiplied = false;
};

class ImageReader {
public:
    virtual ~ImageReader() = default;
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    uint32_t width() const { return m_layout.width; }
    uint32_t height() const { return m_layout.height; }
    int bits() const { return m_layout.bits; }
    bool hasAlpha() const { return m_layout.alphaIndex >= 0; }
    bool isGrey() const { return m_layout.grey; }
    const std::string& path() const { return m_path; }

    // Reads the next rows as packed R, G, B: bytes for 8-bit images,
    // host-order 16-bit values for 16-bit images. Grey becomes R = G = B,
    // alpha is composited over white paper. Throws ToolError.
    void readRows(void* rgb, uint32_t rows);

protected:
    explicit ImageReader(std::string path) : m_path(std::move(path)) {}
    // Called by a reader's constructor once the layout is known.
    void setLayout(const SourceLayout& layout);
    // Reads the next source row into row (samplesPerPixel * width samples).
    virtual void readSourceRow(void* row) = 0;

private:
    std::string m_path;
    SourceLayout m_layout;
    std::vector<uint8_t> m_row;
};

// Opens an image by its content (not its name). Throws ToolError for a
// missing or unreadable file or an unsupported format.
std::unique_ptr<ImageReader> openImage(const std::string& path);

} // namespace varnel_tool

#endif
