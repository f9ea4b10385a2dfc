#include "geometry/KSegment.h"
#include "stages/VarnelMasks.h"

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

int Load(CVarnelMasksContainer& masks, const std::string& text)
{
    return masks.LoadMasks(text.c_str(), static_cast<long>(text.size()));
}

CVarnelMaskItem* Mask(CVarnelMasksContainer& masks, int number)
{
    return dynamic_cast<CVarnelMaskItem*>(masks.GetItem(number));
}

std::array<int32_t, 4> Hues(const CVarnelMaskItem& item)
{
    std::array<MaskPoint, 4> p;
    EXPECT_EQ(item.GetPoint1(p[0]) | item.GetPoint2(p[1]) | item.GetPoint3(p[2]) | item.GetPoint4(p[3]), 0);
    return {p[0].hue, p[1].hue, p[2].hue, p[3].hue};
}

struct WrapCase {
    const char* value;
    std::array<int32_t, 4> hues;
};

class MaskWrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(MaskWrapTest, StoresUnwrappedHuesAndOutline)
{
    const WrapCase& c = GetParam();
    CVarnelMasksContainer masks;
    ASSERT_EQ(Load(masks, std::string("HUEMASK01=") + c.value + ";"), 0);
    CVarnelMaskItem* item = Mask(masks, 1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetActive(), 1);
    EXPECT_EQ(Hues(*item), c.hues);
    // The outline is closed: its fifth point is the first again.
    const int32_t levels[4] = {0, 65535, 65535, 0};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(item->GetOutlineHues()[k], c.hues[k % 4]);
        EXPECT_EQ(item->GetOutlineLevels()[k], levels[k % 4]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskWrapTest,
    ::testing::Values(WrapCase{"60,120,240,300", {60, 120, 240, 300}},
                      WrapCase{"180,240,0,60", {180, 240, 360, 420}},
                      WrapCase{"300,0,120,180", {300, 360, 480, 540}},
                      WrapCase{"60,60,240,300", {60, 60, 240, 300}},  // equal: no turn
                      WrapCase{"60,120,120,300", {60, 120, 120, 300}},
                      // Hue fields are read like atol: prefix digits, else 0.
                      WrapCase{" 10x,_A,30,40,99", {10, 360, 390, 400}},
                      WrapCase{"-10,+20,30,40", {-10, 20, 30, 40}}),
    [](const ::testing::TestParamInfo<WrapCase>& info) {
        return ReadableName(std::to_string(info.index) + " " + info.param.value);
    });

TEST(MaskLoader, NumbersGapsAndLimits)
{
    CVarnelMasksContainer masks;
    EXPECT_EQ(Load(masks, "CHANNELS=4;CHANNEL_CONTACT00=1,2;"), 0);  // no family name
    EXPECT_TRUE(masks.IsEmpty());

    ASSERT_EQ(Load(masks, "HUEMASK00=1,2,3,4;HUEMASK04=5,6,7,8;HUEMASK15=1,2,3,4;HUEMASK16=1,2,3,4;"
                          "HUEMASK_LIGHT01=6,50,66;"),
              0);
    EXPECT_EQ(masks.GetCount(), 3);
    EXPECT_NE(Mask(masks, 0), nullptr);
    EXPECT_NE(Mask(masks, 4), nullptr);
    EXPECT_NE(Mask(masks, 15), nullptr);
    EXPECT_EQ(Mask(masks, 16), nullptr);
    EXPECT_EQ(Mask(masks, 1), nullptr);

    // Starred anywhere, first or after, switches the statement off.
    ASSERT_EQ(Load(masks, "*HUEMASK02=1,2,3,4;HUEMASK02=1,2,3,4;HUEMASK03=1,2,3,4;*HUEMASK03=1,2,3,4;"), 0);
    EXPECT_EQ(Mask(masks, 2), nullptr);
    EXPECT_EQ(Mask(masks, 3), nullptr);

    // An item's Reset (no container calls it) zeroes it and switches it on.
    CVarnelMaskItem* four = Mask(masks, 4);
    four->SetActive(0);
    four->Reset();
    EXPECT_EQ(four->GetActive(), 1);
    EXPECT_EQ(four->GetNumber(), 0);
    EXPECT_EQ(Hues(*four), (std::array<int32_t, 4>{}));
    for (unsigned k = 0; k < 3; ++k) {
        std::array<double, 4> ends{1, 1, 1, 1};
        four->GetSegment(k)->GetEndpoints(ends[0], ends[1], ends[2], ends[3]);
        EXPECT_EQ(ends, (std::array<double, 4>{})) << "segment " << k;
    }
}

TEST(MaskLoader, RejectsMalformedValues)
{
    struct Case {
        std::string text;
        int result;
    };
    const Case cases[] = {
        {"HUEMASK00=1,2,3;", -1},                                 // three fields
        {"HUEMASK00=;", -1},                                      // none
        {"HUEMASK00=" + std::string(247, ' ') + "1,2,3,4;", 0},   // 254 characters fit
        {"HUEMASK00=" + std::string(248, ' ') + "1,2,3,4;", -1},  // 255 do not
        {"HUEMASK00=" + std::string(254, ',') + ";", 0},          // 255 empty fields
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        CVarnelMasksContainer masks;
        ASSERT_EQ(Load(masks, "HUEMASK05=1,2,3,4;"), 0);
        EXPECT_EQ(Load(masks, c.text + "HUEMASK05=9,9,9,9;"), c.result);
        EXPECT_NE(Mask(masks, 5), nullptr);  // earlier items stay
    }
}

}  // namespace
