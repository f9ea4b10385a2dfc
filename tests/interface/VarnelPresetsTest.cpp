#include "interface/VarnelPresets.h"
#include "varnel/separation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

int CountOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

// Names in ascending byte order; each text starts with the maximum-ink
// variable, ends with the switched-off light mask, and has as many channels
// as its name has letters after HUE_PARAM_: one hue mask per colour channel
// plus the light mask, one contact per colour channel. 22 distinct texts.
// The separation interface serves the same table.
TEST(VarnelPresetsTest, TableOrderAndTexts)
{
    ASSERT_EQ(VarnelPresetCount(), 57);
    const VarnelPreset* table = VarnelPresetTable();
    std::set<std::string> texts;
    for (int i = 0; i < 57; ++i) {
        const std::string name = table[i].name, text = table[i].text;
        if (i > 0) {
            EXPECT_LT(std::strcmp(table[i - 1].name, table[i].name), 0) << name;
        }
        const int channels = int(name.size()) - 10;
        EXPECT_NE(text.find(";CHANNELS=" + std::to_string(channels) + ";"), std::string::npos) << name;
        EXPECT_EQ(CountOf(text, "HUEMASK"), channels) << name;
        EXPECT_EQ(CountOf(text, "CHANNEL_CONTACT"), channels - 1) << name;
        EXPECT_EQ(text.rfind("#_MAXIMUMINK=300;", 0), 0u) << name;
        EXPECT_EQ(text.substr(text.size() - 25), "*HUEMASK_LIGHT00=6,50,66;") << name;
        texts.insert(text);
        EXPECT_EQ(varnel_preset_name(size_t(i)), table[i].name);
        EXPECT_EQ(varnel_preset_text(table[i].name), table[i].text);
    }
    EXPECT_EQ(texts.size(), 22u);
    EXPECT_EQ(varnel_preset_name(57), nullptr);
}

int Collect(char* name, void* user)
{
    static_cast<std::vector<std::string>*>(user)->push_back(name);
    name[0] = 'X';  // a careless callback must not disturb the table
    return 0;       // asks to stop; enumeration goes on regardless
}

// In table order, each name once, whatever the callback does.
TEST(VarnelPresetsTest, Enumeration)
{
    EXPECT_FALSE(VarnelEnumPresets(nullptr, nullptr));
    std::vector<std::string> names;
    ASSERT_TRUE(VarnelEnumPresets(Collect, &names));
    ASSERT_EQ(names.size(), 57u);
    for (int i = 0; i < 57; ++i)
        EXPECT_EQ(names[i], VarnelPresetTable()[i].name);
    EXPECT_EQ(names[0], "HUE_PARAM_CMYK");
}

// The size query gives the length without the zero; a copy takes *size
// bytes (the zero at most), nothing when *size is below the length.
TEST(VarnelPresetsTest, SizeQueryAndCopy)
{
    const std::string text = "#_MAXIMUMINK=300;CHANNELS=4;COLORWITHBLACK=Y;MAXINK=_MAXIMUMINK;"
                             "HUEMASK00=60,120,240,300;CHANNEL_CONTACT00=1,2;HUEMASK01=180,240,0,60;"
                             "CHANNEL_CONTACT01=0,2;HUEMASK02=300,0,120,180;CHANNEL_CONTACT02=0,1;"
                             "BLACKMASK=3;*HUEMASK_LIGHT00=6,50,66;";
    const long len = static_cast<long>(text.size());
    long size = -1;
    ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYK", &size, nullptr));
    EXPECT_EQ(size, len);
    const struct {
        long size;
        long copied;  // bytes taken from the text, its zero included
    } cases[] = {{len, len}, {len + 1, len + 1}, {len + 50, len + 1}, {len - 1, 0}, {0, 0}, {-5, 0}};
    for (const auto& tc : cases) {
        std::vector<char> buffer(len + 100, '\x5A');
        size = tc.size;
        ASSERT_TRUE(VarnelGetPresetText("HUE_PARAM_CMYK", &size, buffer.data())) << tc.size;
        EXPECT_EQ(size, tc.size);
        std::string expected = (text + '\0').substr(0, size_t(tc.copied));
        expected.resize(buffer.size(), '\x5A');
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected) << tc.size;
    }
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
        EXPECT_EQ(varnel_preset_text(name), nullptr) << name;
        EXPECT_EQ(size, 1234);
        EXPECT_EQ(buffer[0], 'a');
    }
    long size = 0;
    EXPECT_FALSE(VarnelGetPresetText(nullptr, &size, nullptr));
    EXPECT_EQ(varnel_preset_text(nullptr), nullptr);
    EXPECT_FALSE(VarnelGetPresetText("HUE_PARAM_CMYK", nullptr, nullptr));
}

}  // namespace
