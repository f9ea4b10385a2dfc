// The engine against a literal model of the pixel formulas: colour model,
// hue-mask ramps through the general line intersection, channel contact.
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelIF.h"
#include "engine/VarnelPixelPlan.h"
#include "geometry/KLine.h"
#include "geometry/KSegment.h"
#include "interface/VarnelPresets.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelMasks.h"
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

// The pixel formulas written out step by step, with the ramp level taken
// from KSegment::Intersect and a vertical KLine as the engine's contract
// describes. No refinement stage: the configurations here use none.
std::vector<uint16_t> ModelPixel(CVarnel& config, uint32_t r, uint32_t g, uint32_t b)
{
    const unsigned channels = std::min<uint32_t>(config.GetChannels(), 16);
    std::vector<uint16_t> work(channels, 0);
    uint32_t x[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        const uint32_t lift = config.GetRound(i);
        if (lift != 0) {
            double v = (65535.0 - lift) / 65535.0 * (double(x[i]) - 65535.0) + 65535.0;
            x[i] = uint32_t(std::max(0.0, std::min(65535.0, v)));
        }
    }
    const uint32_t m = std::max({x[0], x[1], x[2]});
    if (config.GetBlackMask() < channels)
        work[config.GetBlackMask()] = uint16_t(m);
    double c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = (m == 0 ? 65535u : std::min<uint32_t>(65535u, x[i] * 65536u / m)) / 65535.0;
    const double hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
    const double delta = hi - lo, lightness = (hi + lo) / 2;
    double hue = 0;
    if (delta != 0) {
        const double dr = ((hi - c[0]) / 6 + delta / 2) / delta;
        const double dg = ((hi - c[1]) / 6 + delta / 2) / delta;
        const double db = ((hi - c[2]) / 6 + delta / 2) / delta;
        if (c[0] == hi) hue = db - dg;
        if (c[1] == hi) hue = 1.0 / 3 + dr - db;
        if (c[2] == hi) hue = 2.0 / 3 + dg - dr;
        if (hue < 0) hue += 1;
        if (hue > 1) hue -= 1;
    }
    CVarnelMasksContainer& masks = *config.GetMasks();
    for (auto& entry : masks.GetItems()) {
        auto* mask = static_cast<CVarnelMaskItem*>(entry.second);
        if (!mask->GetActive())
            continue;
        const int n = mask->GetNumber();
        double h = hue * 360, level = 0;
        auto* source = static_cast<CVarnelMaskItem*>(masks.GetItem(n));
        for (unsigned k = 0; k < 3; ++k) {
            KSegment* segment = source->GetSegment(k);
            double x1, y1, x2, y2;
            segment->GetEndpoints(x1, y1, x2, y2);
            if (x2 > 360 && x1 > x2 - 360) {
                if (x2 - 360 >= h) h += 360;
                if (h == 0) h = 360;
            }
            if (x1 <= h && h <= x2) {
                KLine line;
                line.SetFromTwoPoints(h, 0, h, 360);
                double px = 0, py = 0;
                const unsigned result = segment->Intersect(line, px, py);
                level = (result == LINE_FAILED || result == LINE_SAME || result == LINE_PARALLEL) ? 0 : py;
                break;
            }
        }
        if (n >= 0 && unsigned(n) < channels)
            work[n] = uint16_t(65535 - uint32_t(std::max(0.0, std::min(1.0, 2 * (1 - lightness) * level / 65535)) * 65535));
    }
    const std::vector<uint16_t> snapshot = work;
    const int32_t s = int32_t(config.GetInkLimit());
    const uint32_t cwb = config.GetColorWithBlack();
    const int32_t w = (cwb == 0 || cwb == 1) ? 65535 : cwb == 2 ? int32_t(65535 - m) : int32_t(m);
    auto mul = [](uint32_t a, uint32_t b) { return (a * b + 65535u) >> 16; };
    auto smul = [](int32_t d, int32_t f) { return (d * f + 65535) >> 16; };
    for (CVarnelItem* item : config.GetChannelsContact()->GetItems()) {
        auto* contact = static_cast<CVarnelChannelContactItem*>(item);
        const int t = contact->GetNumber();
        const unsigned c1 = contact->GetContact1(), c2 = contact->GetContact2();
        if (t < 0 || unsigned(t) >= channels || c1 >= channels || c2 >= channels)
            continue;
        const uint32_t bt = snapshot[t];
        const uint32_t xx = 65535 - mul(snapshot[c1], 65535 - bt);
        const uint32_t b1 = (bt + uint32_t(smul(smul(int32_t(xx) - int32_t(bt), s), w))) & 0xFFFF;
        const uint32_t yy = 65535 - mul(snapshot[c2], 65535 - b1);
        work[t] = uint16_t(b1 + uint32_t(smul(smul(int32_t(yy) - int32_t(b1), s), w)));
    }
    return work;
}

std::vector<uint16_t> Convert(CVarnelIF& engine, const std::vector<uint16_t>& rgb, unsigned channels)
{
    std::vector<uint16_t> out(rgb.size() / 3 * channels, 0xABCD);
    uint32_t processed = 0;
    EXPECT_EQ(0, engine.Convert16(rgb.data(), out.data(), uint32_t(rgb.size() / 3),
                                  uint32_t(rgb.size() / 3), &processed, nullptr, 0));
    return out;
}

struct PresetCase {
    const char* preset;
    const char* extra;
};

class EngineAgainstModel : public ::testing::TestWithParam<PresetCase> {};

TEST_P(EngineAgainstModel, RandomAndSpecialPixelsMatchTheFormulas)
{
    auto config = Configure(GetParam().preset, GetParam().extra);
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const unsigned channels = config->GetChannels();
    std::vector<uint16_t> rgb = {65535, 65535, 65535, 0, 0, 0, 30000, 30000, 30000,
                                 65535, 0, 0, 0, 65535, 0, 0, 0, 65535, 65535, 65535, 0,
                                 40000, 40000, 1000, 1, 0, 0, 257, 514, 771};
    std::mt19937 random(42);
    for (int i = 0; i < 3000; ++i)
        rgb.push_back(uint16_t(random()));
    for (int i = 0; i < 300; ++i) {  // 8-bit grid values, as Convert8 feeds them
        rgb.push_back(uint16_t((random() & 255) * 257));
    }
    // Round the hue circle, with the hues at and beside each multiple of 4
    // degrees (v = 4369 j), where ramps begin and end: the edges of the
    // hue buckets.
    for (uint32_t v = 0; v < 65536; v += 4369)
        for (uint32_t w = v ? v - 2 : 0; w <= std::min(v + 2, 65535u); ++w) {
            const uint16_t c = uint16_t(w);
            rgb.insert(rgb.end(), {65535, c, 0, c, 65535, 0, 0, 65535, c, 0, c, 65535, c, 0, 65535, 65535, 0, c});
        }
    const std::vector<uint16_t> out = Convert(engine, rgb, channels);
    for (size_t p = 0; p < rgb.size() / 3; ++p) {
        const auto expected = ModelPixel(*config, rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2]);
        for (unsigned j = 0; j < channels; ++j)
            ASSERT_EQ(expected[j], out[p * channels + j])
                << "pixel " << rgb[3 * p] << "," << rgb[3 * p + 1] << "," << rgb[3 * p + 2] << " channel " << j;
    }
}

// Every lane count gives the bytes of the one-lane kernel (the pixel path,
// itself checked against the formulas above): all 8-bit colours of a coarse
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

INSTANTIATE_TEST_SUITE_P(
    Presets, EngineAgainstModel,
    ::testing::Values(PresetCase{"HUE_PARAM_CMYK", ""}, PresetCase{"HUE_PARAM_CMYKOG", ""},
                      PresetCase{"HUE_PARAM_CMYKRODG", ""}, PresetCase{"HUE_PARAM_CMYKDBV", ""},
                      PresetCase{"HUE_PARAM_CMYK", "MAXINK=300;"},
                      PresetCase{"HUE_PARAM_CMYK", "MAXINK=250;COLORWITHBLACK=N;ROUND=1000,0,70000;"},
                      PresetCase{"", "CHANNELS=3;HUEMASK00=60,60,240,300;HUEMASK01=300,330,315,30;"
                                     "HUEMASK02=10,20,0,0;BLACKMASK=7;"}));

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

TEST(Engine, WhiteBlackAndGreyBeforeRefinement)
{
    auto config = Configure("HUE_PARAM_CMYKOG");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const auto out = Convert(engine, {65535, 65535, 65535, 0, 0, 0, 20000, 20000, 20000}, 6);
    for (unsigned j = 0; j < 6; ++j) {
        EXPECT_EQ(65535, out[j]);
        EXPECT_EQ(j == 3 ? 0 : 65535, out[6 + j]);
        EXPECT_EQ(j == 3 ? 20000 : 65535, out[12 + j]);
    }
}

struct RampCase {
    unsigned channel;
    double degrees;
    double level;
};

class RampLevels : public ::testing::TestWithParam<RampCase> {};

TEST_P(RampLevels, AtSampleHues)
{
    // 00: full from 120 to 240; 01 runs over 360 (stored 180, 240, 360,
    // 420); 02 is stored 300, 360, 480, 540; 03 has a vertical first
    // segment at 60 degrees, whose crossing is degenerate.
    auto config = Configure("", "CHANNELS=4;HUEMASK00=60,120,240,300;HUEMASK01=180,240,0,60;"
                                "HUEMASK02=300,0,120,180;HUEMASK03=60,60,240,300;");
    CVarnelPixelPlan plan(*config);
    EXPECT_EQ(GetParam().level, plan.MaskLevel(GetParam().channel, GetParam().degrees));
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RampLevels,
    ::testing::Values(RampCase{0, 30, 0}, RampCase{0, 90, 32767.5}, RampCase{0, 120, 65535},
                      RampCase{0, 240, 65535}, RampCase{0, 270, 32767.5}, RampCase{0, 330, 0},
                      RampCase{1, 30, 32767.5}, RampCase{1, 0, 65535}, RampCase{1, 120, 0},
                      RampCase{2, 60, 65535}, RampCase{3, 60, 0}, RampCase{3, 61, 65535}));

TEST(Engine, PureRedReachesAWrappedRampAtThreeHundredSixtyDegrees)
{
    // Pure red has hue 0 exactly; mask 01 = 180,240,0,60 stores 180, 240,
    // 360, 420, and its last segment moves the hue to 360, where the ramp is
    // at full level: full ink. Mask 00 = 60,120,240,300 gives no ink there.
    auto config = Configure("", "CHANNELS=2;HUEMASK00=60,120,240,300;HUEMASK01=180,240,0,60;");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const auto out = Convert(engine, {65535, 0, 0}, 2);
    EXPECT_EQ(65535, out[0]);
    EXPECT_EQ(0, out[1]);
}

TEST(Engine, RememberedPixelIsServedAcrossCallsBeforeTheCache)
{
    auto config = Configure("HUE_PARAM_CMYK");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    const std::vector<uint16_t> p = {1000, 20000, 40000};
    const auto computed = Convert(engine, p, 4);

    // A cache whose every entry is 0: only the repeated pixel escapes it.
    auto* cache = new CVarnelCache();
    cache->Allocate(uint64_t(kCacheColours) * 4);
    std::memset(cache->GetData(), 0, size_t(kCacheColours) * 4);
    CVarnelCacheContainer container;
    container.SetStride(4);
    container.SetCache(cache);
    engine.SetCacheContainer(&container);
    const auto out = Convert(engine, {1000, 20000, 40000, 5, 6, 7, 1000, 20000, 40000}, 4);
    engine.SetCacheContainer(nullptr);
    for (unsigned j = 0; j < 4; ++j) {
        EXPECT_EQ(computed[j], out[j]);
        EXPECT_EQ(0, out[4 + j]);
        EXPECT_EQ(0, out[8 + j]);
    }
}

TEST(Engine, CachedSixteenBitInputIsQuantisedToTheTable)
{
    auto config = Configure("HUE_PARAM_CMYK");
    CVarnelIF engine;
    engine.SetConfig(config.get());
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
    // 128 narrows to 0 and 129 to 1; entries are widened by 257.
    const auto out = Convert(engine, {128, 129, 65535, 129, 128, 0}, 4);
    auto entry = [&](uint8_t r, uint8_t g, uint8_t b) { return container.Lookup(r, g, b); };
    for (unsigned j = 0; j < 4; ++j) {
        EXPECT_EQ(entry(0, 1, 255)[j] * 257, out[j]);
        EXPECT_EQ(entry(1, 0, 0)[j] * 257, out[4 + j]);
    }
    engine.SetCacheContainer(nullptr);
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
    const char* text;
    unsigned channels;
};

class EngineChannelCounts : public ::testing::TestWithParam<ChannelCountCase> {};

TEST_P(EngineChannelCounts, EightAndSixteenBitAgreeAndStayInTheHostBuffer)
{
    auto config = Configure("", GetParam().text);
    const unsigned channels = GetParam().channels;
    ASSERT_EQ(channels, config->GetChannels());
    CVarnelIF engine;
    engine.SetConfig(config.get());
    std::mt19937 random(7);
    const uint32_t count = 2000;
    std::vector<uint8_t> rgb8(count * 3);
    for (auto& v : rgb8)
        v = uint8_t(random());
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
    ::testing::Values(ChannelCountCase{"CHANNELS=0;HUEMASK00=60,120,240,300;", 0},
                      ChannelCountCase{"CHANNELS=1;HUEMASK00=60,120,240,300;BLACKMASK=3;", 1},
                      ChannelCountCase{"CHANNELS=2;HUEMASK01=60,120,240,300;CHANNEL_CONTACT01=0,5;MAXINK=200;", 2},
                      ChannelCountCase{"CHANNELS=20;HUEMASK15=60,120,240,300;HUEMASK03=0,60,120,180;"
                                       "CHANNEL_CONTACT15=3,19;CHANNEL_CONTACT03=15,0;MAXINK=200;BLACKMASK=18;", 20}));

TEST(Engine, EightBitEqualsSixteenBitOnWidenedInputForPresets)
{
    for (const char* preset : {"HUE_PARAM_CMYK", "HUE_PARAM_CMYKRODG", "HUE_PARAM_CMYKOBVG"}) {
        auto config = Configure(preset);
        const unsigned channels = config->GetChannels();
        CVarnelIF engine8, engine16;
        engine8.SetConfig(config.get());
        engine16.SetConfig(config.get());
        const uint32_t count = 4096;
        std::vector<uint8_t> rgb8(count * 3);
        std::mt19937 random(11);
        for (auto& v : rgb8)
            v = uint8_t(random() % 7 == 0 ? 255 : random());
        std::vector<uint16_t> rgb16(rgb8.size());
        for (size_t i = 0; i < rgb8.size(); ++i)
            rgb16[i] = uint16_t(rgb8[i] * 257);
        std::vector<uint8_t> out8(size_t(count) * channels);
        std::vector<uint16_t> out16(size_t(count) * channels);
        uint32_t processed = 0;
        ASSERT_EQ(0, engine8.Convert8(rgb8.data(), out8.data(), count, count, &processed, nullptr, 0));
        ASSERT_EQ(0, engine16.Convert16(rgb16.data(), out16.data(), count, count, &processed, nullptr, 0));
        for (size_t i = 0; i < out8.size(); ++i)
            ASSERT_EQ(out8[i], varnel_narrow(out16[i])) << preset << " value " << i;
    }
}

TEST(Engine, WithoutConfigurationNothingIsWritten)
{
    CVarnelIF engine;
    uint16_t in[3] = {1, 2, 3}, out[4] = {9, 9, 9, 9};
    uint8_t in8[3] = {1, 2, 3}, out8[4] = {9, 9, 9, 9};
    uint32_t processed = 0;
    EXPECT_EQ(-1, engine.Convert16(in, out, 1, 1, &processed, nullptr, 0));
    EXPECT_EQ(-1, engine.Convert8(in8, out8, 1, 1, &processed, nullptr, 0));
    EXPECT_EQ(9, out[0]);
    EXPECT_EQ(9, out8[0]);
    VarnelImageDesc image;
    EXPECT_EQ(-1, engine.ProcessRegion(image, image, VarnelPoint{}, VarnelRect{}));
}

TEST(Engine, ProcessRegionMatchesEightBitConversion)
{
    auto config = Configure("HUE_PARAM_CMYKOG");
    CVarnelIF engine;
    engine.SetConfig(config.get());
    // A 5 x 4 RGB image with interleaved components, a 6-channel planar-ish
    // destination (component stride = width * height).
    const long width = 5, height = 4;
    std::vector<uint8_t> source(size_t(width * height * 3));
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = uint8_t(i * 37);
    std::vector<uint8_t> destination(size_t(width * height * 6), 0);
    VarnelImageDesc src{source.data(), width * 3, 3, 1};
    VarnelImageDesc dst{destination.data(), width, 1, width * height};
    ASSERT_EQ(0, engine.ProcessRegion(src, dst, VarnelPoint{0, 0}, VarnelRect{0, 0, width, height}));
    CVarnelIF reference;
    reference.SetConfig(config.get());
    std::vector<uint8_t> expected(size_t(width * height * 6));
    uint32_t processed = 0;
    ASSERT_EQ(0, reference.Convert8(source.data(), expected.data(), uint32_t(width * height),
                                    uint32_t(width * height), &processed, nullptr, 0));
    for (long p = 0; p < width * height; ++p)
        for (long j = 0; j < 6; ++j)
            ASSERT_EQ(expected[size_t(p * 6 + j)], destination[size_t(p + j * width * height)]);
}

} // namespace
