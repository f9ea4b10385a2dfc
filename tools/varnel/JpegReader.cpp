// JPEG input through libjpeg: grey, colour (decoded to RGB) or CMYK, 8 bits,
// with the ICC profile of its APP2 markers.
// libjpeg's default error handler ends the process; errors here longjmp
// back into the calling function of this file instead.
#include "ExifTags.h"
#include "ImageFormats.h"
#include "ToolError.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

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

// Warnings (level -1) say that the data is corrupt: libjpeg would go on and
// fill the damaged part with grey, which would then be separated and
// printed as if it were the picture. They stop the reading instead. Trace
// messages (levels 0 and up) are ignored.
void onJpegMessage(j_common_ptr info, int level) {
    if (level < 0) onJpegError(info);
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Destroyed after the decompressor's users, also when a constructor throws.
struct JpegDecompressor {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    bool created = false;
    // Held here, not in a local, so that it survives a longjmp.
    JOCTET* profile = nullptr;
    unsigned int profileBytes = 0;
    ~JpegDecompressor() {
        // Rows not read are abandoned; destroying without finishing is allowed.
        if (created) jpeg_destroy_decompress(&info);
        std::free(profile);
    }
};

class JpegReader final : public ImageReader {
public:
    explicit JpegReader(const std::string& path);

protected:
    void readSourceRow(void* row) override;

private:
    // The resolution (JFIF density, else EXIF) and orientation (EXIF).
    void readPlacement();

    std::unique_ptr<FILE, FileCloser> m_file;
    JpegDecompressor m_jpeg;
    // CMYK written with an Adobe marker stores 255 as no ink.
    bool m_invertCmyk = false;
};

JpegReader::JpegReader(const std::string& path) : ImageReader(path), m_file(std::fopen(path.c_str(), "rb")) {
    if (m_file == nullptr) throw ToolError("cannot open '" + path + "': " + systemErrorText(errno));
    jpeg_decompress_struct& info = m_jpeg.info;
    info.err = jpeg_std_error(&m_jpeg.errors.base);
    m_jpeg.errors.base.error_exit = &onJpegError;
    m_jpeg.errors.base.emit_message = &onJpegMessage;
    SourceLayout layout;
    if (setjmp(m_jpeg.errors.jump) == 0) {
        jpeg_create_decompress(&info);
        m_jpeg.created = true;
        jpeg_stdio_src(&info, m_file.get());
        jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);  // the ICC profile, in parts
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);  // EXIF
        jpeg_read_header(&info, TRUE);
        readPlacement();
        jpeg_read_icc_profile(&info, &m_jpeg.profile, &m_jpeg.profileBytes);
        // A progressive or multi-scan image keeps the coefficients of every
        // block until its last scan: two bytes per sample of the picture.
        // (Throwing from here is fine; only libjpeg's longjmp must land in
        // this frame.)
        const uint64_t wholeImageBytes = uint64_t{2} * info.image_width * info.image_height * info.num_components;
        if (jpeg_has_multiple_scans(&info) && wholeImageBytes > kMaxWholeImageBytes) {
            fail("the image is progressive and needs " + std::to_string(wholeImageBytes >> 20) +
                 " MiB at once; at most " + std::to_string(kMaxWholeImageBytes >> 20) + " MiB are supported");
        }
        const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
        info.out_color_space = cmyk ? JCS_CMYK : info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
        m_invertCmyk = cmyk && info.saw_Adobe_marker;
        // Also a bound for what libjpeg allocates on its own.
        info.mem->max_memory_to_use = static_cast<long>(kMaxWholeImageBytes);
        jpeg_start_decompress(&info);
        layout.width = info.output_width;
        layout.height = info.output_height;
        layout.samplesPerPixel = info.output_components;
        layout.model = cmyk ? ColourModel::Cmyk : info.output_components == 1 ? ColourModel::Grey : ColourModel::Rgb;
    } else {
        fail(m_jpeg.errors.message);
    }
    if (m_jpeg.profile != nullptr) {
        setEmbeddedProfile(std::vector<uint8_t>(m_jpeg.profile, m_jpeg.profile + m_jpeg.profileBytes));
    }
    setLayout(layout);
}

void JpegReader::readPlacement() {
    const jpeg_decompress_struct& info = m_jpeg.info;
    ExifTags exif;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0) {
            exif = ExifTags::parse(marker->data, marker->data_length);
            break;
        }
    }
    setOrientation(exif.orientation);
    if (info.saw_JFIF_marker && info.density_unit == 1) {
        setResolution(Resolution::perInch(info.X_density, info.Y_density));
    } else if (info.saw_JFIF_marker && info.density_unit == 2) {
        setResolution(Resolution::perCentimetre(info.X_density, info.Y_density));
    } else {
        setResolution(exif.resolution);
    }
}

void JpegReader::readSourceRow(void* row) {
    if (setjmp(m_jpeg.errors.jump) != 0) fail(m_jpeg.errors.message);
    JSAMPROW rows[1] = {static_cast<JSAMPROW>(row)};
    if (jpeg_read_scanlines(&m_jpeg.info, rows, 1) != 1) fail("the image data ends early");
    if (m_invertCmyk) {
        auto* samples = static_cast<uint8_t*>(row);
        for (uint32_t i = 0; i < storedWidth() * 4u; ++i) samples[i] = static_cast<uint8_t>(255 - samples[i]);
    }
}

} // namespace

std::unique_ptr<ImageReader> openJpeg(const std::string& path) {
    return std::make_unique<JpegReader>(path);
}

} // namespace varnel_tool
