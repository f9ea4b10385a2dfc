#include "interface/VarnelPresets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The distinct texts: stated length, channel count, and the names that
// carry the text.
struct SharedText {
    long length;
    int channels;
    std::vector<std::string> names;
};

const SharedText kSharedTexts[] = {
    {239, 4, {"HUE_PARAM_CMYK"}},
    {287, 5, {"HUE_PARAM_CMYKB", "HUE_PARAM_CMYKV"}},
    {333, 6, {"HUE_PARAM_CMYKBG", "HUE_PARAM_CMYKVG"}},
    {335, 6, {"HUE_PARAM_CMYKBV"}},
    {381, 7, {"HUE_PARAM_CMYKBVG"}},
    {285, 5, {"HUE_PARAM_CMYKD", "HUE_PARAM_CMYKO", "HUE_PARAM_CMYKR"}},
    {333, 6, {"HUE_PARAM_CMYKDB", "HUE_PARAM_CMYKDV", "HUE_PARAM_CMYKOB", "HUE_PARAM_CMYKOV", "HUE_PARAM_CMYKRB", "HUE_PARAM_CMYKRV"}},
    {381, 7, {"HUE_PARAM_CMYKDBV", "HUE_PARAM_CMYKOBV", "HUE_PARAM_CMYKRBV"}},
    {427, 8, {"HUE_PARAM_CMYKDBVG", "HUE_PARAM_CMYKOBVG", "HUE_PARAM_CMYKRBVG"}},
    {331, 6, {"HUE_PARAM_CMYKDG", "HUE_PARAM_CMYKOG", "HUE_PARAM_CMYKRG"}},
    {379, 7, {"HUE_PARAM_CMYKDGB", "HUE_PARAM_CMYKDGV"}},
    {285, 5, {"HUE_PARAM_CMYKG"}},
    {331, 6, {"HUE_PARAM_CMYKOD", "HUE_PARAM_CMYKRD", "HUE_PARAM_CMYKRO"}},
    {379, 7, {"HUE_PARAM_CMYKODB", "HUE_PARAM_CMYKODV", "HUE_PARAM_CMYKRDB", "HUE_PARAM_CMYKRDV", "HUE_PARAM_CMYKROB", "HUE_PARAM_CMYKROV"}},
    {425, 8, {"HUE_PARAM_CMYKODBG", "HUE_PARAM_CMYKODVG", "HUE_PARAM_CMYKRDBG", "HUE_PARAM_CMYKRDVG", "HUE_PARAM_CMYKROBG", "HUE_PARAM_CMYKROVG"}},
    {427, 8, {"HUE_PARAM_CMYKODBV", "HUE_PARAM_CMYKRDBV", "HUE_PARAM_CMYKROBV"}},
    {377, 7, {"HUE_PARAM_CMYKODG", "HUE_PARAM_CMYKRDG", "HUE_PARAM_CMYKROG"}},
    {379, 7, {"HUE_PARAM_CMYKOGB", "HUE_PARAM_CMYKOGV", "HUE_PARAM_CMYKRGV"}},
    {379, 7, {"HUE_PARAM_CMYKRGB"}},
    {377, 7, {"HUE_PARAM_CMYKROD"}},
    {425, 8, {"HUE_PARAM_CMYKRODB", "HUE_PARAM_CMYKRODV"}},
    {423, 8, {"HUE_PARAM_CMYKRODG"}},
};

const VarnelPreset* Find(const std::string& name)
{
    for (int i = 0; i < VarnelPresetCount(); ++i) {
        if (name == VarnelPresetTable()[i].name)
            return &VarnelPresetTable()[i];
    }
    return nullptr;
}

int CountOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

TEST(VarnelPresetsTest, TableOrderAndCount)
{
    ASSERT_EQ(VarnelPresetCount(), 57);
    const VarnelPreset* table = VarnelPresetTable();
    EXPECT_STREQ(table[0].name, "HUE_PARAM_CMYK");
    EXPECT_STREQ(table[56].name, "HUE_PARAM_CMYKVG");
    for (int i = 1; i < 57; ++i)
        EXPECT_LT(std::strcmp(table[i - 1].name, table[i].name), 0) << table[i].name;
}

TEST(VarnelPresetsTest, TextsLengthsChannelsAndSharing)
{
    std::set<std::string> seenNames;
    std::set<const char*> distinctTexts;
    for (const SharedText& shared : kSharedTexts) {
        const VarnelPreset* first = Find(shared.names.front());
        ASSERT_NE(first, nullptr) << shared.names.front();
        const std::string text = first->text;
        EXPECT_EQ(static_cast<long>(text.size()), shared.length) << first->name;
        EXPECT_NE(text.find("CHANNELS=" + std::to_string(shared.channels) + ";"), std::string::npos);
        // One HUEMASKnn per colour channel plus the switched-off light mask.
        EXPECT_EQ(CountOf(text, "HUEMASK"), shared.channels) << first->name;
        EXPECT_EQ(CountOf(text, "CHANNEL_CONTACT"), shared.channels - 1) << first->name;
        EXPECT_EQ(text.rfind("#_MAXIMUMINK=300;", 0), 0u);
        EXPECT_EQ(text.substr(text.size() - 25), "*HUEMASK_LIGHT00=6,50,66;");
        EXPECT_TRUE(distinctTexts.insert(first->text).second) << "texts must differ";
        for (const std::string& name : shared.names) {
            const VarnelPreset* preset = Find(name);
            ASSERT_NE(preset, nullptr) << name;
            EXPECT_STREQ(preset->text, first->text) << name;
            EXPECT_TRUE(seenNames.insert(name).second) << name;
        }
    }
    EXPECT_EQ(distinctTexts.size(), 22u);
    EXPECT_EQ(seenNames.size(), 57u);
}

int Collect(char* name, void* user)
{
    static_cast<std::vector<std::string>*>(user)->push_back(name);
    name[0] = 'X';  // a careless callback must not disturb the table
    return 0;       // asks to stop; enumeration goes on regardless
}

TEST(VarnelPresetsTest, Enumeration)
{
    EXPECT_FALSE(VarnelEnumPresets(nullptr, nullptr));
    std::vector<std::string> names;
    ASSERT_TRUE(VarnelEnumPresets(Collect, &names));
    ASSERT_EQ(names.size(), 57u);
    for (int i = 0; i < 57; ++i)
        EXPECT_EQ(names[i], VarnelPresetTable()[i].name);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 57u);
    EXPECT_STREQ(VarnelPresetTable()[0].name, "HUE_PARAM_CMYK");
}

TEST(VarnelPresetsTest, SizeQuery)
{
    long size = -1;
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYK", &size, nullptr));
    EXPECT_EQ(size, 239);
    EXPECT_STREQ(Find("HUE_PARAM_CMYK")->text,
                 "#_MAXIMUMINK=300;CHANNELS=4;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
                 "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
                 "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;"
                 "BLACKMASK=3;*HUEMASK_LIGHT00=6,50,66;");
    long sizeB = 0, sizeV = 0;
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYKB", &sizeB, nullptr));
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYKV", &sizeV, nullptr));
    EXPECT_EQ(sizeB, 287);
    EXPECT_EQ(sizeV, 287);
}

// Copies with a given *size into a buffer filled with a canary byte and
// reports how many leading bytes changed.
struct CopyCase {
    long size;
    long expectedCopied;  // bytes taken from the text (its zero included)
};

TEST(VarnelPresetsTest, CopyProtocol)
{
    const std::string text = Find("HUE_PARAM_CMYK")->text;
    const long len = static_cast<long>(text.size());
    const CopyCase cases[] = {
        {len, len}, {len + 1, len + 1}, {len + 50, len + 1},
        {len - 1, 0}, {10, 0}, {0, 0}, {-5, 0},
    };
    for (const CopyCase& tc : cases) {
        std::vector<char> buffer(len + 100, '\x5A');
        long size = tc.size;
        ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYK", &size, buffer.data())) << tc.size;
        EXPECT_EQ(size, tc.size);
        for (long i = 0; i < static_cast<long>(buffer.size()); ++i) {
            const char expected = (i < tc.expectedCopied) ? (i < len ? text[i] : '\0') : '\x5A';
            ASSERT_EQ(buffer[i], expected) << "size " << tc.size << " byte " << i;
        }
    }
}

TEST(VarnelPresetsTest, LibraryLoadingProtocol)
{
    long size = 0;
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYKROD", &size, nullptr));
    std::vector<char> buffer(size + 1, '\0');
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYKROD", &size, buffer.data()));
    EXPECT_EQ(std::strlen(buffer.data()), 377u);
    EXPECT_STREQ(buffer.data(), Find("HUE_PARAM_CMYKROD")->text);
}

TEST(VarnelPresetsTest, NamesMatchExactly)
{
    const char* rejected[] = {"hue_param_cmyk", "HUE_PARAM_CMYK ", "HUE_PARAM", "",
                              "HUE_PARAM_CMYKX", "/tmp/HUE_PARAM_CMYK"};
    for (const char* name : rejected) {
        long size = 1234;
        char buffer[4] = {'a', 'b', 'c', 'd'};
        EXPECT_FALSE(VarnelGetPresetText(name, &size, nullptr)) << name;
        EXPECT_FALSE(VarnelGetPresetText(name, &size, buffer)) << name;
        EXPECT_EQ(size, 1234);
        EXPECT_EQ(buffer[0], 'a');
    }
    long size = 0;
    EXPECT_FALSE(VarnelGetPresetText(nullptr, &size, nullptr));
    EXPECT_FALSE(VarnelGetPresetText("HUE_PARAM_CMYK", nullptr, nullptr));
}

}  // namespace
