#include "support/ToolTestSupport.h"

#include <varnel/VarnelDll.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <jpeglib.h>

namespace tooltest {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

FILE* openFile(const std::string& path, const char* mode) {
    FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) fail("cannot open " + path);
    return file;
}

pid_t startTool(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
                uint64_t fileSizeLimit = 0) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (fileSizeLimit != 0) {
            // A write past the limit then fails with EFBIG instead of a signal.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::string tool = VARNEL_TOOL_PATH;
        std::vector<std::string> copies = args;
        std::vector<char*> argv = {tool.data()};
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

ToolResult finish(pid_t pid, const std::string& outPath, const std::string& errPath) {
    int status = 0;
    waitpid(pid, &status, 0);
    ToolResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readFile(outPath),
                      readFile(errPath)};
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return result;
}

std::string captureName(const char* kind) {
    static int counter = 0;
    return "/tmp/varnel-tooltest-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "." + kind;
}

} // namespace

std::vector<std::string> ToolFolder::entries() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ToolResult runTool(const std::vector<std::string>& args, uint64_t fileSizeLimit) {
    const std::string out = captureName("out"), err = captureName("err");
    return finish(startTool(args, out, err, fileSizeLimit), out, err);
}

ToolResult runToolAndInterrupt(const std::vector<std::string>& args, const std::string& folder, int signalNumber) {
    const std::string out = captureName("out"), err = captureName("err");
    const pid_t pid = startTool(args, out, err);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    auto temporaryExists = [&folder] {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().filename().string().find(".varnel-") != std::string::npos) return true;
        return false;
    };
    while (!temporaryExists() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    kill(pid, signalNumber);
    return finish(pid, out, err);
}

Image makeTestImage(uint32_t width, uint32_t height, int channels, int bits) {
    Image image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.bits = bits;
    const uint32_t max = bits == 8 ? 255 : 65535;
    uint32_t state = 12345;
    auto next = [&state, max] {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint16_t>((state >> 8) % (max + 1));
    };
    std::vector<uint16_t> pixel(static_cast<size_t>(channels));
    for (uint32_t i = 0; i < width * height; ++i) {
        // Every fourth pixel repeats its predecessor: the library serves
        // repeats from memory, which must give the same values.
        if (i % 4 != 3) {
            for (uint16_t& s : pixel) s = next();
            if (i == 0) std::fill(pixel.begin(), pixel.end(), max);             // white paper
            if (i == 1) std::fill(pixel.begin(), pixel.end(), 0);               // black
            if (channels >= 2 && (channels % 2) == 0 && i % 7 == 0) pixel[static_cast<size_t>(channels - 1)] = static_cast<uint16_t>(max);
        }
        image.samples.insert(image.samples.end(), pixel.begin(), pixel.end());
    }
    return image;
}

void writePng(const std::string& path, const Image& image, const std::string& iccProfile, uint32_t pixelsPerMetre) {
    FILE* file = openFile(path, "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) fail("libpng failed writing " + path);
    png_init_io(png, file);
    static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                 PNG_COLOR_TYPE_RGB_ALPHA};
    png_set_IHDR(png, info, image.width, image.height, image.bits, kTypes[image.channels], PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!iccProfile.empty()) {
        png_set_iCCP(png, info, "profile", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(iccProfile.data()), static_cast<png_uint_32>(iccProfile.size()));
    }
    if (pixelsPerMetre != 0) png_set_pHYs(png, info, pixelsPerMetre, pixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * image.channels * (image.bits / 8));
    for (uint32_t y = 0; y < image.height; ++y) {
        for (size_t i = 0; i < static_cast<size_t>(image.width) * image.channels; ++i) {
            const uint16_t v = image.samples[y * static_cast<size_t>(image.width) * image.channels + i];
            if (image.bits == 8) {
                row[i] = static_cast<uint8_t>(v);
            } else {
                row[2 * i] = static_cast<uint8_t>(v >> 8);  // PNG is big-endian
                row[2 * i + 1] = static_cast<uint8_t>(v);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

Image readPng(const std::string& path) {
    FILE* file = openFile(path, "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) fail("libpng failed reading " + path);
    png_init_io(png, file);
    png_read_info(png, info);
    Image image;
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.channels = png_get_channels(png, info);
    image.bits = png_get_bit_depth(png, info);
    std::vector<uint8_t> row(png_get_rowbytes(png, info));
    for (uint32_t y = 0; y < image.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (size_t i = 0; i < static_cast<size_t>(image.width) * image.channels; ++i) {
            image.samples.push_back(image.bits == 8 ? row[i] : static_cast<uint16_t>(row[2 * i] << 8 | row[2 * i + 1]));
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return image;
}

uint16_t paletteColour(uint32_t index, int component) {
    return static_cast<uint16_t>((index * 40503u + static_cast<uint32_t>(component) * 21845u) & 0xFFFFu);
}

namespace {

// Packs samples of bits each, most significant bit first, in TIFF's
// manner; 16- and 32-bit samples in host order as libtiff expects them.
std::vector<uint8_t> packSamples(const uint16_t* samples, size_t count, int bits) {
    std::vector<uint8_t> packed;
    if (bits == 16 || bits == 32) {
        packed.resize(count * static_cast<size_t>(bits / 8));
        for (size_t i = 0; i < count; ++i) {
            if (bits == 16) reinterpret_cast<uint16_t*>(packed.data())[i] = samples[i];
            else reinterpret_cast<uint32_t*>(packed.data())[i] = uint32_t{samples[i]} << 16;
        }
        return packed;
    }
    packed.assign((count * static_cast<size_t>(bits) + 7) / 8, 0);
    size_t bit = 0;
    for (size_t i = 0; i < count; ++i) {
        for (int b = bits - 1; b >= 0; --b, ++bit) {
            if ((samples[i] >> b) & 1) packed[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        }
    }
    return packed;
}

} // namespace

void writeTiffLayout(const std::string& path, const Image& image, const TiffLayout& layout) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr) fail("cannot create " + path);
    const int spp = image.channels;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, layout.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    if (layout.compression == COMPRESSION_JPEG) TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    // YCbCr outside JPEG is stored as given: one Cb and Cr per pixel.
    else if (layout.photometric == PHOTOMETRIC_YCBCR) TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, 1, 1);
    if (!layout.iccProfile.empty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(layout.iccProfile.size()), layout.iccProfile.data());
    }
    if (layout.alpha) {
        uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    }
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> map[3];
        for (int c = 0; c < 3; ++c)
            for (uint32_t i = 0; i < (1u << layout.bits); ++i) map[c].push_back(paletteColour(i, c));
        TIFFSetField(tiff, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    const int planes = layout.planar ? spp : 1;
    const int samplesPerPlane = layout.planar ? 1 : spp;
    // The samples of one plane in a rectangle, zero beyond the image.
    auto block = [&](int plane, uint32_t left, uint32_t top, uint32_t columns, uint32_t rows) {
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> row(static_cast<size_t>(columns) * samplesPerPlane);
        for (uint32_t y = top; y < top + rows; ++y) {
            for (uint32_t x = 0; x < columns; ++x)
                for (int s = 0; s < samplesPerPlane; ++s)
                    row[x * samplesPerPlane + s] = y < image.height && left + x < image.width
                                                       ? image.at(left + x, y, layout.planar ? plane : s) : 0;
            const std::vector<uint8_t> packed = packSamples(row.data(), row.size(), layout.bits);
            bytes.insert(bytes.end(), packed.begin(), packed.end());
        }
        return bytes;
    };
    if (layout.tileSize > 0) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, layout.tileSize);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, layout.tileSize);
        for (int p = 0; p < planes; ++p)
            for (uint32_t top = 0; top < image.height; top += layout.tileSize)
                for (uint32_t left = 0; left < image.width; left += layout.tileSize) {
                    std::vector<uint8_t> tile = block(p, left, top, layout.tileSize, layout.tileSize);
                    TIFFWriteTile(tiff, tile.data(), left, top, 0, static_cast<uint16_t>(p));
                }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
        for (int p = 0; p < planes; ++p)
            for (uint32_t y = 0; y < image.height; ++y) {
                std::vector<uint8_t> row = block(p, 0, y, image.width, 1);
                TIFFWriteScanline(tiff, row.data(), y, static_cast<uint16_t>(p));
            }
    }
    TIFFClose(tiff);
}

void writeTiff(const std::string& path, const Image& image) {
    writeTiffLayout(path, image,
                    TiffLayout{image.bits, image.channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK, "", false,
                               0, COMPRESSION_LZW, image.channels == 2 || image.channels == 4});
}

void writeJpeg(const std::string& path, const Image& image, const std::string& iccProfile, unsigned dotsPerInch,
               const std::string& exif, bool progressive) {
    FILE* file = openFile(path, "wb");
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = image.channels;
    info.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : image.channels == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (dotsPerInch != 0) {
        info.density_unit = 1;
        info.X_density = info.Y_density = static_cast<UINT16>(dotsPerInch);
    }
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (!exif.empty()) {
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                          static_cast<unsigned int>(exif.size()));
    }
    if (!iccProfile.empty()) {
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET*>(iccProfile.data()),
                               static_cast<unsigned int>(iccProfile.size()));
    }
    std::vector<JSAMPLE> row(static_cast<size_t>(image.width) * image.channels);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<JSAMPLE>(image.samples[y * row.size() + i]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

Image readJpeg(const std::string& path) {
    FILE* file = openFile(path, "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    Image image;
    image.width = info.output_width;
    image.height = info.output_height;
    image.channels = info.output_components;
    std::vector<JSAMPLE> row(static_cast<size_t>(image.width) * image.channels);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        image.samples.insert(image.samples.end(), row.begin(), row.end());
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return image;
}

SeparatedTiff readSeparatedTiff(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr) fail("cannot open " + path);
    SeparatedTiff result;
    Image& image = result.image;
    uint16_t spp = 0, bits = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &result.photometric);
    TIFFGetField(tiff, TIFFTAG_INKSET, &result.inkSet);
    TIFFGetField(tiff, TIFFTAG_NUMBEROFINKS, &result.numberOfInks);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &result.compression);
    uint16_t* kinds = nullptr;
    TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &result.extraSamples, &kinds);
    const char* names = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_INKNAMES, &names) && names != nullptr) {
        for (int i = 0; i < result.numberOfInks; ++i) {
            result.inkNames.emplace_back(names);
            names += result.inkNames.back().size() + 1;
        }
    }
    image.channels = spp;
    image.bits = bits;
    std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tiff)));
    for (uint32_t y = 0; y < image.height; ++y) {
        if (TIFFReadScanline(tiff, row.data(), y, 0) < 0) fail("cannot read row of " + path);
        for (size_t i = 0; i < static_cast<size_t>(image.width) * spp; ++i) {
            image.samples.push_back(bits == 8 ? row[i] : reinterpret_cast<const uint16_t*>(row.data())[i]);
        }
    }
    TIFFClose(tiff);
    return result;
}

void expectInvertedValues(const Image& tiff, const std::vector<uint16_t>& library, int bits) {
    const uint16_t max = bits == 8 ? 255 : 65535;
    ASSERT_EQ(tiff.bits, bits);
    ASSERT_EQ(tiff.samples.size(), library.size());
    size_t mismatches = 0;
    for (size_t i = 0; i < library.size(); ++i) {
        if (tiff.samples[i] != max - library[i] && mismatches++ < 5) {
            ADD_FAILURE() << "sample " << i << ": TIFF " << tiff.samples[i] << ", library " << library[i];
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
}

bool exists(const std::string& path) {
    return fs::exists(path);
}

std::string commandErrors(const std::string& command) {
    const std::string errPath = captureName("cmd");
    const int status = std::system((command + " >/dev/null 2>" + errPath).c_str());
    std::string errors = readFile(errPath);
    unlink(errPath.c_str());
    if (status != 0) errors += "(exit status " + std::to_string(status) + ")";
    return errors;
}

std::vector<uint16_t> librarySeparation(const std::string& preset, const std::vector<uint16_t>& rgb, int bits,
                                        int& channels) {
    CVarnelDll instance;
    std::vector<char> name(preset.begin(), preset.end());
    name.push_back('\0');
    if (instance.SetPreferences(name.data(), nullptr, nullptr, 0, 0, nullptr, 0) != 0) fail("preset does not load");
    channels = static_cast<int>(instance.GetChannels());
    std::vector<uint16_t> result;
    for (size_t p = 0; p < rgb.size(); p += 3) {
        unsigned char in8[3] = {static_cast<unsigned char>(rgb[p]), static_cast<unsigned char>(rgb[p + 1]),
                                static_cast<unsigned char>(rgb[p + 2])}, out8[16];
        unsigned short in16[3] = {rgb[p], rgb[p + 1], rgb[p + 2]}, out16[16];
        if (bits == 8) {
            instance.RGB8ToMultichannel(in8, out8, 1);
            result.insert(result.end(), out8, out8 + channels);
        } else {
            instance.RGB16ToMultichannel(in16, out16, 1);
            result.insert(result.end(), out16, out16 + channels);
        }
    }
    return result;
}

uint64_t bigEndian(const std::string& data, size_t at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | static_cast<unsigned char>(data.at(at + i));
    return value;
}

std::string failureName(const ::testing::TestParamInfo<FailureCase>& info) {
    return info.param.name;
}

} // namespace tooltest
