// JPEG input through libjpeg: grey or colour (decoded to RGB), 8 bits.
// libjpeg's default error handler ends the process; errors here longjmp
// back into the calling function of this file instead.
#include "ImageFormats.h"
#include "ToolError.h"

#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>

namespace varnel_tool {

namespace {

struct JpegErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg hands out its address
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Corrupt-data warnings still decode a picture; they are not shown.
void onJpegMessage(j_common_ptr, int) {}

class JpegReader final : public ImageReader {
public:
    explicit JpegReader(const std::string& path);
    ~JpegReader() override;

protected:
    void readSourceRow(void* row) override;

private:
    FILE* m_file = nullptr;
    jpeg_decompress_struct m_info{};
    JpegErrorManager m_errors{};
};

JpegReader::JpegReader(const std::string& path) : ImageReader(path) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    m_info.err = jpeg_std_error(&m_errors.base);
    m_errors.base.error_exit = &onJpegError;
    m_errors.base.emit_message = &onJpegMessage;
    SourceLayout layout;
    bool unsupported = false;
    if (setjmp(m_errors.jump) == 0) {
        jpeg_create_decompress(&m_info);
        jpeg_stdio_src(&m_info, m_file);
        jpeg_read_header(&m_info, TRUE);
        if (m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK) {
            unsupported = true;
        } else {
            m_info.out_color_space = m_info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
            jpeg_start_decompress(&m_info);
            layout.width = m_info.output_width;
            layout.height = m_info.output_height;
            layout.samplesPerPixel = m_info.output_components;
            layout.grey = m_info.output_components == 1;
        }
    } else {
        jpeg_destroy_decompress(&m_info);
        std::fclose(m_file);
        throw ToolError("cannot read '" + path + "': " + m_errors.message);
    }
    if (unsupported) {
        jpeg_destroy_decompress(&m_info);
        std::fclose(m_file);
        throw ToolError("cannot read '" + path + "': CMYK JPEG images are not supported, only RGB or grey");
    }
    setLayout(layout);
}

JpegReader::~JpegReader() {
    // Rows not read are abandoned; destroying without finishing is allowed.
    jpeg_destroy_decompress(&m_info);
    std::fclose(m_file);
}

void JpegReader::readSourceRow(void* row) {
    if (setjmp(m_errors.jump) != 0) {
        throw ToolError("cannot read '" + path() + "': " + m_errors.message);
    }
    JSAMPROW rows[1] = {static_cast<JSAMPROW>(row)};
    if (jpeg_read_scanlines(&m_info, rows, 1) != 1) {
        throw ToolError("cannot read '" + path() + "': the image data ends early");
    }
}

} // namespace

std::unique_ptr<ImageReader> openJpeg(const std::string& path) {
    return std::make_unique<JpegReader>(path);
}

} // namespace varnel_tool
