// PNG input through libpng. libpng reports errors by longjmp, so every call
// into it sits behind a setjmp in the same function and the error becomes
// a ToolError only after control is back in this file's frames.
#include "ImageFormats.h"
#include "ToolError.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace varnel_tool {

namespace {

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

class PngReader final : public ImageReader {
public:
    explicit PngReader(const std::string& path);
    ~PngReader() override;

protected:
    void readSourceRow(void* row) override;

private:
    static void onError(png_structp png, png_const_charp message);
    static void onWarning(png_structp, png_const_charp) {}
    [[noreturn]] void fail() const;
    void readWholeImage();

    FILE* m_file = nullptr;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    char m_message[256] = {0};
    size_t m_rowBytes = 0;
    uint32_t m_nextRow = 0;
    // Only for interlaced images, whose rows are complete only after the
    // last pass.
    std::vector<unsigned char> m_wholeImage;
};

PngReader::PngReader(const std::string& path) : ImageReader(path) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &PngReader::onError, &PngReader::onWarning);
    if (m_png != nullptr) m_info = png_create_info_struct(m_png);
    if (m_png == nullptr || m_info == nullptr) {
        png_destroy_read_struct(&m_png, &m_info, nullptr);
        std::fclose(m_file);
        throw ToolError("cannot read '" + path + "': out of memory");
    }
    SourceLayout layout;
    int passes = 1;
    if (setjmp(png_jmpbuf(m_png)) == 0) {
        png_init_io(m_png, m_file);
        // Large images are welcome; the rows are streamed.
        png_set_user_limits(m_png, 0x7fffffff, 0x7fffffff);
        png_read_info(m_png, m_info);
        png_set_expand(m_png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
        if (png_get_bit_depth(m_png, m_info) == 16 && hostIsLittleEndian()) png_set_swap(m_png);
        passes = png_set_interlace_handling(m_png);
        png_read_update_info(m_png, m_info);
        layout.width = png_get_image_width(m_png, m_info);
        layout.height = png_get_image_height(m_png, m_info);
        layout.bits = png_get_bit_depth(m_png, m_info);
        layout.samplesPerPixel = png_get_channels(m_png, m_info);
        m_rowBytes = png_get_rowbytes(m_png, m_info);
    } else {
        png_destroy_read_struct(&m_png, &m_info, nullptr);
        std::fclose(m_file);
        throw ToolError("cannot read '" + path + "': " + m_message);
    }
    layout.grey = layout.samplesPerPixel <= 2;
    layout.alphaIndex = layout.samplesPerPixel == 2 || layout.samplesPerPixel == 4 ? layout.samplesPerPixel - 1 : -1;
    setLayout(layout);
    if (passes > 1) readWholeImage();
}

PngReader::~PngReader() {
    png_destroy_read_struct(&m_png, &m_info, nullptr);
    if (m_file != nullptr) std::fclose(m_file);
}

void PngReader::onError(png_structp png, png_const_charp message) {
    auto* self = static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(self->m_message, sizeof self->m_message, "%s", message);
    png_longjmp(png, 1);
}

void PngReader::fail() const {
    throw ToolError("cannot read '" + path() + "': " + m_message);
}

void PngReader::readWholeImage() {
    m_wholeImage.assign(m_rowBytes * height(), 0);
    std::vector<png_bytep> rows(height());
    for (uint32_t y = 0; y < height(); ++y) rows[y] = m_wholeImage.data() + y * m_rowBytes;
    if (setjmp(png_jmpbuf(m_png)) != 0) fail();
    png_read_image(m_png, rows.data());
}

void PngReader::readSourceRow(void* row) {
    if (m_nextRow >= height()) throw ToolError("cannot read '" + path() + "': read past the last row");
    if (!m_wholeImage.empty()) {
        std::memcpy(row, m_wholeImage.data() + m_nextRow * m_rowBytes, m_rowBytes);
    } else {
        if (setjmp(png_jmpbuf(m_png)) != 0) fail();
        png_read_row(m_png, static_cast<png_bytep>(row), nullptr);
    }
    ++m_nextRow;
}

} // namespace

std::unique_ptr<ImageReader> openPng(const std::string& path) {
    return std::make_unique<PngReader>(path);
}

} // namespace varnel_tool
