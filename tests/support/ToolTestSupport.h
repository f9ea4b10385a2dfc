// Helpers for the end-to-end tests of the varnel tool: a scratch folder,
// running the tool, writing small input images and reading outputs back.
#ifndef VARNEL_TESTS_TOOLTESTSUPPORT_H
#define VARNEL_TESTS_TOOLTESTSUPPORT_H

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tooltest {

// The shared scratch folder, with the path joining and listing the tool
// tests use.
class ToolFolder : public ScratchFolder {
public:
    std::string path(const std::string& name) const { return Path() + name; }
    // Every entry of the folder, hidden ones included, sorted.
    std::vector<std::string> entries() const;
};

struct ToolResult {
    int status = -1;    // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs the tool with the arguments and waits for it; with a file size
// limit, writes past it fail as on a full disk.
ToolResult runTool(const std::vector<std::string>& args, uint64_t fileSizeLimit = 0);
// Starts the tool and sends it a signal as soon as a hidden temporary
// file appears in folder; returns how it ended.
ToolResult runToolAndInterrupt(const std::vector<std::string>& args, const std::string& folder, int signalNumber);

// An image in memory: samples row by row, channels per pixel, 8 or 16 bits
// (always stored as 16-bit words).
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 3;
    int bits = 8;
    std::vector<uint16_t> samples;
    uint16_t at(uint32_t x, uint32_t y, int c) const {
        return samples[(static_cast<size_t>(y) * width + x) * channels + c];
    }
};

// Varied colours with runs of repeats, white and black, reproducible.
Image makeTestImage(uint32_t width, uint32_t height, int channels, int bits);

// How writeTiffLayout stores an image; the image's samples are the stored
// values (palette indices for a palette image) at layout.bits. The fields
// stand in the order that brace initialisation fills them.
struct TiffLayout {
    int bits = 8;              // 1 to 16, or 32
    int photometric = 2;       // a TIFF PHOTOMETRIC_* value (2: RGB)
    std::string iccProfile;    // embedded when not empty
    bool planar = false;       // one plane per sample
    uint32_t tileSize = 0;     // square tiles of this size; 0: strips
    int compression = 1;       // a TIFF COMPRESSION_* value (1: none)
    bool alpha = false;        // the last sample is unassociated alpha
    uint32_t rowsPerStrip = 3;
    int sampleFormat = 1;      // a TIFF SAMPLEFORMAT_* value (1: unsigned)
};
void writeTiffLayout(const std::string& path, const Image& image, const TiffLayout& layout);
// The colour map writeTiffLayout gives a palette image: index i is R, G, B.
uint16_t paletteColour(uint32_t index, int component);

// Optionally with an embedded ICC profile (PNG iCCP, JPEG APP2 markers),
// a resolution (PNG pHYs in pixels per metre, JPEG JFIF in dots per inch)
// and EXIF data (a JPEG APP1 marker, "Exif\0\0" included).
void writePng(const std::string& path, const Image& image, const std::string& iccProfile = "",
              uint32_t pixelsPerMetre = 0);
// LZW in strips of three rows; two or four channels end in alpha.
void writeTiff(const std::string& path, const Image& image);
// Four channels make a CMYK JPEG.
void writeJpeg(const std::string& path, const Image& image, const std::string& iccProfile = "",
               unsigned dotsPerInch = 0, const std::string& exif = "", bool progressive = false);
Image readPng(const std::string& path);
// Decodes a JPEG with libjpeg's defaults, as the tool does.
Image readJpeg(const std::string& path);

struct SeparatedTiff {
    Image image;
    uint16_t photometric = 0, inkSet = 0, numberOfInks = 0, compression = 0, extraSamples = 0;
    std::vector<std::string> inkNames;
};
SeparatedTiff readSeparatedTiff(const std::string& path);
// The TIFF's samples hold every library value inverted (TIFF: 0 = no ink).
void expectInvertedValues(const Image& tiff, const std::vector<uint16_t>& library, int bits);

std::string readFile(const std::string& path);
// The unsigned big-endian number of `bytes` bytes at `at`.
uint64_t bigEndian(const std::string& data, size_t at, int bytes);
void writeFile(const std::string& path, const std::string& content);
bool exists(const std::string& path);
// Runs a shell command, returning its stderr.
std::string commandErrors(const std::string& command);

// The library's own separation of packed RGB pixels, one pixel at a time.
// bits: 8 or 16 for both input and output.
std::vector<uint16_t> librarySeparation(const std::string& preset, const std::vector<uint16_t>& rgb, int bits,
                                        int& channels);

// A way varnel separate must fail: one line on stderr that holds message,
// the exit status, nothing on stdout and nothing new or changed in the
// folder. Before prepare runs, the folder holds in.png and in.tif (valid
// images), note.txt (a text file), cut.png, bad.cfg, empty.cfg, link.tif
// (a link to in.tif), gone.tif (a link to nothing) and fifo (a FIFO).
// Arguments follow "separate"; a leading '@' stands for the folder.
// Without "-o" every output is asked for, so that nothing may appear under
// any of their names.
struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* message;
    std::function<void(const ToolFolder&)> prepare = nullptr;
};

class SeparateFailure : public ::testing::TestWithParam<FailureCase> {};

std::string failureName(const ::testing::TestParamInfo<FailureCase>& info);

} // namespace tooltest

#endif
