// varnel separate, end to end: the files it writes, read back.
#include "support/ToolTestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <varnel/separation.h>

#include <string>
#include <vector>

using namespace tooltest;

namespace {

// The tool's input rules applied to a test image: grey is R = G = B and
// alpha is composited over white, rounded to nearest.
std::vector<uint16_t> flattenToRgb(const Image& image) {
    const uint32_t max = image.bits == 8 ? 255 : 65535;
    const bool grey = image.channels <= 2;
    const bool alpha = image.channels == 2 || image.channels == 4;
    std::vector<uint16_t> rgb;
    for (size_t p = 0; p < static_cast<size_t>(image.width) * image.height; ++p) {
        const uint16_t* s = image.samples.data() + p * image.channels;
        for (int c = 0; c < 3; ++c) {
            uint32_t v = grey ? s[0] : s[c];
            if (alpha) {
                const uint32_t a = s[image.channels - 1];
                v = (v * a + max * (max - a) + max / 2) / max;
            }
            rgb.push_back(static_cast<uint16_t>(v));
        }
    }
    return rgb;
}

std::vector<uint16_t> widen(const std::vector<uint16_t>& values) {
    std::vector<uint16_t> wide;
    for (uint16_t v : values) wide.push_back(static_cast<uint16_t>(v * 257));
    return wide;
}

std::vector<uint16_t> narrow(const std::vector<uint16_t>& values) {
    std::vector<uint16_t> result;
    for (uint16_t v : values) result.push_back(varnel_narrow(v));
    return result;
}

// "separate" on a file of the folder into its out.tif, then `more`.
ToolResult separate(const ToolFolder& folder, const std::string& input, const std::string& config,
                    const std::vector<std::string>& more) {
    std::vector<std::string> args = {"separate", folder.path(input), "-c", config, "-o", folder.path("out.tif")};
    args.insert(args.end(), more.begin(), more.end());
    return runTool(args);
}

struct PresetCase {
    const char* name;
    const char* preset;
    uint16_t inkSet;
    std::vector<std::string> inkNames;
    std::vector<std::string> options;
};

class SeparatePresetTest : public ::testing::TestWithParam<PresetCase> {};

TEST_P(SeparatePresetTest, WritesSeparatedTiffWithInvertedLibraryValues) {
    const PresetCase& param = GetParam();
    ToolFolder folder;
    const Image input = makeTestImage(29, 13, 3, 8);
    writePng(folder.path("in.png"), input);
    std::vector<std::string> options = param.options;
    options.push_back("--quiet");
    const ToolResult run = separate(folder, "in.png", param.preset, options);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const SeparatedTiff tiff = readSeparatedTiff(folder.path("out.tif"));
    const int inks = static_cast<int>(param.inkNames.size());
    EXPECT_EQ(tiff.photometric, PHOTOMETRIC_SEPARATED);
    EXPECT_EQ(tiff.inkSet, param.inkSet);
    EXPECT_EQ(tiff.numberOfInks, inks);
    EXPECT_EQ(tiff.inkNames, param.inkNames);
    EXPECT_EQ(tiff.compression, COMPRESSION_ADOBE_DEFLATE);
    EXPECT_EQ(tiff.extraSamples, inks > 4 ? inks - 4 : 0);
    EXPECT_EQ(tiff.image.channels, inks);
    EXPECT_EQ(tiff.image.width, 29u);
    EXPECT_EQ(tiff.image.height, 13u);
    int channels = 0;
    const std::vector<uint16_t> library = librarySeparation(param.preset, input.samples, 8, channels);
    ASSERT_EQ(channels, inks);
    expectInvertedValues(tiff.image, library, 8);

    // libtiff's own tools read the file without a single warning.
    EXPECT_EQ(commandErrors("tiffinfo -D " + folder.path("out.tif")), "");
    EXPECT_EQ(commandErrors("tiffdump " + folder.path("out.tif")), "");
}

INSTANTIATE_TEST_SUITE_P(
    Presets, SeparatePresetTest,
    ::testing::Values(
        PresetCase{"CMYK", "HUE_PARAM_CMYK", INKSET_CMYK, {"Cyan", "Magenta", "Yellow", "Black"}, {}},
        PresetCase{"CMYKOG", "HUE_PARAM_CMYKOG", INKSET_MULTIINK,
                   {"Cyan", "Magenta", "Yellow", "Black", "Orange", "Green"}, {}},
        // Its blue ink stands before its green one, whatever the letters say.
        PresetCase{"CMYKDGB", "HUE_PARAM_CMYKDGB", INKSET_MULTIINK,
                   {"Cyan", "Magenta", "Yellow", "Black", "Dark Yellow", "Blue", "Green"}, {}},
        PresetCase{"CMYKRODB", "HUE_PARAM_CMYKRODB", INKSET_MULTIINK,
                   {"Cyan", "Magenta", "Yellow", "Black", "Red", "Orange", "Dark Yellow", "Blue"}, {}},
        // Names given by the caller are trimmed of blanks.
        PresetCase{"CMYKNamed", "HUE_PARAM_CMYK", INKSET_CMYK, {"C1", "M1", "Y1", "K1"},
                   {"--ink-names", "C1, M1,Y1 ,K1"}}),
    [](const ::testing::TestParamInfo<PresetCase>& info) { return info.param.name; });

struct InputCase {
    const char* name;
    const char* file;
    int channels;
    int bits;
    int outputBits;
    bool alpha;
};

class SeparateInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(SeparateInputTest, ConvertsEveryFormatAtTheLibrarysPrecision) {
    const InputCase& param = GetParam();
    ToolFolder folder;
    Image input = makeTestImage(13, 9, param.channels, param.bits);
    const std::string path = folder.path(param.file);
    const std::string extension = path.substr(path.rfind('.') + 1);
    if (extension == "png") writePng(path, input);
    if (extension == "tif") writeTiff(path, input);
    if (extension == "jpg") {
        writeJpeg(path, input);
        input = readJpeg(path);  // lossy: compare with what libjpeg decodes
    }
    const ToolResult run = separate(folder, param.file, "HUE_PARAM_CMYKOG",
                                    {"--depth", std::to_string(param.outputBits), "--plates", folder.path("plates")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("alpha channel") != std::string::npos, param.alpha) << run.err;
    const std::vector<uint16_t> rgb = flattenToRgb(input);
    int channels = 0;
    std::vector<uint16_t> expected;
    if (param.bits == param.outputBits) {
        expected = librarySeparation("HUE_PARAM_CMYKOG", rgb, param.bits, channels);
    } else if (param.bits == 8) {
        expected = librarySeparation("HUE_PARAM_CMYKOG", widen(rgb), 16, channels);
    } else {
        expected = narrow(librarySeparation("HUE_PARAM_CMYKOG", rgb, 16, channels));
    }
    expectInvertedValues(readSeparatedTiff(folder.path("out.tif")).image, expected, param.outputBits);
    // Plates carry the output depth and the library's sense (white paper).
    const Image plate = readPng(folder.path("plates/in-Orange.png"));
    EXPECT_EQ(plate.bits, param.outputBits);
    EXPECT_EQ(plate.channels, 1);
    for (size_t p = 0; p < plate.samples.size(); ++p) {
        ASSERT_EQ(plate.samples[p], expected[p * channels + 4]) << "pixel " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, SeparateInputTest,
                         ::testing::Values(InputCase{"Rgb16", "in.png", 3, 16, 16, false},
                                           InputCase{"Rgb8To16", "in.png", 3, 8, 16, false},
                                           InputCase{"Rgb16To8", "in.png", 3, 16, 8, false},
                                           InputCase{"GreyPng", "in.png", 1, 8, 8, false},
                                           InputCase{"GreyAlphaPng", "in.png", 2, 8, 8, true},
                                           InputCase{"RgbaPng16", "in.png", 4, 16, 16, true},
                                           InputCase{"RgbTiff", "in.tif", 3, 8, 8, false},
                                           InputCase{"RgbaTiff16", "in.tif", 4, 16, 16, true},
                                           InputCase{"GreyTiff16", "in.tif", 1, 16, 16, false},
                                           InputCase{"RgbJpeg", "in.jpg", 3, 8, 8, false},
                                           InputCase{"GreyJpeg", "in.jpg", 1, 8, 8, false}),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return info.param.name; });

TEST(SeparateOutputs, PlatesAndProofMatchTheImage) {
    ToolFolder folder;
    const Image input = makeTestImage(21, 10, 3, 8);  // pixel 0 white, pixel 1 black
    writePng(folder.path("in.png"), input);
    const ToolResult run = separate(folder, "in.png", "HUE_PARAM_CMYKOG",
                                    {"--plates", folder.path("plates"), "--proof", folder.path("proof.png"), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    int channels = 0;
    const std::vector<uint16_t> library = librarySeparation("HUE_PARAM_CMYKOG", input.samples, 8, channels);
    const char* names[] = {"Cyan", "Magenta", "Yellow", "Black", "Orange", "Green"};
    for (int c = 0; c < channels; ++c) {
        const Image plate = readPng(folder.path("plates/in-") + names[c] + ".png");
        ASSERT_EQ(plate.width, 21u);
        ASSERT_EQ(plate.height, 10u);
        ASSERT_EQ(plate.channels, 1);
        EXPECT_EQ(plate.at(0, 0, 0), 255) << names[c] << ": white input leaves paper";
        for (size_t p = 0; p < plate.samples.size(); ++p) {
            ASSERT_EQ(plate.samples[p], library[p * channels + c]) << names[c] << " pixel " << p;
        }
    }
    EXPECT_EQ(readPng(folder.path("plates/in-Black.png")).at(1, 0, 0), 0) << "black input prints full black";

    const Image proof = readPng(folder.path("proof.png"));
    ASSERT_EQ(proof.width, 21u);
    ASSERT_EQ(proof.height, 10u);
    ASSERT_EQ(proof.channels, 3);
    EXPECT_EQ(proof.bits, 8);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(proof.at(0, 0, c), 255) << "paper stays white";
    EXPECT_LT(proof.at(1, 0, 0), 64) << "full black ink is dark";
    EXPECT_EQ(proof.at(1, 0, 0), proof.at(1, 0, 1));
    EXPECT_EQ(proof.at(1, 0, 1), proof.at(1, 0, 2));
}

// Every codec, with the predictor where it applies, reads back through
// libtiff as the library's values.
struct CompressionCase {
    const char* name;
    std::vector<std::string> options;
    int bits;
    uint16_t scheme;
};

class SeparateCompressionTest : public ::testing::TestWithParam<CompressionCase> {};

TEST_P(SeparateCompressionTest, ReadsBackAsTheLibraryValues) {
    const CompressionCase& param = GetParam();
    ToolFolder folder;
    const Image input = makeTestImage(37, 300, 3, param.bits);  // several strips
    writePng(folder.path("in.png"), input);
    std::vector<std::string> options = param.options;
    options.insert(options.end(), {"--depth", std::to_string(param.bits), "--threads", "2", "--quiet"});
    const ToolResult run = separate(folder, "in.png", "HUE_PARAM_CMYKOG", options);
    ASSERT_EQ(run.status, 0) << run.err;
    const SeparatedTiff tiff = readSeparatedTiff(folder.path("out.tif"));
    EXPECT_EQ(tiff.compression, param.scheme);
    int channels = 0;
    expectInvertedValues(tiff.image, librarySeparation("HUE_PARAM_CMYKOG", input.samples, param.bits, channels),
                         param.bits);
    EXPECT_EQ(commandErrors("tiffinfo -D " + folder.path("out.tif")), "");
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, SeparateCompressionTest,
    ::testing::Values(CompressionCase{"DeflateFastest16", {"--level", "1"}, 16, COMPRESSION_ADOBE_DEFLATE},
                      CompressionCase{"DeflateSmallest", {"--compression", "deflate", "--level", "12"}, 8,
                                      COMPRESSION_ADOBE_DEFLATE},
                      CompressionCase{"Zstd", {"--compression", "zstd"}, 8, COMPRESSION_ZSTD},
                      CompressionCase{"Zstd16", {"--compression", "zstd", "--level", "19"}, 16, COMPRESSION_ZSTD},
                      CompressionCase{"Lzw", {"--compression", "lzw"}, 8, COMPRESSION_LZW},
                      CompressionCase{"Lzw16", {"--compression", "lzw"}, 16, COMPRESSION_LZW},
                      CompressionCase{"None16", {"--compression", "none"}, 16, COMPRESSION_NONE}),
    [](const ::testing::TestParamInfo<CompressionCase>& info) { return info.param.name; });

// Many RIPs open only classic TIFFs: a BigTIFF only when asked for (or,
// with auto, when the file outgrows 4 GiB).
TEST(SeparateBigTiff, OnlyWhenAskedFor) {
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(20, 10, 3, 8));
    for (const auto& [choice, version] : {std::pair<std::string, int>{"auto", 42}, {"no", 42}, {"yes", 43}}) {
        const ToolResult run = separate(folder, "in.png", "HUE_PARAM_CMYK", {"--bigtiff", choice, "--quiet"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(folder.path("out.tif")).at(2), version) << choice;
        EXPECT_EQ(readSeparatedTiff(folder.path("out.tif")).numberOfInks, 4) << choice;
    }
}

TEST(SeparateBatch, OneBadFileDoesNotStopTheOthers) {
    ToolFolder folder;
    writePng(folder.path("a.png"), makeTestImage(20, 10, 3, 8));
    writeTiff(folder.path("b.tif"), makeTestImage(15, 7, 3, 16));
    writeFile(folder.path("bad.png"), "not an image\n");
    for (const char* single : {"a.png", "b.tif"}) {
        const ToolResult run = runTool({"separate", folder.path(single), "-c", "HUE_PARAM_CMYKOG", "-o",
                                        folder.path(std::string(single) + ".single.tif"), "--quiet"});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    const std::string out = folder.path("out/");
    ToolResult run = runTool({"separate", folder.path("a.png"), folder.path("bad.png"), folder.path("b.tif"), "-c",
                              "HUE_PARAM_CMYKOG", "-o", out, "--report", out, "--proof", out, "--plates",
                              folder.path("plates")});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("bad.png: '" + folder.path("bad.png") + "' is not a PNG"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("varnel: 1 of 3 images failed"), std::string::npos) << run.err;
    EXPECT_TRUE(readFile(folder.path("out/a.tif")) == readFile(folder.path("a.png.single.tif")));
    EXPECT_TRUE(readFile(folder.path("out/b.tif")) == readFile(folder.path("b.tif.single.tif")));
    for (const char* file : {"out/a.json", "out/a-proof.png", "out/b.json", "out/b-proof.png", "plates/a-Orange.png",
                             "plates/b-Green.png"}) {
        EXPECT_TRUE(exists(folder.path(file))) << file;
    }
    EXPECT_FALSE(exists(folder.path("out/bad.tif")));

    run = runTool({"separate", folder.path("a.png"), folder.path("b.tif"), "-c", "HUE_PARAM_CMYKOG", "-o", out,
                   "--quiet"});
    EXPECT_EQ(run.status, 0) << run.err;
}

// Rows are shared among instances; every file must come out byte for byte
// the same whatever the split, also in 16 bits with a cache (whose build
// leaves a colour in the first instance's memory that the others lack).
struct ThreadCase {
    const char* name;
    int bits;
    bool cache;
};

class SeparateThreadTest : public ::testing::TestWithParam<ThreadCase> {};

TEST_P(SeparateThreadTest, OutputDoesNotDependOnTheThreadCount) {
    const ThreadCase& param = GetParam();
    ToolFolder folder;
    const Image input = makeTestImage(64, 700, 3, param.bits);  // several bands
    writePng(folder.path("in.png"), input);
    std::vector<std::string> common = {"-c", "HUE_PARAM_CMYK", "--depth", std::to_string(param.bits), "--quiet"};
    if (param.cache) common.insert(common.end(), {"--cache", "--cache-dir", folder.path("")});
    for (const char* threads : {"1", "3"}) {
        const std::string tag = threads;
        std::vector<std::string> args = {"separate", folder.path("in.png"), "-o", folder.path("out" + tag + ".tif"),
                                         "--threads", threads, "--plates", folder.path("plates" + tag), "--proof",
                                         folder.path("proof" + tag + ".png")};
        args.insert(args.end(), common.begin(), common.end());
        const ToolResult run = runTool(args);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    EXPECT_TRUE(readFile(folder.path("out1.tif")) == readFile(folder.path("out3.tif")));
    EXPECT_TRUE(readFile(folder.path("proof1.png")) == readFile(folder.path("proof3.png")));
    EXPECT_TRUE(readFile(folder.path("plates1/in-Cyan.png")) == readFile(folder.path("plates3/in-Cyan.png")));
    EXPECT_GT(readFile(folder.path("out1.tif")).size(), 0u);
    if (param.cache) return;  // a cache separates 16-bit colours at 8 bits
    // The plate's rows, compressed band by band, decode as one image.
    int channels = 0;
    const std::vector<uint16_t> expected = librarySeparation("HUE_PARAM_CMYK", input.samples, param.bits, channels);
    const Image plate = readPng(folder.path("plates3/in-Cyan.png"));
    ASSERT_EQ(plate.samples.size() * channels, expected.size());
    for (size_t p = 0; p < plate.samples.size(); ++p) ASSERT_EQ(plate.samples[p], expected[p * channels]) << p;
}

INSTANTIATE_TEST_SUITE_P(Splits, SeparateThreadTest,
                         ::testing::Values(ThreadCase{"Bits8", 8, false}, ThreadCase{"Bits16", 16, false},
                                           ThreadCase{"Bits16Cache", 16, true}),
                         [](const ::testing::TestParamInfo<ThreadCase>& info) { return info.param.name; });

// A cache that cannot do all that was asked gets a note: 16-bit values
// looked up at 8 bits, and a table that cannot be kept (/proc takes no
// files, even from root) and so is built on every run.
struct CacheNoteCase {
    const char* name;
    int bits;
    bool keptFolder;
    bool levelsNote;
    bool notKeptNote;
};

class SeparateCacheNoteTest : public ::testing::TestWithParam<CacheNoteCase> {};

TEST_P(SeparateCacheNoteTest, SaysWhatTheCacheCannotDo) {
    const CacheNoteCase& param = GetParam();
    ToolFolder folder;
    writePng(folder.path("in.png"), makeTestImage(8, 4, 3, 8));
    const ToolResult run = separate(folder, "in.png", "HUE_PARAM_CMYK",
                                    {"--depth", std::to_string(param.bits), "--cache", "--cache-dir",
                                     param.keptFolder ? folder.path("") : "/proc"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("each ink has 256 levels") != std::string::npos, param.levelsNote) << run.err;
    EXPECT_EQ(run.err.find("built again on every run") != std::string::npos, param.notKeptNote) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Notes, SeparateCacheNoteTest,
                         ::testing::Values(CacheNoteCase{"Kept8Bit", 8, true, false, false},
                                           CacheNoteCase{"Kept16Bit", 16, true, true, false},
                                           CacheNoteCase{"NotKept", 8, false, false, true}),
                         [](const ::testing::TestParamInfo<CacheNoteCase>& info) { return info.param.name; });

} // namespace
