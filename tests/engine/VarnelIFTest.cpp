// The engine: its inks against a golden table, and every path (lane
// counts, colour memory, cache, 8 and 16 bits, chunks) against the pixel
// path.
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelIF.h"
#include "engine/VarnelPixelPlan.h"
#include "interface/VarnelPresets.h"
#include "support/ReadableName.h"
#include "varnel/separation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CVarnel> Configure(const std::string& preset, const std::string& extra = "")
{
    auto config = std::make_unique<CVarnel>();
    if (!preset.empty()) {
        long size = 0;
        EXPECT_TRUE(VarnelGetPresetText(preset.c_str(), &size, nullptr));
        std::vector<char> text(size_t(size) + 1, '\0');
        EXPECT_TRUE(VarnelGetPresetText(preset.c_str(), &size, text.data()));
        EXPECT_EQ(0, config->ParseText(text.data(), size));
    }
    if (!extra.empty()) {
        EXPECT_EQ(0, config->ParseText(extra.c_str(), long(extra.size())));
    }
    return config;
}

std::vector<uint16_t> Convert(CVarnelIF& engine, const std::vector<uint16_t>& rgb, unsigned channels)
{
    std::vector<uint16_t> out(rgb.size() / 3 * channels, 0xABCD);
    uint32_t processed = 0;
    EXPECT_EQ(0, engine.Convert16(rgb.data(), out.data(), uint32_t(rgb.size() / 3),
                                  uint32_t(rgb.size() / 3), &processed, nullptr, 0));
    return out;
}

// Two ramps: 00 rises from 60 to 120 degrees, is full to 240 and falls to
// 300; 01 is stored as 180, 240, 360, 420 (it wraps past 360).
const char kTwoRamps[] = "CHANNELS=2;HUEMASK00=60,120,240,300;HUEMASK01=180,240,0,60;";

struct GoldenPixel {
    const char* preset;
    const char* extra;
    uint16_t rgb[3];
    std::vector<uint16_t> inks;
};

// Worked by hand for kTwoRamps (ink = 65535 - 2 (1 - L) level, L the
// lightness of the colour scaled to its largest component):
//  - black scales to white: L = 1, no ink;
//  - 32768,65535,0: scaled 32768/65535 = 0.5000076, 1, 0; L = 0.5; hue
//    (1/3 + 0.5833321 - 0.6666667) * 360 = 89.99954 degrees; ramp 00 at
//    (89.99954 - 60) / 60 * 65535 = 32767.00000000004: 65535 - 32767;
//  - 16384,32768,0 scales to the same colour: the same inks;
//  - pure red: hue 0 moves to 360, where ramp 01 is full;
//  - 65535,32768,0: hue 30.00046 moves to 390.00046, on ramp 01's fall
//    from 360 to 420: level 32767.00000000004 again;
//  - a grey scales to white: no ink.
// The other rows are the present library's, after these agreed.
const GoldenPixel kGoldenPixels[] = {
    {"", kTwoRamps, {0, 0, 0}, {65535, 65535}},
    {"", kTwoRamps, {32768, 65535, 0}, {32768, 65535}},
    {"", kTwoRamps, {16384, 32768, 0}, {32768, 65535}},
    {"", kTwoRamps, {65535, 0, 0}, {65535, 0}},
    {"", kTwoRamps, {65535, 32768, 0}, {65535, 32768}},
    {"", kTwoRamps, {20000, 20000, 20000}, {65535, 65535}},
    {"HUE_PARAM_CMYK", "", {65535, 65535, 65535}, {65535, 65535, 65535, 65535}},
    {"HUE_PARAM_CMYK", "", {0, 0, 0}, {65535, 65535, 65535, 0}},
    {"HUE_PARAM_CMYK", "", {30000, 30000, 30000}, {65535, 65535, 65535, 30000}},
    {"HUE_PARAM_CMYK", "", {1000, 20000, 40000}, {7863, 38994, 65535, 40000}},
    {"HUE_PARAM_CMYK", "", {40000, 40000, 1000}, {65535, 65535, 1638, 40000}},
    {"HUE_PARAM_CMYKOG", "", {65535, 32768, 0}, {65535, 65535, 0, 65535, 1, 65535}},
    {"HUE_PARAM_CMYKOG", "", {1000, 20000, 40000}, {7863, 38994, 65535, 40000, 65535, 65535}},
    {"HUE_PARAM_CMYKRODG", "", {50000, 10000, 30000}, {65535, 65535, 65535, 50000, 13107, 65535, 65535, 65535}},
    {"HUE_PARAM_CMYK", "MAXINK=250;COLORWITHBLACK=N;ROUND=1000,0,70000;", {1000, 20000, 40000},
     {13023, 31040, 65535, 65535}},
};

class GoldenTable : public ::testing::TestWithParam<GoldenPixel> {};

TEST_P(GoldenTable, GivesTheInks)
{
    auto config = Configure(GetParam().preset, GetParam().extra);
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const auto& rgb = GetParam().rgb;
    EXPECT_EQ(GetParam().inks, Convert(engine, {rgb[0], rgb[1], rgb[2]}, config->GetChannels()));
}

INSTANTIATE_TEST_SUITE_P(Pixels, GoldenTable, ::testing::ValuesIn(kGoldenPixels),
                         [](const ::testing::TestParamInfo<GoldenPixel>& info) {
                             const GoldenPixel& p = info.param;
                             return ReadableName(std::to_string(info.index) + " " +
                                                 (*p.preset ? p.preset + 10 : "two ramps") + " rgb " +
                                                 std::to_string(p.rgb[0]) + " " + std::to_string(p.rgb[1]) + " " +
                                                 std::to_string(p.rgb[2]));
                         });

// The rest of each configuration's behaviour, as a digest of the inks of
// specials, random colours, 8-bit grid colours and the edges of the hue
// buckets (FNV-1a over the 16-bit values), taken from the present library
// after the table above agreed.
struct DigestCase {
    const char* name;
    const char* preset;
    const char* extra;
    uint64_t digest;
};

class GoldenDigest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(GoldenDigest, OfThousandsOfColours)
{
    auto config = Configure(GetParam().preset, GetParam().extra);
    CVarnelIF engine;
    engine.SetConfig(config.get());
    std::vector<uint16_t> rgb = {65535, 65535, 65535, 0, 0, 0, 30000, 30000, 30000,
                                 65535, 0, 0, 0, 65535, 0, 0, 0, 65535, 65535, 65535, 0,
                                 40000, 40000, 1000, 1, 0, 0, 257, 514, 771};
    std::mt19937 random(42);
    for (int i = 0; i < 3000; ++i)
        rgb.push_back(uint16_t(random()));
    for (int i = 0; i < 300; ++i)
        rgb.push_back(uint16_t((random() & 255) * 257));
    // Round the hue circle, with the hues at and beside each multiple of 4
    // degrees (v = 4369 j), where ramps begin and end: the edges of the
    // hue buckets.
    for (uint32_t v = 0; v < 65536; v += 4369)
        for (uint32_t w = v ? v - 2 : 0; w <= std::min(v + 2, 65535u); ++w) {
            const uint16_t c = uint16_t(w);
            rgb.insert(rgb.end(), {65535, c, 0, c, 65535, 0, 0, 65535, c, 0, c, 65535, c, 0, 65535, 65535, 0, c});
        }
    uint64_t digest = 14695981039346656037ull;
    for (uint16_t v : Convert(engine, rgb, config->GetChannels()))
        digest = (digest ^ v) * 1099511628211ull;
    EXPECT_EQ(GetParam().digest, digest) << std::hex << digest;
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, GoldenDigest,
    ::testing::Values(
        DigestCase{"Cmyk", "HUE_PARAM_CMYK", "", 3186875589877507757ull},
        DigestCase{"Cmykog", "HUE_PARAM_CMYKOG", "", 4136210181805695059ull},
        DigestCase{"Cmykrodg", "HUE_PARAM_CMYKRODG", "", 13497112528144355213ull},
        DigestCase{"Cmykdbv", "HUE_PARAM_CMYKDBV", "", 16983467543375813140ull},
        DigestCase{"InkLimit300", "HUE_PARAM_CMYK",
                   "MAXINK=300;", 15840134726714828369ull},
        DigestCase{"InkLimitNoColourWithBlackAndLift", "HUE_PARAM_CMYK",
                   "MAXINK=250;COLORWITHBLACK=N;ROUND=1000,0,70000;", 14964586113937049843ull},
        DigestCase{"ThreeHandMadeRampsBlackMaskOutside", "",
                   "CHANNELS=3;HUEMASK00=60,60,240,300;HUEMASK01=300,330,315,30;HUEMASK02=10,20,0,0;BLACKMASK=7;",
                   13855349716650015567ull},
        DigestCase{"EveryRefinementStage", "HUE_PARAM_CMYKRODG",
                   "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;GRAY_SUBST=40,10,10,10,Y;COLOR_ADD02=40,10,20,Y;"
                   "COLOR_SUBST01=50,20,30,40,Y;BLACK_ADD=20,5,5,5,5,Y;",
                   17678064251565443351ull}),
    [](const ::testing::TestParamInfo<DigestCase>& info) { return std::string(info.param.name); });

// Every lane count gives the bytes of the one-lane kernel (the pixel path,
// itself checked against the golden table above): all 8-bit colours of a coarse
// grid, plus refinement stages. Lane counts this CPU does not run are named
// as skipped.
class EveryKernel : public ::testing::TestWithParam<VarnelKernel> {};

TEST_P(EveryKernel, GivesTheBytesOfTheOneLaneKernel)
{
    if (!VarnelKernelRuns(GetParam()))
        GTEST_SKIP() << "this CPU does not run the " << int(GetParam()) << "-lane kernel";
    std::vector<uint8_t> rgb;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 7)
            for (int b = 0; b < 256; b += 3)
                rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    // A quarter of them again in random order: batches whose lanes take
    // different paths through the masks.
    std::vector<uint32_t> order(rgb.size() / 12);
    for (uint32_t p = 0; p < order.size(); ++p)
        order[p] = 4 * p;
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    for (uint32_t p : order)
        rgb.insert(rgb.end(), {rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2]});
    const uint32_t count = uint32_t(rgb.size() / 3);
    for (const char* extra : {"", "MAXINK=220;ROUND=500,0,9000;COLORWITHBLACK=N;",
                              "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;GRAY_SUBST=40,10,10,10,Y;"
                              "COLOR_ADD02=40,10,20,Y;"}) {
        auto config = Configure("HUE_PARAM_CMYKRODG", extra);
        CVarnelPixelPlan plan(*config, GetParam());
        ASSERT_EQ(GetParam(), plan.KernelInUse());
        std::vector<uint16_t> rgb16(rgb.begin(), rgb.end());
        for (uint16_t& v : rgb16)
            v = uint16_t(v * 257u);
        uint16_t work[CVarnelPixelPlan::kBatch][16];
        uint16_t expected[16];
        for (uint32_t p = 0; p + CVarnelPixelPlan::kBatch <= count; p += CVarnelPixelPlan::kBatch) {
            ASSERT_EQ(0, plan.ComputeBatch(&rgb16[3 * p], work));
            for (unsigned lane = 0; lane < CVarnelPixelPlan::kBatch; ++lane) {
                const uint16_t* pixel = &rgb16[3 * (p + lane)];
                ASSERT_EQ(0, plan.Compute(pixel[0], pixel[1], pixel[2], expected));
                ASSERT_EQ(0, std::memcmp(expected, work[lane], 8 * sizeof(uint16_t)))
                    << extra << " pixel " << pixel[0] << "," << pixel[1] << "," << pixel[2];
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LaneCounts, EveryKernel,
                         ::testing::Values(VarnelKernel::OneLane, VarnelKernel::FourLanes, VarnelKernel::EightLanes),
                         [](const ::testing::TestParamInfo<VarnelKernel>& info) {
                             return std::to_string(int(info.param)) + "Lanes";
                         });

// The colour memory and the batches around it give every pixel the bytes of
// the pixel-by-pixel path: colours that come back after others (hits), more
// colours than the memory holds (slots taken over), long runs without repeats
// (the memory steps aside and later returns), calls of every size (short
// batches, the remembered pixel across calls), 8 and 16 channels.
struct MemoryCase {
    const char* name;
    const char* text;
    int pattern;  // 0 colours coming back, 1 more colours than slots, 2 none repeat, then few
};

class ColourMemory : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(ColourMemory, GivesTheBytesOfThePixelPath)
{
    auto config = Configure("HUE_PARAM_CMYKRODG", GetParam().text);
    const unsigned channels = config->GetChannels();
    const unsigned work = std::min(channels, 16u);
    std::mt19937 random(3);
    std::vector<uint16_t> rgb;
    auto add = [&rgb](uint32_t r, uint32_t g, uint32_t b) { rgb.insert(rgb.end(), {uint16_t(r), uint16_t(g), uint16_t(b)}); };
    if (GetParam().pattern == 0) {
        for (int i = 0; i < 3000; ++i)
            add((random() & 255) * 257, (random() & 255) * 257, (random() & 255) * 257);
        for (size_t i = rgb.size(); i >= 3; i -= 3)
            add(rgb[i - 3], rgb[i - 2], rgb[i - 1]);
    } else if (GetParam().pattern == 1) {
        for (int i = 0; i < 150000; ++i)
            add(random() & 0xFFFF, random() % 7 * 9000, random() & 0xFFFF);
        for (int i = 0; i < 50000; ++i) {
            const size_t p = 3 * (random() % 150000);
            add(rgb[p], rgb[p + 1], rgb[p + 2]);
        }
    } else {
        for (uint32_t i = 0; i < 30000; ++i)
            add(i * 2, 65535 - i, i * 7 % 65536);
        for (int i = 0; i < 120000; ++i)
            add(i % 50 * 1000, 20000, 40000 - i % 3 * 5000);
    }
    const uint32_t count = uint32_t(rgb.size() / 3);
    CVarnelIF engine;
    engine.SetConfig(config.get());
    std::vector<uint16_t> out(size_t(count) * channels);
    const uint32_t pieces[] = {1, 7, 8, 9, 1, 1000, 3, 65536};
    uint32_t processed = 0;
    for (uint32_t done = 0, k = 0; done < count; ++k) {
        const uint32_t piece = std::min(pieces[k % 8], count - done);
        ASSERT_EQ(0, engine.Convert16(&rgb[3 * size_t(done)], &out[size_t(done) * channels], count, piece,
                                      &processed, nullptr, 0));
        done += piece;
    }
    CVarnelPixelPlan plan(*config, VarnelKernel::OneLane);
    uint16_t expected[16];
    for (uint32_t p = 0; p < count; ++p) {
        ASSERT_EQ(0, plan.Compute(rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2], expected));
        for (unsigned j = 0; j < channels; ++j)
            ASSERT_EQ(j < work ? expected[j] : 65535, out[size_t(p) * channels + j]) << "pixel " << p << " channel " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ColourMemory,
    ::testing::Values(MemoryCase{"ColoursComeBack", "", 0},
                      MemoryCase{"MoreColoursThanSlotsWithEveryStage",
                                 "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;#_A=50;"
                                 "GRAY_SUBST=_A,10,10,10,Y,_A*2;COLOR_ADD02=40,10,20,Y;", 1},
                      MemoryCase{"StepsAsideAndReturnsWithTwentyChannels",
                                 "CHANNELS=20;HUEMASK15=60,120,240,300;CHANNEL_CONTACT15=3,19;", 2}),
    [](const ::testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.name); });

// A cached 16-bit call serves a repeat of the previous call's last pixel
// as computed in full, and reads the table for the rest: the input
// narrowed to 8 bits (128 to 0, 129 to 1), the entry widened by 257.
TEST(Engine, CachedSixteenBitCallServesTheRememberedPixelThenTheTable)
{
    auto config = Configure("HUE_PARAM_CMYK");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const auto computed = Convert(engine, {1000, 20000, 40000}, 4);
    auto* cache = new CVarnelCache();
    cache->Allocate(uint64_t(kCacheColours) * 4);
    uint8_t* table = cache->GetData();
    for (uint32_t k = 0; k < kCacheColours; ++k)
        for (unsigned j = 0; j < 4; ++j)
            table[size_t(k) * 4 + j] = uint8_t((k >> (8 * (j % 3))) + j);
    CVarnelCacheContainer container;
    container.SetStride(4);
    container.SetCache(cache);
    engine.SetCacheContainer(&container);
    const auto out = Convert(engine, {1000, 20000, 40000, 128, 129, 65535, 129, 128, 0, 1000, 20000, 40000}, 4);
    engine.SetCacheContainer(nullptr);
    const uint8_t* last = container.Lookup(varnel_narrow(1000), varnel_narrow(20000), varnel_narrow(40000));
    for (unsigned j = 0; j < 4; ++j) {
        EXPECT_EQ(computed[j], out[j]);
        EXPECT_EQ(container.Lookup(0, 1, 255)[j] * 257, out[4 + j]);
        EXPECT_EQ(container.Lookup(1, 0, 0)[j] * 257, out[8 + j]);
        EXPECT_EQ(last[j] * 257, out[12 + j]);
    }
}

// A cached 8-bit call that starts with repeats of the previous call's last
// pixel serves them as computed in full, then reads the table for the
// rest; with and without progress, which reports each percent once.
TEST(Engine, CachedEightBitCallServesRepeatsOfThePreviousCallThenTheTable)
{
    auto config = Configure("HUE_PARAM_CMYK");
    auto* cache = new CVarnelCache();
    cache->Allocate(uint64_t(kCacheColours) * 4);
    for (uint32_t k = 0; k < kCacheColours * 4; ++k)
        cache->GetData()[k] = uint8_t(k * 7 + k / 4);
    CVarnelCacheContainer container;
    container.SetStride(4);
    container.SetCache(cache);
    std::vector<uint8_t> rgb = {4, 78, 156, 4, 78, 156, 4, 78, 156};
    for (int p = 3; p < 100; ++p)
        rgb.insert(rgb.end(), {uint8_t(p), uint8_t(2 * p), uint8_t(255 - p)});
    static std::vector<double> reports;
    for (VarnelProgressProc callback : {VarnelProgressProc(nullptr), VarnelProgressProc([](double percent, long long) {
                                            reports.push_back(percent);
                                            return 0;
                                        })}) {
        CVarnelIF engine;
        engine.SetConfig(config.get());
        uint8_t computed[4];
        uint32_t processed = 0;
        ASSERT_EQ(0, engine.Convert8(rgb.data(), computed, 1, 1, &processed, nullptr, 0));
        engine.SetCacheContainer(&container);
        reports.clear();
        processed = 0;
        std::vector<uint8_t> out(400, 0xEE);
        ASSERT_EQ(0, engine.Convert8(rgb.data(), out.data(), 100, 100, &processed, callback, 0));
        engine.SetCacheContainer(nullptr);
        EXPECT_EQ(100u, processed);
        for (size_t p = 0; p < 100; ++p) {
            const uint8_t* entry = p < 3 ? computed : container.Lookup(rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2]);
            ASSERT_EQ(0, std::memcmp(entry, &out[4 * p], 4)) << "pixel " << p;
        }
        ASSERT_EQ(callback ? 100u : 0u, reports.size());
        for (size_t i = 0; i < reports.size(); ++i)
            EXPECT_EQ(double(i), reports[i]);
    }
}

// An uncached call that starts with repeats of the previous call's last
// pixel serves them from memory and computes the pixels after them; a new
// configuration forgets the remembered pixel.
TEST(Engine, RepeatsOfThePreviousCallThenComputedPixels)
{
    auto cmyk = Configure("HUE_PARAM_CMYK");
    auto other = Configure("HUE_PARAM_CMYK", "MAXINK=250;COLORWITHBLACK=N;ROUND=1000,0,70000;");
    const std::vector<uint16_t> rgb = {1000, 20000, 40000, 1000, 20000, 40000, 50000, 3000, 9000, 0, 65535, 30000};
    CVarnelIF fresh;
    fresh.SetConfig(cmyk.get());
    const auto expected = Convert(fresh, rgb, 4);
    CVarnelIF engine;
    engine.SetConfig(other.get());
    ASSERT_NE(Convert(engine, {1000, 20000, 40000}, 4), Convert(fresh, {1000, 20000, 40000}, 4));
    engine.SetConfig(cmyk.get());
    EXPECT_EQ(Convert(engine, {1000, 20000, 40000}, 4), std::vector<uint16_t>(expected.begin(), expected.begin() + 4));
    EXPECT_EQ(Convert(engine, rgb, 4), expected);
}

TEST(Engine, ProgressReportsEachPercentOncePerCall)
{
    auto config = Configure("HUE_PARAM_CMYK");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    static std::vector<double> reports;
    static std::vector<long long> values;
    reports.clear();
    values.clear();
    auto callback = [](double percent, long long value) {
        reports.push_back(percent);
        values.push_back(value);
        return 0;
    };
    std::vector<uint16_t> rgb(300), out(400);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = uint16_t(i * 211);
    uint32_t processed = 0;
    ASSERT_EQ(0, engine.Convert16(rgb.data(), out.data(), 100, 100, &processed, callback, 7));
    ASSERT_EQ(100u, reports.size());
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(i, reports[i]);
    EXPECT_EQ(100u, processed);
    EXPECT_EQ(7, values.front());

    // One job of 200 pixels whose first call ends inside a percentage: the
    // second call reports that percentage again.
    reports.clear();
    processed = 0;
    ASSERT_EQ(0, engine.Convert16(rgb.data(), out.data(), 200, 51, &processed, callback, 0));
    ASSERT_EQ(0, engine.Convert16(rgb.data() + 153, out.data() + 204, 200, 49, &processed, callback, 0));
    ASSERT_EQ(51u, reports.size());
    EXPECT_EQ(25, reports[25]);
    EXPECT_EQ(25, reports[26]);
    EXPECT_EQ(49, reports.back());
    EXPECT_EQ(100u, processed);
}

TEST(Engine, EightBitChunksFollowTheOutputArea)
{
    // 4 channels: chunks of 1,048,575 pixels; the second chunk's first pixel
    // reports its percentage again.
    auto config = Configure("HUE_PARAM_CMYK");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    static std::vector<double> reports;
    reports.clear();
    const uint32_t count = 1048575 + 5;
    std::vector<uint8_t> rgb(size_t(count) * 3, 128), out(size_t(count) * 4, 1);
    uint32_t processed = 0;
    ASSERT_EQ(0, engine.Convert8(rgb.data(), out.data(), count, count, &processed,
                                 [](double p, long long) { reports.push_back(p); return 0; }, 0));
    EXPECT_EQ(count, processed);
    ASSERT_EQ(101u, reports.size());
    EXPECT_EQ(99, reports[99]);
    EXPECT_EQ(99, reports[100]);
    EXPECT_EQ(out[0], out[size_t(count - 1) * 4]);
}

struct ChannelCountCase {
    const char* name;
    const char* preset;
    const char* text;
    unsigned channels;
};

class EngineChannelCounts : public ::testing::TestWithParam<ChannelCountCase> {};

TEST_P(EngineChannelCounts, EightAndSixteenBitAgreeAndStayInTheHostBuffer)
{
    auto config = Configure(GetParam().preset, GetParam().text);
    const unsigned channels = GetParam().channels;
    ASSERT_EQ(channels, config->GetChannels());
    CVarnelIF engine;
    engine.SetConfig(config.get());
    std::mt19937 random(7);
    const uint32_t count = 2000;
    std::vector<uint8_t> rgb8(count * 3);
    for (auto& v : rgb8)
        v = uint8_t(random() % 7 == 0 ? 255 : random());
    std::vector<uint16_t> rgb16(rgb8.begin(), rgb8.end());
    for (auto& v : rgb16)
        v = uint16_t(v * 257);
    // One guard value past the host's buffer.
    std::vector<uint8_t> out8(size_t(count) * channels + 1, 0x5A);
    std::vector<uint16_t> out16(size_t(count) * channels + 1, 0x5A5A);
    uint32_t processed = 0;
    ASSERT_EQ(0, engine.Convert8(rgb8.data(), out8.data(), count, count, &processed, nullptr, 0));
    CVarnelIF engine16;
    engine16.SetConfig(config.get());
    ASSERT_EQ(0, engine16.Convert16(rgb16.data(), out16.data(), count, count, &processed, nullptr, 0));
    EXPECT_EQ(0x5A, out8.back());
    EXPECT_EQ(0x5A5A, out16.back());
    for (size_t i = 0; i < size_t(count) * channels; ++i) {
        ASSERT_EQ(out8[i], varnel_narrow(out16[i])) << i;
        if (i % channels >= 16) {
            ASSERT_EQ(255, out8[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, EngineChannelCounts,
    ::testing::Values(ChannelCountCase{"None", "", "CHANNELS=0;HUEMASK00=60,120,240,300;", 0},
                      ChannelCountCase{"One", "", "CHANNELS=1;HUEMASK00=60,120,240,300;BLACKMASK=3;", 1},
                      ChannelCountCase{"Two", "", "CHANNELS=2;HUEMASK01=60,120,240,300;CHANNEL_CONTACT01=0,5;"
                                       "MAXINK=200;", 2},
                      ChannelCountCase{"Twenty", "", "CHANNELS=20;HUEMASK15=60,120,240,300;HUEMASK03=0,60,120,180;"
                                       "CHANNEL_CONTACT15=3,19;CHANNEL_CONTACT03=15,0;MAXINK=200;BLACKMASK=18;", 20},
                      ChannelCountCase{"Cmyk", "HUE_PARAM_CMYK", "", 4},
                      ChannelCountCase{"Cmykrodg", "HUE_PARAM_CMYKRODG", "", 8}),
    [](const ::testing::TestParamInfo<ChannelCountCase>& info) { return std::string(info.param.name); });

TEST(Engine, WithoutConfigurationNothingIsWritten)
{
    CVarnelIF engine;
    uint16_t in[3] = {1, 2, 3}, out[4] = {9, 9, 9, 9};
    uint8_t in8[3] = {1, 2, 3}, out8[4] = {9, 9, 9, 9};
    uint32_t processed = 0;
    EXPECT_EQ(VARNEL_STATUS_FAILED, engine.Convert16(in, out, 1, 1, &processed, nullptr, 0));
    EXPECT_EQ(VARNEL_STATUS_FAILED, engine.Convert8(in8, out8, 1, 1, &processed, nullptr, 0));
    EXPECT_EQ(9, out[0]);
    EXPECT_EQ(9, out8[0]);
    VarnelImageDesc image;
    EXPECT_EQ(VARNEL_STATUS_FAILED, engine.ProcessRegion(image, image, VarnelPoint{}, VarnelRect{}));
}

TEST(Engine, ProcessRegionMatchesEightBitConversion)
{
    auto config = Configure("HUE_PARAM_CMYKOG");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    // A 5 x 4 RGB image with interleaved components, a 6-channel planar-ish
    // destination (component stride = width * height). The 3 x 3 pixels from
    // (1, 1) of the source go to columns 2 to 4, rows 1 to 3; the rest of the
    // destination stays as it was.
    const long width = 5, height = 4;
    std::vector<uint8_t> source(size_t(width * height * 3));
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = uint8_t(i * 37);
    std::vector<uint8_t> destination(size_t(width * height * 6), 0xEE);
    VarnelImageDesc src{source.data(), width * 3, 3, 1};
    VarnelImageDesc dst{destination.data(), width, 1, width * height};
    ASSERT_EQ(0, engine.ProcessRegion(src, dst, VarnelPoint{1, 1}, VarnelRect{2, 1, 5, 4}));
    CVarnelIF reference;
    reference.SetConfig(config.get());
    std::vector<uint8_t> expected(size_t(width * height * 6));
    uint32_t processed = 0;
    ASSERT_EQ(0, reference.Convert8(source.data(), expected.data(), uint32_t(width * height),
                                    uint32_t(width * height), &processed, nullptr, 0));
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x) {
            const long from = y * width + x - 1;  // (x - 2 + 1, y - 1 + 1)
            for (long j = 0; j < 6; ++j)
                ASSERT_EQ(x >= 2 && y >= 1 ? expected[size_t(from * 6 + j)] : 0xEE,
                          destination[size_t(y * width + x + j * width * height)])
                    << x << "," << y << "," << j;
        }
}

} // namespace
