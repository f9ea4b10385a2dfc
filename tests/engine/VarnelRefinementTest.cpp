#include "config/Varnel.h"
#include "engine/VarnelRefinement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Values past the work channels must survive every stage untouched.
constexpr uint16_t kGuard = 0xBEEF;

struct RefinementCase {
    const char* name;
    const char* text;
    std::vector<uint16_t> in;
    std::vector<uint16_t> out;
};

std::vector<uint16_t> Refine(const char* text, const std::vector<uint16_t>& in, bool* hasWork = nullptr)
{
    CVarnel config;
    EXPECT_EQ(config.ParseText(text, static_cast<long>(std::strlen(text))), 0) << text;
    const auto channels = static_cast<unsigned>(in.size());
    CVarnelRefinement refinement(config, channels);
    if (hasWork != nullptr)
        *hasWork = refinement.HasWork();

    uint16_t work[kMaxChannels + 4];
    std::fill(std::begin(work), std::end(work), kGuard);
    std::copy(in.begin(), in.end(), work);
    EXPECT_EQ(refinement.Apply(work), 0);
    for (size_t i = in.size(); i < sizeof(work) / sizeof(work[0]); ++i)
        EXPECT_EQ(work[i], kGuard) << "written past the work channels at " << i;
    return std::vector<uint16_t>(work, work + in.size());
}

class RefinementTest : public ::testing::TestWithParam<RefinementCase> {};

TEST_P(RefinementTest, MatchesTheFormulas)
{
    const RefinementCase& c = GetParam();
    EXPECT_EQ(Refine(c.text, c.in), c.out);
}

const std::vector<uint16_t> kFour = {40000, 20000, 50000, 30000};
const std::vector<uint16_t> kSix = {40000, 20000, 50000, 30000, 10000, 60000};
const std::vector<uint16_t> kEight = {20000, 40000, 50000, 30000, 10000, 60000, 65535, 5000};

// Expected values were computed independently from the fixed-point formulas.
INSTANTIATE_TEST_SUITE_P(
    Stages, RefinementTest,
    ::testing::Values(
        RefinementCase{"SubstitutionFixedStrength",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,Y;", kFour,
                       {38234, 19763, 45585, 30000}},
        // 250 is capped at 100; a failing expression falls back to the
        // curve value, which gives the same channel as a full level.
        RefinementCase{"ExpressionCappedAt100",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,Y,2*125;", kFour,
                       {38234, 20748, 45585, 30000}},
        RefinementCase{"ExpressionFailsToEvaluate",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,Y,sin(1);", kFour,
                       {38234, 20748, 45585, 30000}},
        RefinementCase{"NegativeExpressionClampedToZero",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,Y,0-30;", kFour,
                       {38234, 18778, 45585, 30000}},
        RefinementCase{"CombinedStep",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,Y;COLOR_ADD01=40,10,20,30,40,Y;",
                       kFour, {33558, 15640, 31948, 30000}},
        RefinementCase{"CombinedStepOnBlack",
                       "CHANNELS=4;BLACKMASK=3;GRAY_SUBST=30,10,10,10,Y;BLACK_ADD=60,5,5,5,5,Y;", kFour,
                       {36808, 18404, 46010, 30430}},
        RefinementCase{"NumberedSubstitutionNeverServesBlack",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST03=50,20,30,40,Y;", kFour, kFour},
        RefinementCase{"AdditionTouchesEveryChannel",
                       "CHANNELS=4;BLACKMASK=3;COLOR_ADD00=40,10,20,30,50,Y;",
                       {20000, 40000, 50000, 30000}, {19517, 38068, 46378, 26379}},
        RefinementCase{"AdditionWithoutStrength",
                       "CHANNELS=4;BLACKMASK=3;COLOR_ADD00=0,10,20,30,50,Y;",
                       {20000, 40000, 50000, 30000}, {18610, 34441, 39578, 19578}},
        RefinementCase{"DisabledItemsAreSkipped",
                       "CHANNELS=4;BLACKMASK=3;COLOR_SUBST01=50,20,30,40,N;COLOR_ADD00=40,10,N;", kFour,
                       kFour},
        RefinementCase{"PlainSecondColourCopiesTheSource", "CHANNELS=6;SECOND_COLOR01=5,0,0,;", kSix,
                       {40000, 20000, 50000, 30000, 10000, 20000}},
        RefinementCase{"StrongSecondColour", "CHANNELS=6;SECOND_COLOR04=2,50,25,;", kSix,
                       {40000, 20000, 57625, 30000, 10000, 60000}},
        RefinementCase{"WeakSecondColour", "CHANNELS=6;SECOND_COLOR04=2,0,25,;", kSix,
                       {40000, 20000, 37767, 30000, 10000, 60000}},
        RefinementCase{"LightMask", "CHANNELS=8;HUEMASK_LIGHT00=6,50,66,Y;", kEight,
                       {21164, 40000, 50000, 30000, 10000, 60000, 55988, 5000}},
        RefinementCase{"AllStagesInOrder",
                       "CHANNELS=8;BLACKMASK=3;GRAY_SUBST=30,10,10,10,Y;COLOR_SUBST01=50,20,30,40,Y;"
                       "BLACK_ADD=60,5,5,5,5,Y;COLOR_ADD02=40,10,20,30,40,5,5,5,5,Y;"
                       "SECOND_COLOR04=5,50,25,;HUEMASK_LIGHT00=6,50,66,Y;HUEMASK_LIGHT01=6,40,20,Y;",
                       kEight, {15516, 65535, 31527, 30201, 9992, 57619, 55804, 4996}},
        // Fewer than three channels: the substitution feeds only those.
        RefinementCase{"TwoChannels", "CHANNELS=2;COLOR_SUBST01=50,20,30,40,Y;", {40000, 20000},
                       {38234, 19763}},
        RefinementCase{"ItemsOutsideTheChannelsAreIgnored",
                       "CHANNELS=4;SECOND_COLOR00=9,50,25,;SECOND_COLOR07=1,50,25,;"
                       "HUEMASK_LIGHT00=6,50,66,Y;HUEMASK_LIGHT05=1,50,66,Y;",
                       kFour, kFour}),
    [](const ::testing::TestParamInfo<RefinementCase>& info) { return std::string(info.param.name); });

TEST(RefinementWorkTest, HasWorkOnlyWhenAStageWouldChangeAPixel)
{
    const struct {
        const char* text;
        bool hasWork;
    } cases[] = {
        {"CHANNELS=4;", false},
        {"CHANNELS=4;COLOR_SUBST01=50,20,30,40,N;", false},
        {"CHANNELS=4;HUEMASK_LIGHT00=6,50,66,Y;", false},
        {"CHANNELS=4;COLOR_ADD02=40,Y;", true},
        {"CHANNELS=4;SECOND_COLOR01=2,0,0,;", true},
    };
    for (const auto& c : cases) {
        bool hasWork = !c.hasWork;
        Refine(c.text, kFour, &hasWork);
        EXPECT_EQ(hasWork, c.hasWork) << c.text;
    }
}

TEST(RefinementWorkTest, MissingContainerFailsBeforeTouchingThePixel)
{
    const char* text = "CHANNELS=4;SECOND_COLOR01=2,0,0,;";
    CVarnel config;
    ASSERT_EQ(config.ParseText(text, static_cast<long>(std::strlen(text))), 0);
    config.DeleteContainers();
    CVarnelRefinement refinement(config, 4);
    EXPECT_TRUE(refinement.HasWork());
    uint16_t work[4] = {1, 2, 3, 4};
    EXPECT_EQ(refinement.Apply(work), -1);
    EXPECT_EQ(work[2], 3);
}

}  // namespace
