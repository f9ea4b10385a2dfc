#include "base/KFile.h"
#include "config/Varnel.h"
#include "config/VarnelVarContainer.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelColorAddition.h"
#include "stages/VarnelColorSubst.h"
#include "stages/VarnelMasks.h"
#include "stages/VarnelMasksLight.h"
#include "stages/VarnelSecondColors.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The 4-channel preset as the library ships it: one line, no CR.
const char* const kCmykPreset =
    "#_MAXIMUMINK=300;CHANNELS=4;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
    "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
    "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;"
    "BLACKMASK=3;*HUEMASK_LIGHT00=6,50,66;";

int Parse(CVarnel& config, const std::string& text)
{
    return config.ParseText(text.c_str(), static_cast<long>(text.size()));
}

// The six empty flags, which a parse sets from its containers.
std::vector<bool> EmptyFlags(const CVarnel& config)
{
    return {config.IsMasksEmpty(),      config.IsSecondColorsEmpty(),  config.IsLightMasksEmpty(),
            config.IsColorSubstEmpty(), config.IsColorAdditionEmpty(), config.IsChannelsContactEmpty()};
}

struct TextCase {
    const char* name;
    const char* text;
    uint32_t channels;
    uint32_t colorWithBlack;
    uint32_t inkLimit;
    uint32_t round[3];
    int result;
};

class TextRulesTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextRulesTest, AppliesStatements)
{
    const TextCase& c = GetParam();
    CVarnel config;
    config.SetChannels(9);  // a previous value that switched-off keys keep
    EXPECT_EQ(Parse(config, c.text), c.result);
    EXPECT_EQ(config.GetChannels(), c.channels);
    EXPECT_EQ(config.GetColorWithBlack(), c.colorWithBlack);
    EXPECT_EQ(config.GetInkLimit(), c.inkLimit);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(config.GetRound(i), c.round[i]) << i;
    EXPECT_EQ(EmptyFlags(config), std::vector<bool>(6, true));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextRulesTest,
    ::testing::Values(
        TextCase{"Plain", "CHANNELS=6;", 6, 2, 0, {0, 0, 0}, 0},
        TextCase{"StarredAnywhere", "CHANNELS=6;*CHANNELS=5;", 9, 2, 0, {0, 0, 0}, 0},
        TextCase{"ValueAtEnd", "CHANNELS=5;ROUND=1,2,3", 5, 2, 0, {1, 2, 3}, 0},
        TextCase{"RoundShort", "ROUND=7;", 9, 2, 0, {7, 0, 0}, 0},
        TextCase{"RoundEmpty", "ROUND=;", 9, 2, 0, {0, 0, 0}, 0},
        TextCase{"RoundExtra", "ROUND=1,2,3,4;", 9, 2, 0, {1, 2, 3}, 0},
        TextCase{"BlackY", "COLORWITHBLACK=Y;", 9, 2, 0, {0, 0, 0}, 0},
        TextCase{"BlackLowerY", "COLORWITHBLACK=y;", 9, 1, 0, {0, 0, 0}, 0},
        TextCase{"BlackN", "COLORWITHBLACK=N;", 9, 1, 0, {0, 0, 0}, 0},
        TextCase{"BlackFirstItem", "COLORWITHBLACK=Y,N;", 9, 2, 0, {0, 0, 0}, 0},
        TextCase{"BlackEmptyFails", "COLORWITHBLACK=;MAXINK=250;", 9, 2, 0, {0, 0, 0}, -1},
        TextCase{"MaxInkEmptyFails", "MAXINK=;", 9, 2, 0, {0, 0, 0}, -1},
        TextCase{"MaxInkStarred", "MAXINK=250;*MAXINK=", 9, 2, 0, {0, 0, 0}, 0},
        // Parsing order: ROUND and CHANNELS are applied before the failure.
        TextCase{"StopsAtFailure", "MAXINK=;ROUND=4,5,6;CHANNELS=3;COLORWITHBLACK=N", 3, 1, 0,
                 {4, 5, 6}, -1},
        TextCase{"UnknownVariable", "COLORWITHBLACK=_UNDEFINED;", 9, 1, 0, {0, 0, 0}, 0}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

struct MaxInkCase {
    int percent;
    uint32_t strength;
};

class SetMaxInkTest : public ::testing::TestWithParam<MaxInkCase> {};

TEST_P(SetMaxInkTest, Strength)
{
    CVarnel config;
    EXPECT_EQ(config.SetMaxInk(GetParam().percent), 0);
    EXPECT_EQ(config.GetInkLimit(), GetParam().strength);
}

INSTANTIATE_TEST_SUITE_P(Cases, SetMaxInkTest,
                         ::testing::Values(MaxInkCase{300, 0}, MaxInkCase{400, 0},
                                           MaxInkCase{299, 0}, MaxInkCase{250, 16383},
                                           MaxInkCase{220, 26214}, MaxInkCase{201, 32112},
                                           MaxInkCase{200, 32767}, MaxInkCase{0, 32767},
                                           MaxInkCase{-5, 32767}));

TEST(Varnel, VariablesOnlyFromCrEndedLinesOfTheFirstText)
{
    CVarnel config;
    // Line 1 and 2 end in CR; the last definition has none and is no line.
    const std::string first =
        "#_INK=250;\r\n#_BLACK=N;\r\n#_NOSEMI=1\r\n#_LATE=220;";
    ASSERT_EQ(Parse(config, first), 0);
    auto* vars = config.GetVarContainer();
    ASSERT_EQ(vars->GetNumericVars().size(), 1u);
    EXPECT_STREQ(vars->GetNumericVars().front()->name, "_INK");
    EXPECT_EQ(vars->GetNumericVars().front()->value, 250.0);
    ASSERT_EQ(vars->GetTextVars().size(), 1u);
    EXPECT_STREQ(vars->GetTextVars().front()->name, "_BLACK");

    // A second text defines nothing, but uses the first one's variables.
    ASSERT_EQ(Parse(config, "#_MORE=Y;\r\nCOLORWITHBLACK=_BLACK;MAXINK=_INK;"), 0);
    EXPECT_EQ(vars->GetTextVars().size(), 1u);
    EXPECT_EQ(config.GetColorWithBlack(), 1u);
    // A numeric variable is handed out as "250.00", which is no integer.
    EXPECT_EQ(config.GetInkLimit(), 32767u);
}

TEST(Varnel, DefinitionLimits)
{
    CVarnel config;
    const std::string longName(50, 'N');
    const std::string fitName(49, 'F');
    const std::string longDefinition = "#_D=" + std::string(97, 'x') + ";\r";  // 100 after '#'
    const std::string fitDefinition = "#_E=" + std::string(96, 'x') + ";\r";   // 99
    const std::string text = "#_" + longName + "=1;\r#_" + fitName.substr(1) + "=2;\r" +
                             longDefinition + fitDefinition + "#_EMPTY=;\r#_NOVALUE;\r";
    ASSERT_EQ(Parse(config, text), 0);
    auto* vars = config.GetVarContainer();
    ASSERT_EQ(vars->GetNumericVars().size(), 2u);
    EXPECT_EQ(std::string(vars->GetNumericVars().front()->name), "_" + fitName.substr(1));
    EXPECT_STREQ(vars->GetNumericVars().back()->name, "_EMPTY");
    EXPECT_EQ(vars->GetNumericVars().back()->value, 0.0);
    ASSERT_EQ(vars->GetTextVars().size(), 1u);
    EXPECT_STREQ(vars->GetTextVars().front()->name, "_E");
}

TEST(Varnel, BlackMaskIsAnInactiveMask)
{
    CVarnel config;
    ASSERT_EQ(Parse(config, "BLACKMASK=3;"), 0);
    EXPECT_EQ(config.GetBlackMask(), 3u);
    auto* item = dynamic_cast<CVarnelMaskItem*>(config.GetMasks()->GetItem(3));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetNumber(), 3);
    EXPECT_EQ(item->GetActive(), 0);
    // A HUEMASK of the same number reuses it and keeps it inactive.
    ASSERT_EQ(Parse(config, "HUEMASK03=10,20,30,40;"), 0);
    EXPECT_EQ(config.GetMasks()->GetItem(3), item);
    EXPECT_EQ(item->GetActive(), 0);
}

// Every stage's container but the masks' is emptied.
TEST(Varnel, ResetContainersKeepsMasksAndSettings)
{
    CVarnel config;
    ASSERT_EQ(Parse(config, kCmykPreset), 0);
    ASSERT_EQ(Parse(config, "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;GRAY_SUBST=40,10,10,10,Y;"
                            "COLOR_ADD02=40,10,20,Y;"), 0);
    EXPECT_EQ(EmptyFlags(config), std::vector<bool>(6, false));
    config.ResetContainers();
    EXPECT_EQ(config.GetMasks()->GetCount(), 4);
    EXPECT_TRUE(config.GetChannelsContact()->IsEmpty());
    EXPECT_TRUE(config.GetLightMasks()->IsEmpty());
    EXPECT_TRUE(config.GetSecondColors()->IsEmpty());
    EXPECT_TRUE(config.GetColorSubst()->IsEmpty());
    EXPECT_TRUE(config.GetColorAddition()->IsEmpty());
    EXPECT_EQ(config.GetChannels(), 4u);
}

TEST(Varnel, FreshConfigurationHasNoStagesAndCarriesTheTypeCodes)
{
    CVarnel config;
    EXPECT_EQ(EmptyFlags(config), std::vector<bool>(6, true));
    EXPECT_EQ(config.GetTypeTag(), 0x564C2020u);
    EXPECT_EQ(config.Reserved2(), 0);
    EXPECT_EQ(config.GetMasks()->GetTypeCode(), 0x5649434Eu);
    EXPECT_EQ(config.GetLightMasks()->GetTypeCode(), 0x564D4B4Cu);
    EXPECT_EQ(config.GetColorSubst()->GetTypeCode(), 0x56435355u);
    EXPECT_EQ(config.GetColorAddition()->GetTypeCode(), 0x56414443u);
    EXPECT_EQ(config.GetChannelsContact()->GetTypeCode(), 0x56434343u);
}

class LoadFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content)
    {
        std::ofstream(folder.Path() + name, std::ios::binary) << content;
        return folder.Path() + name;
    }

    ScratchFolder folder;
};

TEST_F(LoadFileTest, ByExtension)
{
    enum Make { kNothing, kFile, kFolder };
    struct Case {
        const char* name;
        const char* content;
        Make make;
        int result;
        int32_t sourceKind;
        uint32_t channels;
        uint32_t colorWithBlack;
    };
    const Case cases[] = {
        {"a.cfg", "#_C=N;\r\nCHANNELS=6;COLORWITHBLACK=_C;", kFile, 0, kSourceCfg, 6, 1},
        {"b.CFG", "CHANNELS=7", kFile, 0, kSourceCfg, 7, 2},
        {"c.xml", "CHANNELS=8;", kFile, 0, kSourceXml, 0, 2},
        {"d.txt", "CHANNELS=8;", kFile, -1, 0, 0, 2},
        {"noext", "CHANNELS=8;", kFile, -1, 0, 0, 2},
        {"missing.cfg", "", kNothing, -1, kSourceCfg, 0, 2},
        {"folder.cfg", "", kFolder, -1, kSourceCfg, 0, 2},
        {"empty.cfg", "", kFile, 0, kSourceCfg, 0, 2},
        {"bad.cfg", "MAXINK=;", kFile, -1, kSourceCfg, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make == kFile ? Write(c.name, c.content) : folder.Path() + c.name;
        if (c.make == kFolder)
            std::filesystem::create_directories(path);
        CVarnel config;
        EXPECT_EQ(config.LoadFile(KFile(path.c_str())), c.result);
        EXPECT_EQ(config.GetSourceKind(), c.sourceKind);
        EXPECT_EQ(config.GetChannels(), c.channels);
        EXPECT_EQ(config.GetColorWithBlack(), c.colorWithBlack);
    }
}

TEST_F(LoadFileTest, ReadFileSizesAndTerminates)
{
    const std::string path = Write("r.cfg", "CHANNELS=4;");
    CVarnel config;
    long size = 0;
    ASSERT_EQ(config.ReadFile(KFile(path.c_str()), size, nullptr), 0);
    EXPECT_EQ(size, 12);
    char buffer[8];
    std::memset(buffer, 'x', sizeof(buffer));
    size = sizeof(buffer);  // smaller than the file: cut, still terminated
    ASSERT_EQ(config.ReadFile(KFile(path.c_str()), size, buffer), 0);
    EXPECT_STREQ(buffer, "CHANNEL");
}

}  // namespace
