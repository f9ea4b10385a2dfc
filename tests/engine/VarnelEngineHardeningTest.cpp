// Configurations that name what does not exist or go past every range:
// the engine must stay inside the host's buffer and the work channels, and
// ignore what names a channel it does not compute.
#include "varnel/VarnelDll.h"

#include "support/LibraryTestHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

// Four inks with every stage present, all on channels 0 to 3.
const std::string kBase =
    "CHANNELS=4;COLORWITHBLACK=Y;MAXINK=250;BLACKMASK=3;ROUND=500,0,900;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
    "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;"
    "HUEMASK_LIGHT00=0,40,20,Y;SECOND_COLOR00=1,20,50,Y;GRAY_SUBST=30,10,10,10,Y;"
    "COLOR_SUBST01=50,20,30,40,Y;BLACK_ADD=20,5,5,5,5,Y;COLOR_ADD02=40,10,20,30,40,Y;";

// Converts specials and random colours into buffers of exactly the size a
// host allocates from GetChannels (the sanitizer build catches any write
// past them); returns the 8-bit inks followed by the 16-bit ones.
std::vector<unsigned> Convert(const std::string& text, long expectedChannels)
{
    CVarnelDll dll;
    EXPECT_EQ(0, dll.SetPreferences(Text("HUE_PARAM_CMYK"), Text(text), nullptr, 0, 0, nullptr, 0));
    const long channels = dll.GetChannels();
    EXPECT_EQ(expectedChannels, channels);
    std::vector<unsigned char> in8 = {255, 255, 255, 0, 0, 0, 128, 128, 128, 255, 0, 0,
                                      0, 255, 0, 0, 0, 255, 255, 255, 0, 1, 254, 3};
    std::mt19937 random(11);
    for (int i = 0; i < 3 * 500; ++i)
        in8.push_back(static_cast<unsigned char>(random()));
    const unsigned count = unsigned(in8.size() / 3);
    std::vector<unsigned short> in16;
    for (unsigned char v : in8)
        in16.push_back(static_cast<unsigned short>(v * 257 - (v & 1)));
    std::vector<unsigned char> out8(size_t(channels) * count);
    std::vector<unsigned short> out16(size_t(channels) * count);
    EXPECT_EQ(0, dll.RGB8ToMultichannel(in8.data(), out8.data(), count));
    EXPECT_EQ(0, dll.RGB16ToMultichannel(in16.data(), out16.data(), count));
    std::vector<unsigned> inks(out8.begin(), out8.end());
    inks.insert(inks.end(), out16.begin(), out16.end());
    return inks;
}

// A statement for a channel at or above the channel count changes nothing.
class ChannelOutOfRange : public ::testing::TestWithParam<const char*> {};

TEST_P(ChannelOutOfRange, IsIgnoredByEveryStage)
{
    EXPECT_TRUE(Convert(kBase, 4) == Convert(kBase + GetParam(), 4));
}

INSTANTIATE_TEST_SUITE_P(
    Stages, ChannelOutOfRange,
    ::testing::Values("HUEMASK04=60,120,240,300;", "HUEMASK15=0,90,180,270;",
                      "CHANNEL_CONTACT07=0,1;", "CHANNEL_CONTACT03=4,1;",
                      "CHANNEL_CONTACT03=0,2000;", "HUEMASK_LIGHT03=4,40,20,Y;",
                      "HUEMASK_LIGHT04=255,40,20,Y;", "SECOND_COLOR02=4,20,50,Y;",
                      "SECOND_COLOR03=99999,20,50,Y;", "COLOR_SUBST04=50,20,30,40,Y;",
                      "COLOR_SUBST15=50,20,30,40,Y,2*3;", "COLOR_ADD04=40,10,20,30,40,Y;",
                      "COLOR_ADD15=40,10,Y;",
                      // Numbers past the two digits of a stage key are no key.
                      "HUEMASK16=60,120,240,300;COLOR_ADD16=40,10,Y;CHANNEL_CONTACT16=0,1;"));

struct RangeCase {
    const char* name;
    const char* text;
    long channels;
};

class OutOfRangeValues : public ::testing::TestWithParam<RangeCase> {};

// Percentages outside 0..100, negative and huge numbers, expressions that
// fail: the load succeeds and the conversion completes without undefined
// behaviour (checked by the sanitizer build). Channel counts the engine
// cannot compute do not load at all (DllLoading in the interface tests).
TEST_P(OutOfRangeValues, LoadAndConvertEveryPixel)
{
    const RangeCase& c = GetParam();
    // In front, so that its statements come before those of the same key.
    Convert(c.text + kBase, c.channels);
}

INSTANTIATE_TEST_SUITE_P(
    Values, OutOfRangeValues,
    ::testing::Values(
        RangeCase{"Percentages", "HUEMASK_LIGHT00=0,150,-50,Y;SECOND_COLOR00=1,-20,200,Y;"
                                 "GRAY_SUBST=150,-20,300,-40,Y;COLOR_ADD02=-50,200,-300,Y;", 4},
        RangeCase{"Huge", "HUEMASK_LIGHT00=0,2147483647,-2147483648,Y;"
                          "SECOND_COLOR00=1,2147483647,-2147483648,Y;"
                          "COLOR_SUBST01=2147483647,-2147483648,2147483647,-2147483648,Y;"
                          "BLACK_ADD=2147483647,-2147483648,2147483647,Y;MAXINK=99999999999;"
                          "ROUND=99999999999,-99999999999,4294967295;", 4},
        RangeCase{"Hues", "HUEMASK00=2147483647,-2147483648,99999999999,-99999999999;"
                          "HUEMASK01=-10,400,720,99999;HUEMASK02=0,0,0,0;", 4},
        RangeCase{"NegativeLimits", "MAXINK=-5;ROUND=-1,-1,-1;", 4},
        RangeCase{"Expressions", "COLOR_SUBST01=50,20,30,40,Y,1/0;COLOR_SUBST00=50,20,30,40,Y,(((;"
                                 "GRAY_SUBST=50,20,30,40,Y,_NOPE*2;COLOR_SUBST02=50,1,1,1,Y,0-1e300;", 4},
        RangeCase{"SixteenChannels", "CHANNELS=16;HUEMASK15=60,120,240,300;BLACKMASK=15;"
                                     "COLOR_ADD02=40,10,20,30,40,5,5,5,5,5,5,5,5,5,5,5,5,Y;", 16},
        RangeCase{"BlackAboveTheCount", "BLACKMASK=4;", 4}),
    [](const ::testing::TestParamInfo<RangeCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

// ---- a scratch block that cannot be had ----

// While set, every nothrow array allocation fails: the engine's scratch
// block is the only one a conversion asks for that way.
bool g_refuseNothrowArrays = false;

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (g_refuseNothrowArrays)
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

// A memory failure is reported as one (-108), not as a bad argument, and
// nothing is written.
TEST(MemoryFailure, ScratchBlockOfAnEightBitConversion)
{
    CVarnelDll dll;
    ASSERT_EQ(0, dll.SetPreferences(Text("HUE_PARAM_CMYK"), nullptr, nullptr, 0, 0, nullptr, 0));
    unsigned char in[6] = {10, 20, 30, 200, 100, 0};
    unsigned char out[8];
    std::memset(out, 0xA5, sizeof out);
    g_refuseNothrowArrays = true;
    const long result = dll.RGB8ToMultichannel(in, out, 2);
    g_refuseNothrowArrays = false;
    EXPECT_EQ(VARNEL_STATUS_NO_MEMORY, result);
    for (unsigned char v : out)
        EXPECT_EQ(0xA5, v);
    EXPECT_EQ(0, dll.RGB8ToMultichannel(in, out, 2));
}

} // namespace
