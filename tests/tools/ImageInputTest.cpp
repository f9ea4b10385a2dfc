// varnel separate on hostile input files, and on every TIFF layout it reads:
// a hostile file gets one clear line and a non-zero exit and leaves no file
// behind; a valid layout separates exactly like the same pixels in a plain
// PNG.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace tooltest;

namespace {

std::string bigEndian32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string pngChunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return bigEndian32(static_cast<uint32_t>(data.size())) + body + bigEndian32(static_cast<uint32_t>(crc));
}

// An RGB PNG whose header claims the size, followed by a few rows of data.
std::string claimingPng(uint32_t width, uint32_t height, bool interlaced) {
    const std::string header = bigEndian32(width) + bigEndian32(height) + std::string{8, 2, 0, 0} +
                               std::string(1, interlaced ? 1 : 0);
    std::string rows(4096, '\0');
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
             static_cast<uLong>(rows.size()));
    packed.resize(packedSize);
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
           pngChunk("IEND", "");
}

// Samples of a test image reduced to bits.
Image imageOfBits(uint32_t width, uint32_t height, int channels, int bits) {
    Image image = makeTestImage(width, height, channels, 16);
    image.bits = bits;
    for (uint16_t& s : image.samples) s = static_cast<uint16_t>(bits >= 16 ? s : s >> (16 - bits));
    return image;
}

// An 8-bit RGB TIFF of a square side, strips of rowsPerStrip rows, each
// strip written raw as `bytes` bytes whatever the size it is due.
void rawRgbTiff(const std::string& path, uint32_t side, uint32_t rowsPerStrip, uint32_t strips, size_t bytes) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    const std::string strip(bytes, '\x40');
    for (uint32_t s = 0; s < strips; ++s)
        TIFFWriteRawStrip(tiff, s, const_cast<char*>(strip.data()), static_cast<tmsize_t>(strip.size()));
    TIFFClose(tiff);
}

// ---------------------------------------------------------------------------

// An input file that the reader refuses, made by make under file.
FailureCase hostile(const char* name, const char* file, std::function<void(const std::string& path)> make,
                    const char* message) {
    return {name, {std::string("@") + file, "-c", "HUE_PARAM_CMYK"}, 1, message,
            [file, make](const ToolFolder& f) { make(f.path(file)); }};
}

const Image kSmall = makeTestImage(19, 11, 3, 8);

// The first half of a valid file.
void halve(const std::string& path) {
    const std::string bytes = readFile(path);
    writeFile(path, bytes.substr(0, bytes.size() / 2));
}

// A JPEG of kSmall with the bytes at offset from its first marker replaced.
void editedJpeg(const std::string& path, bool progressive, const char* marker, size_t offset,
                const std::string& bytes) {
    writeJpeg(path, kSmall, "", 0, "", progressive);
    std::string data = readFile(path);
    data.replace(data.find(marker) + offset, bytes.size(), bytes);
    writeFile(path, data);
}

// A TIFF of layout that the reader refuses before its first row.
std::function<void(const std::string&)> refusedLayout(const TiffLayout& layout) {
    return [layout](const std::string& path) { writeTiffLayout(path, imageOfBits(16, 16, 3, 16), layout); };
}

INSTANTIATE_TEST_SUITE_P(
    Images, SeparateFailure,
    ::testing::Values(
        hostile("TruncatedTiff", "in.tif", [](const std::string& p) { writeTiff(p, kSmall); halve(p); }, "TIFF"),
        hostile("TruncatedJpeg", "in.jpg", [](const std::string& p) { writeJpeg(p, kSmall); halve(p); },
                "Premature end of JPEG file"),
        // Rows are streamed: the claim alone allocates nothing, the data
        // ends after a few rows.
        hostile("GigapixelPng", "in.png", [](const std::string& p) { writeFile(p, claimingPng(100000, 100000, false)); },
                "Not enough image data"),
        hostile("GigapixelInterlacedPng", "in.png",
                [](const std::string& p) { writeFile(p, claimingPng(100000, 100000, true)); },
                "interlaced and needs 28610 MiB at once"),
        hostile("TooWidePng", "in.png", [](const std::string& p) { writeFile(p, claimingPng(2000000, 1, false)); },
                "2000000 pixels wide"),
        hostile("GigapixelProgressiveJpeg", "in.jpg",  // 65000 x 65000
                [](const std::string& p) { editedJpeg(p, true, "\xFF\xC2", 5, "\xFD\xE8\xFD\xE8"); },
                "progressive and needs"),
        hostile("JpegBadMarkerLength", "in.jpg",
                [](const std::string& p) { editedJpeg(p, false, "\xFF\xDB", 2, std::string("\x00\x01", 2)); },
                "Bogus marker length"),
        hostile("GigapixelTiff", "in.tif", [](const std::string& p) { rawRgbTiff(p, 100000, 100000, 1, 300000); },
                "Read error"),
        hostile("WrongStripSize", "in.tif",  // 600 bytes are due
                [](const std::string& p) { rawRgbTiff(p, 20, 10, 2, 100); }, "got 328 bytes, expected 600"),
        hostile("Bits32Tiff", "in.tif", refusedLayout(TiffLayout{32, PHOTOMETRIC_RGB, ""}),
                "32-bit samples are not supported"),
        hostile("FloatTiff", "in.tif",
                refusedLayout(TiffLayout{32, PHOTOMETRIC_RGB, "", false, 0, 1, false, 3, SAMPLEFORMAT_IEEEFP}),
                "floating-point samples are not supported"),
        hostile("YCbCr16Bit", "in.tif", refusedLayout(TiffLayout{16, PHOTOMETRIC_YCBCR, ""}),
                "YCbCr is supported with 8 bits only")),
    failureName);

// ---------------------------------------------------------------------------

// The pixels a TIFF layout stands for, as a plain image: samples scaled to
// 8 bits (up to 8 stored bits) or 16 bits, palette indices looked up,
// MinIsWhite inverted.
Image plainEquivalent(const Image& stored, const TiffLayout& layout) {
    Image plain = stored;
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
        plain.channels = 3;
        plain.bits = 16;
        plain.samples.clear();
        for (uint16_t index : stored.samples)
            for (int c = 0; c < 3; ++c) plain.samples.push_back(paletteColour(index, c));
        return plain;
    }
    plain.bits = layout.bits <= 8 ? 8 : 16;
    const uint32_t max = (1u << layout.bits) - 1, target = (1u << plain.bits) - 1;
    for (uint16_t& s : plain.samples) {
        s = static_cast<uint16_t>((s * target + max / 2) / max);
        if (layout.photometric == PHOTOMETRIC_MINISWHITE) s = static_cast<uint16_t>(target - s);
    }
    return plain;
}

// What libtiff's RGBA interface decodes from the file, as 8-bit RGB.
Image decodedByLibtiff(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    Image image;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &image.height);
    std::vector<uint32_t> rgba(static_cast<size_t>(image.width) * image.height);
    TIFFReadRGBAImageOriented(tiff, image.width, image.height, rgba.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
    for (uint32_t pixel : rgba)
        image.samples.insert(image.samples.end(), {static_cast<uint16_t>(TIFFGetR(pixel)),
                                                   static_cast<uint16_t>(TIFFGetG(pixel)),
                                                   static_cast<uint16_t>(TIFFGetB(pixel))});
    return image;
}

struct LayoutCase {
    const char* name;
    int channels;
    TiffLayout layout;
};

class TiffLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TiffLayoutTest, SeparatesLikeThePlainImage) {
    const LayoutCase& param = GetParam();
    ToolFolder folder;
    // Odd sizes: partial strips and tiles at the right and bottom edges.
    const Image stored = imageOfBits(37, 35, param.channels, param.layout.bits);
    writeTiffLayout(folder.path("in.tif"), stored, param.layout);
    const Image plain = param.layout.photometric == PHOTOMETRIC_YCBCR ? decodedByLibtiff(folder.path("in.tif"))
                                                                        : plainEquivalent(stored, param.layout);
    writePng(folder.path("plain.png"), plain);
    for (const char* input : {"in.tif", "plain.png"}) {
        const ToolResult run = runTool({"separate", folder.path(input), "-c", "HUE_PARAM_CMYKOG", "-o",
                                        folder.path(std::string(input) + ".out.tif"), "--depth", "16", "--quiet"});
        ASSERT_EQ(run.status, 0) << input << ": " << run.err;
    }
    const Image fromTiff = readSeparatedTiff(folder.path("in.tif.out.tif")).image;
    const Image fromPng = readSeparatedTiff(folder.path("plain.png.out.tif")).image;
    ASSERT_EQ(fromTiff.samples.size(), fromPng.samples.size());
    EXPECT_TRUE(fromTiff.samples == fromPng.samples);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TiffLayoutTest,
    ::testing::Values(
        LayoutCase{"Grey1Bit", 1, TiffLayout{1, PHOTOMETRIC_MINISBLACK, "", false, 0, COMPRESSION_PACKBITS}},
        LayoutCase{"MinIsWhite1Bit", 1, TiffLayout{1, PHOTOMETRIC_MINISWHITE, "", false, 0, COMPRESSION_NONE}},
        LayoutCase{"Grey2Bit", 1, TiffLayout{2, PHOTOMETRIC_MINISBLACK, "", false, 0, COMPRESSION_LZW}},
        LayoutCase{"Grey4BitTiled", 1, TiffLayout{4, PHOTOMETRIC_MINISBLACK, "", false, 16, COMPRESSION_NONE}},
        LayoutCase{"Rgb12Bit", 3, TiffLayout{12, PHOTOMETRIC_RGB, "", false, 0, COMPRESSION_NONE}},
        LayoutCase{"Palette4Bit", 1, TiffLayout{4, PHOTOMETRIC_PALETTE, "", false, 0, COMPRESSION_NONE}},
        LayoutCase{"Palette8BitTiled", 1, TiffLayout{8, PHOTOMETRIC_PALETTE, "", false, 16, COMPRESSION_ADOBE_DEFLATE}},
        LayoutCase{"PlanarStrips", 3, TiffLayout{8, PHOTOMETRIC_RGB, "", true, 0, COMPRESSION_ADOBE_DEFLATE}},
        LayoutCase{"PlanarStripsAlpha16", 4, TiffLayout{16, PHOTOMETRIC_RGB, "", true, 0, COMPRESSION_LZW, true}},
        LayoutCase{"TiledRgb", 3, TiffLayout{8, PHOTOMETRIC_RGB, "", false, 16, COMPRESSION_LZW}},
        LayoutCase{"TiledPlanar16", 3, TiffLayout{16, PHOTOMETRIC_RGB, "", true, 32, COMPRESSION_ADOBE_DEFLATE}},
        LayoutCase{"YCbCrJpegStrips", 3, TiffLayout{8, PHOTOMETRIC_YCBCR, "", false, 0, COMPRESSION_JPEG, false, 16}},
        LayoutCase{"YCbCrJpegTiles", 3, TiffLayout{8, PHOTOMETRIC_YCBCR, "", false, 16, COMPRESSION_JPEG, false, 16}},
        // Strips of 3 rows: the last one is partial.
        LayoutCase{"YCbCrLzwStrips", 3, TiffLayout{8, PHOTOMETRIC_YCBCR, "", false, 0, COMPRESSION_LZW}},
        LayoutCase{"YCbCrPlanarTiles", 3, TiffLayout{8, PHOTOMETRIC_YCBCR, "", true, 16, COMPRESSION_ADOBE_DEFLATE}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

} // namespace
