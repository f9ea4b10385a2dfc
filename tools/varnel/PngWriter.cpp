#include "PngWriter.h"

#include "ToolError.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace varnel_tool {

namespace {

void onPngError(png_structp png, png_const_charp message) {
    char* buffer = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(buffer, 256, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

} // namespace

PngWriter::PngWriter(const PendingFile& file, uint32_t width, uint32_t height, int channels, int bits,
                     const Resolution& resolution)
    : m_name(file.finalPath()) {
    m_file = std::fopen(file.writePath().c_str(), "wb");
    if (m_file == nullptr) throw ToolError("cannot write '" + m_name + "': " + systemErrorText(errno));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, m_message, &onPngError, &onPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    m_png = png;
    m_info = info;
    try {
        if (png == nullptr || info == nullptr) {
            std::snprintf(m_message, sizeof m_message, "out of memory");
            fail();
        }
        if (setjmp(png_jmpbuf(png)) != 0) fail();
        png_set_write_fn(png, this, &PngWriter::writeData, &PngWriter::flushData);
        png_set_IHDR(png, info, width, height, bits, channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (resolution.known()) {
            png_set_pHYs(png, info, Resolution::pixelsPerMetre(resolution.x), Resolution::pixelsPerMetre(resolution.y),
                         PNG_RESOLUTION_METER);
        }
        // Plates and proof are compressed on the one writing thread: at
        // zlib's default level they made a 6-ink run of 59 megapixels take
        // about ten times as long as the separation alone, at level 1 about
        // three times, for files some 15 % larger.
        png_set_compression_level(png, 1);
        png_write_info(png, info);
        if (bits == 16 && hostIsLittleEndian()) png_set_swap(png);
    } catch (...) {
        release();
        throw;
    }
}

PngWriter::~PngWriter() {
    release();
}

void PngWriter::release() {
    png_structp png = static_cast<png_structp>(m_png);
    png_infop info = static_cast<png_infop>(m_info);
    if (png != nullptr) png_destroy_write_struct(&png, &info);
    m_png = nullptr;
    m_info = nullptr;
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
}

void PngWriter::fail() const {
    throw ToolError("cannot write '" + m_name + "': " + (m_error != 0 ? systemErrorText(m_error) : m_message));
}

// libpng's own writer says only "Write Error"; the system's reason is kept.
void PngWriter::writeData(png_struct_def* png, unsigned char* data, size_t size) {
    auto* self = static_cast<PngWriter*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, size, self->m_file) != size) {
        self->m_error = errno;
        png_error(png, "write error");
    }
}

void PngWriter::flushData(png_struct_def* png) {
    auto* self = static_cast<PngWriter*>(png_get_io_ptr(png));
    if (std::fflush(self->m_file) != 0) {
        self->m_error = errno;
        png_error(png, "write error");
    }
}

void PngWriter::writeRow(const void* row) {
    png_structp png = static_cast<png_structp>(m_png);
    if (setjmp(png_jmpbuf(png)) != 0) fail();
    png_write_row(png, static_cast<png_const_bytep>(row));
}

void PngWriter::finish() {
    png_structp png = static_cast<png_structp>(m_png);
    png_infop info = static_cast<png_infop>(m_info);
    if (setjmp(png_jmpbuf(png)) != 0) fail();
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    m_png = nullptr;
    m_info = nullptr;
    FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) {
        m_error = errno;
        fail();
    }
}

} // namespace varnel_tool
