// varnel separate keeps what an image says about itself: the orientation it
// is shown in, the resolution it is printed at, and what made the result.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <functional>

using namespace tooltest;

namespace {

// The TIFF tags of an output that place it.
struct Placement {
    uint32_t width = 0, height = 0;
    float x = 0, y = 0;
    uint16_t unit = 0, orientation = 0;
    std::string description, software;
};

Placement readPlacement(const std::string& path) {
    Placement p;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr) return p;
    const char* text = nullptr;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &p.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &p.height);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &p.x);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &p.y);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &p.unit);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &p.orientation);
    if (TIFFGetField(tiff, TIFFTAG_IMAGEDESCRIPTION, &text)) p.description = text;
    if (TIFFGetField(tiff, TIFFTAG_SOFTWARE, &text)) p.software = text;
    TIFFClose(tiff);
    return p;
}

// A PNG's pHYs across, in pixels per metre; 0 without one.
uint32_t pngPixelsPerMetre(const std::string& path) {
    const std::string png = readFile(path);
    const size_t chunk = png.find("pHYs");
    return chunk == std::string::npos ? 0 : uint32_t(bigEndian(png, chunk + 4, 4));
}

// A PSD's resolution resource across, in dots per inch; 0 without one.
double psdDotsPerInch(const std::string& path) {
    const std::string psd = readFile(path);
    const size_t block = psd.find(std::string("8BIM\x03\xED", 6));
    return block == std::string::npos ? 0 : bigEndian(psd, block + 12, 4) / 65536.0;
}

// EXIF as a camera writes it (little-endian): Orientation and a
// resolution in dots per inch.
std::string exifBlock(uint16_t orientation, uint32_t x, uint32_t y) {
    std::string b("Exif\0\0II*\0\x08\0\0\0", 14);
    auto put = [&b](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>(value >> (8 * i)));
    };
    const uint32_t rationals = 8 + 2 + 4 * 12 + 4;  // after the directory
    put(4, 2);
    put(0x0112, 2), put(3, 2), put(1, 4), put(orientation, 4);
    put(0x011A, 2), put(5, 2), put(1, 4), put(rationals, 4);
    put(0x011B, 2), put(5, 2), put(1, 4), put(rationals + 8, 4);
    put(0x0128, 2), put(3, 2), put(1, 4), put(2, 4);
    put(0, 4);
    put(x, 4), put(1, 4), put(y, 4), put(1, 4);
    return b;
}

// Shown as "abc/def": three pixels across, two down.
const uint16_t kColours[6][3] = {{250, 20, 20}, {20, 200, 40}, {30, 30, 220}, {240, 230, 10}, {10, 10, 10}, {200, 120, 160}};

Image fromGrid(const std::string& grid) {
    Image image;
    image.width = static_cast<uint32_t>(grid.find('/'));
    for (char c : grid) {
        if (c == '/') continue;
        for (uint16_t v : kColours[c - 'a']) image.samples.push_back(v);
    }
    image.height = static_cast<uint32_t>(image.samples.size() / 3 / image.width);
    return image;
}

struct OrientationCase {
    uint16_t orientation;
    const char* stored;  // how a file of this orientation stores "abc/def"
};

class OrientationTest : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(OrientationTest, SeparatesTheImageAsItIsShown) {
    const OrientationCase& param = GetParam();
    ToolFolder folder;
    const Image stored = fromGrid(param.stored);
    writeTiff(folder.path("in.tif"), stored);
    ASSERT_EQ(commandErrors("tiffset -s 274 " + std::to_string(param.orientation) + " " + folder.path("in.tif")), "");
    int channels = 0;
    for (const bool keep : {false, true}) {
        std::vector<std::string> args = {"separate", folder.path("in.tif"), "-c", "HUE_PARAM_CMYK", "-o",
                                         folder.path("out.tif"), "--quiet"};
        if (keep) args.push_back("--no-auto-orient");
        const ToolResult run = runTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const Image expected = keep ? stored : fromGrid("abc/def");
        const Placement placement = readPlacement(folder.path("out.tif"));
        EXPECT_EQ(placement.width, expected.width) << "kept: " << keep;
        EXPECT_EQ(placement.orientation, keep ? param.orientation : 1);
        expectInvertedValues(readSeparatedTiff(folder.path("out.tif")).image,
                             librarySeparation("HUE_PARAM_CMYK", expected.samples, 8, channels), 8);
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, OrientationTest,
                         ::testing::Values(OrientationCase{1, "abc/def"}, OrientationCase{2, "cba/fed"},
                                           OrientationCase{3, "fed/cba"}, OrientationCase{4, "def/abc"},
                                           OrientationCase{5, "ad/be/cf"}, OrientationCase{6, "cf/be/ad"},
                                           OrientationCase{7, "fc/eb/da"}, OrientationCase{8, "da/eb/fc"}),
                         [](const ::testing::TestParamInfo<OrientationCase>& info) {
                             return "Orientation" + std::to_string(info.param.orientation);
                         });

struct ResolutionCase {
    const char* name;
    const char* file;
    std::function<void(const std::string&, const Image&)> write;
    double x, y;  // dots per inch the outputs must state
    bool turned;  // shown turned by 90 degrees
};

class ResolutionTest : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(ResolutionTest, EveryOutputKeepsTheInputsResolution) {
    const ResolutionCase& param = GetParam();
    ToolFolder folder;
    const Image input = makeTestImage(12, 7, 3, 8);
    param.write(folder.path(param.file), input);
    const std::vector<std::string> common = {"-c", "HUE_PARAM_CMYK", "-x", "MAXINK=250;"};
    std::vector<std::string> args = {"separate", folder.path(param.file), "-o", folder.path("out.tif"), "--plates",
                                     folder.path("plates"), "--proof", folder.path("proof.png")};
    args.insert(args.end(), common.begin(), common.end());
    const ToolResult run = runTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("turned 90 degrees clockwise") != std::string::npos, param.turned) << run.out;

    const Placement tiff = readPlacement(folder.path("out.tif"));
    EXPECT_EQ(tiff.width, param.turned ? 7u : 12u);
    EXPECT_EQ(tiff.unit, RESUNIT_INCH);
    EXPECT_NEAR(tiff.x, param.x, 0.001);
    EXPECT_NEAR(tiff.y, param.y, 0.001);
    EXPECT_NE(tiff.description.find("HUE_PARAM_CMYK"), std::string::npos) << tiff.description;
    EXPECT_NE(tiff.description.find("MAXINK=250;"), std::string::npos) << tiff.description;
    EXPECT_EQ(tiff.software.rfind("varnel 1.", 0), 0u) << tiff.software;
    const uint32_t perMetre = static_cast<uint32_t>(std::lround(param.x / 0.0254));
    EXPECT_EQ(pngPixelsPerMetre(folder.path("plates/in-Black.png")), perMetre);
    EXPECT_EQ(pngPixelsPerMetre(folder.path("proof.png")), perMetre);

    args = {"separate", folder.path(param.file), "-o", folder.path("out.psd")};
    args.insert(args.end(), common.begin(), common.end());
    ASSERT_EQ(runTool(args).status, 0);
    EXPECT_NEAR(psdDotsPerInch(folder.path("out.psd")), param.x, 0.001);
}

void writeTiffAt(const std::string& path, const Image& image, const std::string& x, const std::string& y,
                 int unit) {
    writeTiff(path, image);
    commandErrors("tiffset -s 282 " + x + " " + path + " && tiffset -s 283 " + y + " " + path +
                  " && tiffset -s 296 " + std::to_string(unit) + " " + path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ResolutionTest,
    ::testing::Values(
        ResolutionCase{"TiffPerInch", "in.tif",
                       [](const std::string& p, const Image& i) { writeTiffAt(p, i, "300", "150", RESUNIT_INCH); },
                       300, 150, false},
        ResolutionCase{"TiffPerCentimetre", "in.tif",
                       [](const std::string& p, const Image& i) { writeTiffAt(p, i, "100", "100", RESUNIT_CENTIMETER); },
                       254, 254, false},
        // 11811 pixels per metre is the nearest to 300 dpi: taken as 300.
        ResolutionCase{"PngPerMetre", "in.png", [](const std::string& p, const Image& i) { writePng(p, i, "", 11811); },
                       300, 300, false},
        ResolutionCase{"JpegJfif", "in.jpg", [](const std::string& p, const Image& i) { writeJpeg(p, i, "", 600); },
                       600, 600, false},
        // A camera's picture taken upright: its sides and resolutions swap.
        ResolutionCase{"JpegExifTurned", "in.jpg",
                       [](const std::string& p, const Image& i) { writeJpeg(p, i, "", 0, exifBlock(6, 300, 150)); },
                       150, 300, true}),
    [](const ::testing::TestParamInfo<ResolutionCase>& info) { return info.param.name; });

TEST(Pages, TheNoteNamesThePageTakenAndPageTakesAnother) {
    ToolFolder folder;
    const Image first = makeTestImage(6, 4, 3, 8);
    const Image second = fromGrid("abc/def");
    writeTiff(folder.path("first.tif"), first);
    writeTiff(folder.path("second.tif"), second);
    ASSERT_EQ(commandErrors("tiffcp " + folder.path("first.tif") + " " + folder.path("second.tif") + " " +
                            folder.path("pages.tif")),
              "");
    int channels = 0;
    ToolResult run = runTool({"separate", folder.path("pages.tif"), "-c", "HUE_PARAM_CMYK", "-o", folder.path("out.tif")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("has 2 pages; page 1 is separated (--page N takes another)"), std::string::npos) << run.err;
    expectInvertedValues(readSeparatedTiff(folder.path("out.tif")).image,
                         librarySeparation("HUE_PARAM_CMYK", first.samples, 8, channels), 8);
    run = runTool({"separate", folder.path("pages.tif"), "-c", "HUE_PARAM_CMYK", "-o", folder.path("out.tif"),
                   "--page", "2", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    expectInvertedValues(readSeparatedTiff(folder.path("out.tif")).image,
                         librarySeparation("HUE_PARAM_CMYK", second.samples, 8, channels), 8);
}

} // namespace
