// Spot channels: the image resources of the separated TIFF's tag 34377,
// read back with libtiff, and the multichannel PSD, read back with
// ImageMagick's PSD reader.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <map>

using namespace tooltest;

namespace {

// The data of each resource block, by id.
std::map<int, std::string> resourceBlocks(const std::string& blocks) {
    std::map<int, std::string> result;
    size_t at = 0;
    while (at + 12 <= blocks.size() && blocks.compare(at, 4, "8BIM") == 0) {
        const int id = static_cast<int>(bigEndian(blocks, at + 4, 2));
        const size_t nameLength = static_cast<unsigned char>(blocks[at + 6]);
        size_t sizeAt = at + 6 + ((nameLength + 2) & ~size_t{1});
        const size_t size = bigEndian(blocks, sizeAt, 4);
        result[id] = blocks.substr(sizeAt + 4, size);
        at = sizeAt + 4 + ((size + 1) & ~size_t{1});
    }
    EXPECT_EQ(at, blocks.size()) << "blocks end where the data ends";
    return result;
}

struct Spot {
    std::string name;
    std::string unicodeName;  // the 1045 name, narrowed to ASCII
    uint16_t rgb[3];
    int kind;
    uint32_t channel;  // from the alternate spot colours
};

std::vector<Spot> spotsOf(const std::string& blocks) {
    std::map<int, std::string> resources = resourceBlocks(blocks);
    const std::string& names = resources[1006];
    const std::string& unicode = resources[1045];
    const std::string& display = resources[1077];
    const std::string& alternates = resources[1067];
    std::vector<Spot> spots(bigEndian(alternates, 2, 2));
    size_t nameAt = 0, unicodeAt = 0;
    for (size_t i = 0; i < spots.size(); ++i) {
        Spot& spot = spots[i];
        spot.name = names.substr(nameAt + 1, static_cast<unsigned char>(names[nameAt]));
        nameAt += 1 + spot.name.size();
        const size_t units = bigEndian(unicode, unicodeAt, 4);
        for (size_t u = 0; u + 1 < units; ++u) spot.unicodeName += static_cast<char>(bigEndian(unicode, unicodeAt + 4 + 2 * u, 2));
        unicodeAt += 4 + 2 * units;
        const size_t info = 4 + i * 14;  // version, then 14 bytes a channel
        EXPECT_EQ(bigEndian(display, info, 2), 0u) << "RGB";
        for (int c = 0; c < 3; ++c) spot.rgb[c] = static_cast<uint16_t>(bigEndian(display, info + 2 + 2 * c, 2));
        spot.kind = static_cast<unsigned char>(display.at(info + 12));
        const size_t alternate = 4 + i * 14;
        spot.channel = static_cast<uint32_t>(bigEndian(alternates, alternate, 4));
        EXPECT_EQ(bigEndian(alternates, alternate + 6, 2), spot.rgb[0]) << "the same colour in both";
    }
    return spots;
}

TEST(SpotChannels, TiffNamesItsExtraInksWithTheirColours) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(9, 5, 3, 8));
    const ToolResult run = runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYKOG", "-o",
                                    folder.path("out.tif"), "--ink-colors",
                                    "00aeef,ec008c,fff200,231f20, #FF3000,00a050", "--ink-names",
                                    "C,M,Y,K,Orange 021,Green"});
    ASSERT_EQ(run.status, 0) << run.err;
    TIFF* tiff = TIFFOpen(folder.path("out.tif").c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    uint32_t size = 0;
    void* data = nullptr;
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_PHOTOSHOP, &size, &data));
    const std::string blocks(static_cast<const char*>(data), size);
    TIFFClose(tiff);
    const std::vector<Spot> spots = spotsOf(blocks);
    ASSERT_EQ(spots.size(), 2u) << "only the inks past the four process inks";
    EXPECT_EQ(spots[0].name, "Orange 021");
    EXPECT_EQ(spots[0].unicodeName, "Orange 021");
    EXPECT_EQ(spots[1].name, "Green");
    EXPECT_EQ(spots[0].channel, 4u);
    EXPECT_EQ(spots[1].channel, 5u);
    EXPECT_EQ(spots[0].kind, 2) << "spot";
    const uint16_t orange[3] = {65535, 0x30 * 257, 0}, green[3] = {0, 0xa0 * 257, 0x50 * 257};
    EXPECT_TRUE(std::equal(orange, orange + 3, spots[0].rgb));
    EXPECT_TRUE(std::equal(green, green + 3, spots[1].rgb));
}

struct PsdCase {
    const char* name;
    uint32_t width, height;
    int bits;
    int version;         // 1: PSD, 2: PSB
    bool imageMagick;    // its default limits refuse sides past 16,000
};

class PsdTest : public ::testing::TestWithParam<PsdCase> {};

TEST_P(PsdTest, ReadsBackWithOneSpotChannelPerInk) {
    const PsdCase& param = GetParam();
    ToolFolder folder;
    const Image input = makeTestImage(param.width, param.height, 3, param.bits);
    writePng(folder.path("in.png"), input);
    const ToolResult run = runTool({"separate", folder.path("in.png"), "-c", "HUE_PARAM_CMYKOG", "-o",
                                    folder.path("out.psd"), "--format", "psd", "--depth", std::to_string(param.bits),
                                    "--threads", "2", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    int channels = 0;
    const std::vector<uint16_t> library = librarySeparation("HUE_PARAM_CMYKOG", input.samples, param.bits, channels);
    const size_t pixels = static_cast<size_t>(param.width) * param.height;

    if (param.imageMagick) {
        const std::string info = folder.path("info.txt");
        ASSERT_EQ(commandErrors("(identify -format '%m %w %h %z' " + folder.path("out.psd") + " >" + info + ")"), "");
        EXPECT_EQ(readFile(info), "PSD " + std::to_string(param.width) + " " + std::to_string(param.height) + " " +
                                      std::to_string(param.bits));
        // ImageMagick streams the channels one after another; its first
        // component holds the first ink.
        const std::string raw = folder.path("first.raw");
        ASSERT_EQ(commandErrors("stream -map r -storage-type " + std::string(param.bits == 8 ? "char " : "short ") +
                                folder.path("out.psd") + " " + raw),
                  "");
        const std::string read = readFile(raw);
        ASSERT_EQ(read.size(), pixels * channels * (param.bits / 8)) << "one plane per ink";
        for (size_t p = 0; p < pixels; ++p) {
            uint16_t value = 0;
            if (param.bits == 8) value = static_cast<unsigned char>(read[p]);
            else std::memcpy(&value, read.data() + p * 2, 2);
            ASSERT_EQ(value, library[p * channels]) << "pixel " << p;
        }
    }

    // The header, the spot channels and the last channel's plane, at the
    // end of the file.
    const std::string psd = readFile(folder.path("out.psd"));
    EXPECT_EQ(bigEndian(psd, 4, 2), static_cast<uint64_t>(param.version));
    EXPECT_EQ(bigEndian(psd, 12, 2), static_cast<uint64_t>(channels));
    EXPECT_EQ(bigEndian(psd, 24, 2), 7u) << "multichannel";
    const size_t resourcesAt = 26 + 4 + 4;  // after the header and the empty colour mode data
    const std::vector<Spot> spots = spotsOf(psd.substr(resourcesAt, bigEndian(psd, 30, 4)));
    ASSERT_EQ(spots.size(), static_cast<size_t>(channels));
    EXPECT_EQ(spots[0].name, "Cyan");
    EXPECT_EQ(spots[5].name, "Green");
    const size_t bytes = static_cast<size_t>(param.bits / 8);
    const size_t layers = param.version == 2 ? 8 : 4;  // the empty layer section's length field
    EXPECT_EQ(psd.size(), resourcesAt + bigEndian(psd, 30, 4) + layers + 2 + pixels * bytes * channels);
    const size_t planeAt = psd.size() - pixels * bytes;
    for (size_t p = 0; p < pixels; ++p) {
        ASSERT_EQ(bigEndian(psd, planeAt + p * bytes, static_cast<int>(bytes)), library[p * channels + channels - 1])
            << "pixel " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PsdTest,
                         ::testing::Values(PsdCase{"Psd8", 29, 300, 8, 1, true},
                                           PsdCase{"Psd16", 13, 9, 16, 1, true},
                                           PsdCase{"WideImageIsPsb", 30001, 2, 8, 2, false}),
                         [](const ::testing::TestParamInfo<PsdCase>& info) { return info.param.name; });

} // namespace
