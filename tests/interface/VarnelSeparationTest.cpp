// The varnel_ interface: the same values as the instance classes, loads
// that say what failed, strides, cancel, the inks of every preset and the
// configuration text that loads back as the same separation.
#include "varnel/VarnelDll.h"
#include "varnel/separation.h"

#include <Poco/File.h>
#include <Poco/TemporaryFile.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Separation = std::unique_ptr<varnel_separation, decltype(&varnel_free)>;

Separation Load(const char* config, const char* extra = nullptr, const varnel_load_options* options = nullptr)
{
    varnel_separation* separation = nullptr;
    char message[VARNEL_MESSAGE_SIZE];
    EXPECT_EQ(varnel_load(config, extra, options, &separation, message, sizeof message), VARNEL_OK) << message;
    return Separation(separation, varnel_free);
}

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

std::vector<uint16_t> Widened(const std::vector<uint8_t>& bytes, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint16_t> values(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        values[i] = uint16_t(bytes[i] * 257u + random() % 257u);
    return values;
}

struct Values {
    std::vector<uint8_t> out8;
    std::vector<uint16_t> out16;
    bool operator==(const Values& o) const { return out8 == o.out8 && out16 == o.out16; }
};

const std::vector<uint8_t>& Pixels8()
{
    static const std::vector<uint8_t> pixels = RandomBytes(3 * 4096, 7);
    return pixels;
}
const std::vector<uint16_t>& Pixels16()
{
    static const std::vector<uint16_t> pixels = Widened(Pixels8(), 8);
    return pixels;
}

Values Convert(const varnel_separation* separation)
{
    const size_t count = Pixels8().size() / 3, channels = varnel_channels(separation);
    Values values{std::vector<uint8_t>(count * channels), std::vector<uint16_t>(count * channels)};
    EXPECT_EQ(varnel_convert8(separation, Pixels8().data(), 0, values.out8.data(), 0, count, 1, nullptr, nullptr),
              VARNEL_OK);
    EXPECT_EQ(varnel_convert16(separation, Pixels16().data(), 0, values.out16.data(), 0, count, 1, nullptr, nullptr),
              VARNEL_OK);
    return values;
}

Values ConvertWithInstance(const char* config, const char* extra, long flags = 0, const std::string& folder = "")
{
    CVarnelDll dll;
    dll.SetFlags(flags);
    if (!folder.empty())
        dll.SetTemporaryFolder(const_cast<char*>(folder.c_str()));
    EXPECT_EQ(dll.SetPreferences(const_cast<char*>(config), const_cast<char*>(extra), nullptr, 0, 0, nullptr, 0), 0);
    const size_t count = Pixels8().size() / 3, channels = size_t(dll.GetChannels());
    Values values{std::vector<uint8_t>(count * channels), std::vector<uint16_t>(count * channels)};
    std::vector<uint8_t> in8 = Pixels8();
    std::vector<uint16_t> in16 = Pixels16();
    EXPECT_EQ(dll.RGB8ToMultichannel(in8.data(), values.out8.data(), unsigned(count)), 0);
    EXPECT_EQ(dll.RGB16ToMultichannel(in16.data(), values.out16.data(), unsigned(count)), 0);
    return values;
}

std::vector<std::string> PresetNames()
{
    std::vector<std::string> names;
    for (size_t i = 0; varnel_preset_name(i); ++i)
        names.push_back(varnel_preset_name(i));
    return names;
}

// --- Every preset: the instance's values, and the ink names of its letters.

class EveryPreset : public testing::TestWithParam<std::string> {};

TEST_P(EveryPreset, ConvertsAsTheInstanceClass)
{
    const Separation separation = Load(GetParam().c_str());
    ASSERT_TRUE(separation);
    EXPECT_TRUE(Convert(separation.get()) == ConvertWithInstance(GetParam().c_str(), nullptr));
}

// The letters after HUE_PARAM_ name the channels in order, except where a
// preset's masks put the inks in another order; white and black separate to
// no ink and to black alone.
TEST_P(EveryPreset, InksFollowItsLetters)
{
    static const std::map<char, std::string> kNames = {
        {'C', "Cyan"}, {'M', "Magenta"}, {'Y', "Yellow"}, {'K', "Black"}, {'R', "Red"},
        {'O', "Orange"}, {'D', "Dark Yellow"}, {'G', "Green"}, {'B', "Blue"}, {'V', "Violet"}};
    static const std::map<std::string, std::string> kReordered = {
        {"HUE_PARAM_CMYKDGB", "CMYKDBG"}, {"HUE_PARAM_CMYKDGV", "CMYKDVG"}};
    const auto reordered = kReordered.find(GetParam());
    const std::string letters = reordered != kReordered.end() ? reordered->second : GetParam().substr(10);
    const Separation separation = Load(GetParam().c_str());
    ASSERT_EQ(varnel_channels(separation.get()), letters.size());
    // White is no ink anywhere; black is full black ink alone.
    const uint16_t rgb[6] = {65535, 65535, 65535, 0, 0, 0};
    std::vector<uint16_t> out(2 * letters.size());
    ASSERT_EQ(varnel_convert16(separation.get(), rgb, 0, out.data(), 0, 2, 1, nullptr, nullptr), VARNEL_OK);
    for (size_t channel = 0; channel < letters.size(); ++channel) {
        EXPECT_EQ(varnel_ink_name(separation.get(), channel), kNames.at(letters[channel])) << channel;
        EXPECT_EQ(out[channel], 65535) << channel;
        EXPECT_EQ(out[letters.size() + channel], letters[channel] == 'K' ? 0 : 65535) << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, EveryPreset, testing::ValuesIn(PresetNames()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// --- Loads that fail say why.

struct FailedLoad {
    const char* name;
    const char* config;
    const char* extra;
    int status;
    const char* said;  // part of the message
};

const FailedLoad kFailedLoads[] = {
    {"UnknownPreset", "HUE_PARAM_CMYKGO", nullptr, VARNEL_ERROR_NOT_FOUND, "HUE_PARAM_CMYKGO"},
    {"MissingFile", "/nonexistent/mine.cfg", nullptr, VARNEL_ERROR_FILE, "mine.cfg"},
    {"Folder", "/tmp/.cfg", nullptr, VARNEL_ERROR_FILE, "cannot be read"},
    {"OtherExtension", "mine.txt", nullptr, VARNEL_ERROR_FILE, ".cfg"},
    {"BadMask", "HUE_PARAM_CMYK", "CHANNELS=4;HUEMASK05=0;", VARNEL_ERROR_CONFIG, "\"HUEMASK05=0\""},
    {"TooManyChannels", "HUE_PARAM_CMYK", "CHANNELS=17;", VARNEL_ERROR_CONFIG, "17 channels"},
    {"NoChannels", "HUE_PARAM_CMYK", "CHANNELS=0;", VARNEL_ERROR_CONFIG, "no ink channels"},
    {"NoConfiguration", nullptr, nullptr, VARNEL_ERROR_ARGUMENT, "no configuration"},
};

class FailingLoad : public testing::TestWithParam<FailedLoad> {};

TEST_P(FailingLoad, ReturnsItsStatusAndSaysWhy)
{
    const FailedLoad& load = GetParam();
    varnel_separation* separation = reinterpret_cast<varnel_separation*>(&separation);
    char message[VARNEL_MESSAGE_SIZE];
    EXPECT_EQ(varnel_load(load.config, load.extra, nullptr, &separation, message, sizeof message), load.status);
    EXPECT_EQ(separation, nullptr);
    EXPECT_NE(std::string(message).find(load.said), std::string::npos) << message;
    // Without a message to fill, the statement to blame is not searched for;
    // the status stays. A short buffer takes the message's start.
    EXPECT_EQ(varnel_load(load.config, load.extra, nullptr, &separation, nullptr, 0), load.status);
    char start[12];
    std::memset(start, 'G', sizeof start);
    EXPECT_EQ(varnel_load(load.config, load.extra, nullptr, &separation, start, 8), load.status);
    EXPECT_EQ(std::string(message, 7), start);
    EXPECT_EQ('G', start[8]);
}

INSTANTIATE_TEST_SUITE_P(Loads, FailingLoad, testing::ValuesIn(kFailedLoads),
                         [](const testing::TestParamInfo<FailedLoad>& info) { return std::string(info.param.name); });

TEST(SeparationText, BadStatementIsNamedWithItsLine)
{
    const std::string text = "CHANNELS=4;\nHUEMASK00=60,120,240,300;\nHUEMASK01=1;\n";
    varnel_separation* separation = nullptr;
    char message[VARNEL_MESSAGE_SIZE];
    EXPECT_EQ(varnel_load_text(text.data(), text.size(), nullptr, nullptr, &separation, message, sizeof message),
              VARNEL_ERROR_CONFIG);
    EXPECT_NE(std::string(message).find("line 3: the statement \"HUEMASK01=1\""), std::string::npos) << message;
    // At most 256 statements are tried: the 256th is still named, the 257th not.
    for (const size_t fillers : {254u, 255u}) {
        std::string many = "CHANNELS=4;";
        for (size_t i = 0; i < fillers; ++i)
            many += "A=1;";
        many += "\nHUEMASK01=1;";
        EXPECT_EQ(varnel_load_text(many.data(), many.size(), nullptr, nullptr, &separation, message, sizeof message),
                  VARNEL_ERROR_CONFIG);
        EXPECT_EQ(std::string(message).find("line 2: the statement") != std::string::npos, fillers == 254) << message;
    }
}

// --- The configuration text loads back as the same separation.

struct Merge {
    const char* preset;
    const char* extra;
    bool mergeable;
};

const Merge kMerges[] = {
    {"HUE_PARAM_CMYKOG", nullptr, true},
    {"HUE_PARAM_CMYK", "COLOR_SUBST01=50,20,30,40,Y,2*3;HUEMASK_LIGHT00=0,40,20,Y;", true},
    {"HUE_PARAM_CMYKOG", "GRAY_SUBST=30,10,10,10,Y;BLACK_ADD=20,5,5,5,5,Y;", true},
    {"HUE_PARAM_CMYKRODG", "SECOND_COLOR00=4,20,50,Y;COLOR_ADD02=40,10,20,30,40,Y;MAXINK=260;", true},
    {"HUE_PARAM_CMYKB", "HUEMASK04=200,220,260,280;*HUEMASK_LIGHT00=1,2,3;", true},
    // Switching a mask off in an extra text leaves the preset's mask in
    // force, which no single text says: no text rather than a wrong one.
    {"HUE_PARAM_CMYKOG", "*HUEMASK04=1,2,3,4;", false},
};

class ConfigText : public testing::TestWithParam<Merge> {};

TEST_P(ConfigText, LoadsBackAsTheSameSeparation)
{
    const Separation separation = Load(GetParam().preset, GetParam().extra);
    const char* text = varnel_config_text(separation.get());
    ASSERT_EQ(text != nullptr, GetParam().mergeable);
    if (!text)
        return;
    EXPECT_EQ(std::string(text).find(";;"), std::string::npos) << text;  // no empty statement
    varnel_separation* reloaded = nullptr;
    ASSERT_EQ(varnel_load_text(text, std::strlen(text), nullptr, nullptr, &reloaded, nullptr, 0), VARNEL_OK);
    const Separation again(reloaded, varnel_free);
    EXPECT_TRUE(Convert(again.get()) == Convert(separation.get()));
    EXPECT_TRUE(Convert(separation.get()) == ConvertWithInstance(GetParam().preset, GetParam().extra));
}

INSTANTIATE_TEST_SUITE_P(Merges, ConfigText, testing::ValuesIn(kMerges));

// --- Strides, cancel and arguments.

TEST(SeparationConvert, RegionOfALargerImageLeavesTheGapsAlone)
{
    const Separation separation = Load("HUE_PARAM_CMYKOG");
    const size_t channels = varnel_channels(separation.get()), width = 37, height = 11;
    const size_t inStride = (width + 5) * 3 * 2, outStride = (width * channels + 3) * 2;
    std::vector<uint16_t> in = Widened(RandomBytes(inStride / 2 * height, 3), 4);
    std::vector<uint16_t> out(outStride / 2 * height, 0xABCD);
    ASSERT_EQ(varnel_convert16(separation.get(), in.data(), inStride, out.data(), outStride, width, height, nullptr,
                               nullptr),
              VARNEL_OK);
    for (size_t row = 0; row < height; ++row) {
        std::vector<uint16_t> packed(width * channels);
        ASSERT_EQ(varnel_convert16(separation.get(), &in[row * inStride / 2], 0, packed.data(), 0, width, 1, nullptr,
                                   nullptr),
                  VARNEL_OK);
        const uint16_t* written = &out[row * outStride / 2];
        EXPECT_TRUE(std::equal(packed.begin(), packed.end(), written)) << row;
        EXPECT_TRUE(std::all_of(written + packed.size(), written + outStride / 2, [](uint16_t v) { return v == 0xABCD; }));
    }
}

TEST(SeparationConvert, ProgressCancelsAndLeavesTheRestUntouched)
{
    const Separation separation = Load("HUE_PARAM_CMYK");
    const size_t width = 1000, height = 300;
    std::vector<uint8_t> in = RandomBytes(3 * width * height, 5);
    std::vector<uint8_t> out(4 * width * height, 0x5A);
    struct Seen {
        std::vector<double> percents;
    } seen;
    auto stopAtTen = [](double percent, void* user) {
        static_cast<Seen*>(user)->percents.push_back(percent);
        return percent >= 10 ? 1 : 0;
    };
    EXPECT_EQ(varnel_convert8(separation.get(), in.data(), 0, out.data(), 0, width, height, stopAtTen, &seen),
              VARNEL_ERROR_CANCELLED);
    ASSERT_GE(seen.percents.size(), 2u);
    EXPECT_EQ(seen.percents.front(), 0);
    EXPECT_TRUE(std::is_sorted(seen.percents.begin(), seen.percents.end()));
    EXPECT_EQ(out.back(), 0x5A);
    EXPECT_NE(out.front(), 0x5A);
}

TEST(SeparationConvert, RefusesWhatItCannotConvert)
{
    const Separation separation = Load("HUE_PARAM_CMYK");
    std::vector<uint16_t> buffer(64 * 7);
    uint16_t* in = buffer.data();
    uint16_t* out = buffer.data() + 3 * 16;
    auto convert = [&](const uint16_t* from, size_t inStride, uint16_t* to, size_t outStride, size_t width,
                       size_t height) {
        return varnel_convert16(separation.get(), from, inStride, to, outStride, width, height, nullptr, nullptr);
    };
    EXPECT_EQ(convert(in, 0, out, 0, 16, 1), VARNEL_OK);
    EXPECT_EQ(convert(in, 0, out, 0, 0, 5), VARNEL_OK);
    EXPECT_EQ(convert(nullptr, 0, out, 0, 1, 1), VARNEL_ERROR_ARGUMENT);
    EXPECT_EQ(convert(in, 0, nullptr, 0, 1, 1), VARNEL_ERROR_ARGUMENT);
    EXPECT_EQ(convert(in, 0, out - 4, 0, 16, 1), VARNEL_ERROR_ARGUMENT);       // overlap
    EXPECT_EQ(convert(in, 0, in, 0, 1, 1), VARNEL_ERROR_ARGUMENT);             // in place
    EXPECT_EQ(convert(in, 5, out, 0, 1, 2), VARNEL_ERROR_ARGUMENT);            // stride below a row
    EXPECT_EQ(convert(in, 7, out, 0, 1, 1), VARNEL_ERROR_ARGUMENT);            // half a value
    EXPECT_EQ(convert(in, 0, out, 0, SIZE_MAX / 2, 1), VARNEL_ERROR_ARGUMENT); // overflow
    EXPECT_EQ(varnel_convert16(nullptr, in, 0, out, 0, 1, 1, nullptr, nullptr), VARNEL_ERROR_ARGUMENT);
    unsigned char rgb[3];
    EXPECT_EQ(varnel_ink_color(separation.get(), 4, rgb), VARNEL_ERROR_ARGUMENT);
    EXPECT_EQ(varnel_ink_name(separation.get(), 4), nullptr);
}

// --- One cache table per separation, with the instance's values.

TEST(SeparationCache, ServesTheInstanceValuesFromItsFile)
{
    const std::string folder = Poco::TemporaryFile::tempName() + "/";
    varnel_load_options options{VARNEL_LOAD_CACHE, folder.c_str(), nullptr, nullptr};
    const Separation first = Load("HUE_PARAM_CMYKOG", nullptr, &options);
    const Separation second = Load("HUE_PARAM_CMYKOG", nullptr, &options);
    ASSERT_TRUE(varnel_is_cached(first.get()) && varnel_is_cached(second.get()));
    const Values cached = ConvertWithInstance("HUE_PARAM_CMYKOG", nullptr, VARNEL_FLAG_CACHE, folder);
    EXPECT_TRUE(Convert(first.get()) == cached);
    EXPECT_TRUE(Convert(second.get()) == cached);
    Poco::File(folder).remove(true);
}

} // namespace
