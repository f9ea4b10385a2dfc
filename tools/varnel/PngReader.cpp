// PNG input through libpng. libpng reports errors by longjmp, so every call
// into it sits behind a setjmp in the same function and the error becomes
// a ToolError only after control is back in this file's frames.
#include "ExifTags.h"
#include "ImageFormats.h"
#include "ToolError.h"

#include <png.h>

#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace varnel_tool {

namespace {

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Released in reverse order of declaration when a constructor throws.
struct PngHandles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngHandles() { png_destroy_read_struct(&png, &info, nullptr); }
};

class PngReader final : public ImageReader {
public:
    explicit PngReader(const std::string& path);

protected:
    void readSourceRow(void* row) override;

private:
    static void onError(png_structp png, png_const_charp message);
    static void onWarning(png_structp, png_const_charp) {}
    [[noreturn]] void failWithMessage() const { fail(m_message); }
    void readWholeImage();
    // The resolution (pHYs) and orientation (eXIf) the file states.
    void readPlacement(png_structp png, png_infop info);

    std::unique_ptr<FILE, FileCloser> m_file;
    PngHandles m_handles;
    char m_message[256] = {0};
    size_t m_rowBytes = 0;
    uint32_t m_nextRow = 0;
    // Only for interlaced images, whose rows are complete only after the
    // last pass. Not cleared: pages that the data never reaches are never
    // touched.
    std::unique_ptr<unsigned char[]> m_wholeImage;
};

PngReader::PngReader(const std::string& path) : ImageReader(path), m_file(std::fopen(path.c_str(), "rb")) {
    if (m_file == nullptr) throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    png_structp& png = m_handles.png;
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &PngReader::onError, &PngReader::onWarning);
    if (png != nullptr) m_handles.info = png_create_info_struct(png);
    if (png == nullptr || m_handles.info == nullptr) fail("out of memory");
    png_infop info = m_handles.info;
    SourceLayout layout;
    int passes = 1;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, m_file.get());
        // libpng's own size limits stay at their maximum: the rows are
        // streamed, and the width is checked with a clearer message below.
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_read_info(png, info);
        png_charp name = nullptr;
        png_bytep profile = nullptr;
        png_uint_32 profileBytes = 0;
        int compression = 0;
        if (png_get_iCCP(png, info, &name, &compression, &profile, &profileBytes) != 0 && profile != nullptr) {
            setEmbeddedProfile(std::vector<uint8_t>(profile, profile + profileBytes));
        }
        readPlacement(png, info);
        png_set_expand(png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
        if (png_get_bit_depth(png, info) == 16 && hostIsLittleEndian()) png_set_swap(png);
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        layout.width = png_get_image_width(png, info);
        layout.height = png_get_image_height(png, info);
        layout.bits = png_get_bit_depth(png, info);
        layout.samplesPerPixel = png_get_channels(png, info);
        m_rowBytes = png_get_rowbytes(png, info);
    } else {
        failWithMessage();
    }
    layout.model = layout.samplesPerPixel <= 2 ? ColourModel::Grey : ColourModel::Rgb;
    layout.alphaIndex = layout.samplesPerPixel == 2 || layout.samplesPerPixel == 4 ? layout.samplesPerPixel - 1 : -1;
    setLayout(layout);
    if (passes > 1) readWholeImage();
}

void PngReader::onError(png_structp png, png_const_charp message) {
    auto* self = static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(self->m_message, sizeof self->m_message, "%s", message);
    png_longjmp(png, 1);
}

void PngReader::readPlacement(png_structp png, png_infop info) {
    png_uint_32 x = 0, y = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &x, &y, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
        setResolution(Resolution::perMetre(x, y));
    }
    png_uint_32 exifBytes = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &exifBytes, &exif) != 0 && exif != nullptr) {
        setOrientation(ExifTags::parse(exif, exifBytes).orientation);
    }
}

void PngReader::readWholeImage() {
    const uint64_t bytes = static_cast<uint64_t>(m_rowBytes) * storedHeight();
    // The pixels and libpng's table of row pointers.
    if (bytes + sizeof(png_bytep) * uint64_t{storedHeight()} > kMaxWholeImageBytes) {
        fail("the image is interlaced and needs " + std::to_string(bytes >> 20) + " MiB at once; at most " +
             std::to_string(kMaxWholeImageBytes >> 20) + " MiB are supported (save it without interlacing)");
    }
    m_wholeImage.reset(new unsigned char[bytes]);
    std::vector<png_bytep> rows(storedHeight());
    for (uint32_t y = 0; y < storedHeight(); ++y) rows[y] = m_wholeImage.get() + y * m_rowBytes;
    if (setjmp(png_jmpbuf(m_handles.png)) != 0) failWithMessage();
    png_read_image(m_handles.png, rows.data());
}

void PngReader::readSourceRow(void* row) {
    if (m_nextRow >= storedHeight()) fail("read past the last row");
    if (m_wholeImage != nullptr) {
        std::memcpy(row, m_wholeImage.get() + m_nextRow * m_rowBytes, m_rowBytes);
    } else {
        if (setjmp(png_jmpbuf(m_handles.png)) != 0) failWithMessage();
        png_read_row(m_handles.png, static_cast<png_bytep>(row), nullptr);
    }
    ++m_nextRow;
}

} // namespace

std::unique_ptr<ImageReader> openPng(const std::string& path) {
    return std::make_unique<PngReader>(path);
}

} // namespace varnel_tool
