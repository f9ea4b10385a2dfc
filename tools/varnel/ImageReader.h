// Reading input images row by row as packed RGB, whatever their format:
// PNG, TIFF or JPEG, 1 to 16 bits per component, grey, palette or colour,
// with or without alpha. Rows are read in order and never all at once:
// memory stays bounded by a few rows (a band of tile rows for tiled TIFF)
// whatever the image claims. Interlaced PNG and progressive JPEG are the
// exceptions, as their last pass completes every row; they are refused
// when the whole picture would exceed kMaxWholeImageBytes.
#ifndef VARNEL_TOOL_IMAGEREADER_H
#define VARNEL_TOOL_IMAGEREADER_H

#include "Orientation.h"
#include "Resolution.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

// Widest image accepted: one row of it, at 16 bits and 16 inks, stays at
// some 32 MiB. Height is not limited; rows are streamed.
constexpr uint32_t kMaxImageWidth = 1u << 20;
// Largest buffer a reader may hold for a layout that cannot be streamed
// row by row: an interlaced PNG, a progressive JPEG, a band of TIFF tiles.
constexpr uint64_t kMaxWholeImageBytes = uint64_t{1} << 30;

class ColourTransform;

// The colour samples of a pixel, in the order a reader delivers them.
enum class ColourModel {
    Grey,  // one sample
    Rgb,   // R, G, B
    Cmyk,  // C, M, Y, K with 0 as no ink
    Lab,   // L, a, b in the ICC encoding (a and b offset by half the range)
};

// How the samples of one source row are laid out before conversion to RGB.
struct SourceLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 8;             // 8 or 16; 16-bit samples in host byte order
    int samplesPerPixel = 3;  // stored samples per pixel, extra ones ignored
    ColourModel model = ColourModel::Rgb;
    bool greyInverted = false;// grey with 0 as white (TIFF MinIsWhite)
    int alphaIndex = -1;      // sample index of the alpha channel, -1: none (grey and RGB only)
    bool alphaPremultiplied = false;
};

class ImageReader {
public:
    virtual ~ImageReader();  // out of line: ColourTransform is incomplete here
    ImageReader(const ImageReader&) = delete;
    ImageReader& operator=(const ImageReader&) = delete;

    // The size of the rows delivered: the stored size, its sides exchanged
    // when an applied orientation turns the image by 90 degrees.
    uint32_t width() const { return m_shown.swapsAxes() ? m_layout.height : m_layout.width; }
    uint32_t height() const { return m_shown.swapsAxes() ? m_layout.width : m_layout.height; }
    // The resolution the file states, for the rows delivered.
    Resolution resolution() const;
    // The orientation the file states, applied or not.
    const Orientation& orientation() const { return m_orientation; }
    // From now on rows are delivered as the orientation shows them. Any
    // orientation but the stored order and a mirror from left to right
    // holds the whole picture in memory (3 or 6 bytes a pixel); refused
    // (ToolError) past kMaxWholeImageBytes.
    void applyOrientation();
    bool orientationApplied() const { return !m_shown.isStoredOrder(); }
    // Bits per sample of the rows delivered: the image's own, 16 when
    // converted through a colour transform.
    int bits() const;
    int sourceBits() const { return m_layout.bits; }
    bool hasAlpha() const { return m_layout.alphaIndex >= 0; }
    ColourModel colourModel() const { return m_layout.model; }
    // The ICC profile embedded in the file; empty when there is none.
    const std::vector<uint8_t>& embeddedProfile() const { return m_profile; }
    const std::string& path() const { return m_path; }
    // The pages (TIFF directories) of the file; one for PNG and JPEG.
    uint32_t pageCount() const { return m_pageCount; }

    // From now on rows are converted through the transform, whose input is
    // this image's colour model (or RGB for a grey image under an RGB
    // profile) at sourceBits(), and whose output is 16-bit RGB.
    void setColourTransform(std::unique_ptr<ColourTransform> transform, ColourModel transformInput);

    // Reads the next rows as packed R, G, B: bytes for 8-bit images,
    // host-order 16-bit values for 16-bit images. Grey becomes R = G = B,
    // alpha is composited over white paper. CMYK and Lab images need a
    // colour transform. Throws ToolError.
    void readRows(void* rgb, uint32_t rows);

protected:
    explicit ImageReader(std::string path);
    void setEmbeddedProfile(std::vector<uint8_t> profile) { m_profile = std::move(profile); }
    void setResolution(const Resolution& resolution) { m_resolution = resolution; }
    void setPageCount(uint32_t pages) { m_pageCount = pages; }
    void setOrientation(const Orientation& orientation) { m_orientation = orientation; }
    uint32_t storedWidth() const { return m_layout.width; }
    uint32_t storedHeight() const { return m_layout.height; }
    // Called by a reader's constructor once the layout is known; refuses
    // (ToolError) an empty image or one wider than kMaxImageWidth.
    void setLayout(const SourceLayout& layout);
    // Reads the next source row into row (samplesPerPixel * width samples).
    virtual void readSourceRow(void* row) = 0;
    // "cannot read 'PATH': WHY"
    [[noreturn]] void fail(const std::string& why) const;

private:
    void readStoredRows(void* rgb, uint32_t rows);
    void readShownRows(uint8_t* rgb, uint32_t rows);

    std::string m_path;
    SourceLayout m_layout;
    Resolution m_resolution;
    uint32_t m_pageCount = 1;
    Orientation m_orientation;  // as the file states it
    Orientation m_shown;        // as the rows are delivered
    std::vector<uint8_t> m_whole;  // the stored picture, when the orientation needs it
    uint32_t m_nextShownRow = 0;
    std::vector<uint8_t> m_row;
    std::vector<uint8_t> m_profile;
    std::unique_ptr<ColourTransform> m_transform;
    ColourModel m_transformInput = ColourModel::Rgb;
    std::vector<uint16_t> m_packed;  // one row of colour samples for the transform
};

// Opens an image by its content (not its name), at the given page (the
// first is 1; only TIFF has more). Throws ToolError for a missing or
// unreadable file, an unsupported format or a page the file lacks.
std::unique_ptr<ImageReader> openImage(const std::string& path, uint32_t page = 1);

} // namespace varnel_tool

#endif
