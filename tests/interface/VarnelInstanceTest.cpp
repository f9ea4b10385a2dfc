// The two instance classes and the C functions: state rules, loading,
// the cache from name to look-up.
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelManager.h"
#include "varnel/VarnelDll.h"
#include "varnel/varnel.h"
#include "support/LibraryTestHelpers.h"
#include "support/ReadableName.h"
#include "support/ScratchFolder.h"

#include <Poco/File.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct LoadCase {
    const char* name;
    const char* text;
    long result;
    long channels;
};

class DllLoading : public ::testing::TestWithParam<LoadCase> {};

// Over a loaded configuration, through either interface (no name keeps
// it). Without channels nothing is written; an instance left without a
// configuration (as a fresh instance) answers 0 through the C++ class, and
// the C function refuses.
TEST_P(DllLoading, ResultAndChannels)
{
    const LoadCase& c = GetParam();
    CVarnelDll dll;
    ASSERT_EQ(0, Load(dll, "HUE_PARAM_CMYKOG"));
    EXPECT_EQ(c.result, Load(dll, c.name, c.text));
    EXPECT_EQ(c.channels, dll.GetChannels());
    VarnelHandle handle = kal_InitVarnel();
    kal_SetPreferences(handle, Text("HUE_PARAM_CMYKOG"), nullptr);
    EXPECT_EQ(0, kal_SetPreferences(handle, Text(c.name), Text(c.text)));
    EXPECT_EQ(c.channels, kal_GetChannels(handle));
    if (c.channels == 0) {
        unsigned char in8[3] = {10, 20, 30};
        unsigned short in16[3] = {1000, 2000, 3000};
        std::vector<unsigned char> out8(64, 0xA5);
        std::vector<unsigned short> out16(64, 0xA5A5);
        EXPECT_EQ(0, dll.RGB8ToMultichannel(in8, out8.data(), 1));
        EXPECT_EQ(c.result ? VARNEL_STATUS_FAILED : 0, kal_RGB2Multichannel(handle, in16, out16.data(), 1));
        EXPECT_EQ(std::vector<unsigned char>(64, 0xA5), out8);
        EXPECT_EQ(std::vector<unsigned short>(64, 0xA5A5), out16);
    }
    kal_EndVarnel(handle);
}

// The engine computes at most 16 channels; CHANNELS=-1 reads as 4294967295.
INSTANTIATE_TEST_SUITE_P(
    Cases, DllLoading,
    ::testing::Values(LoadCase{"HUE_PARAM_CMYK", nullptr, 0, 4},
                      LoadCase{nullptr, nullptr, VARNEL_STATUS_FAILED, 6},
                      LoadCase{"HUE_PARAM_CMYK", "CHANNELS=5", 0, 5},
                      LoadCase{"HUE_PARAM_CMYK", "CHANNELS=16", 0, 16},
                      LoadCase{"HUE_PARAM_CMYK", "CHANNELS=17", VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK", "CHANNELS=-1", VARNEL_STATUS_FAILED, 0},
                      LoadCase{"/some/folder/HUE_PARAM_CMYKRODG", nullptr, 0, 8},
                      LoadCase{"HUE_PARAM_NOPE", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"hue_param_cmyk", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK.txt", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK.xml", nullptr, 0, 0},
                      LoadCase{"/no/such/file.cfg", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK", "COLORWITHBLACK=", VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK", "HUEMASK_LIGHT00=6,50,66", VARNEL_STATUS_FAILED, 0}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        return ReadableName(std::to_string(info.index) + " " + (info.param.name ? info.param.name : "null") + " " +
                            (info.param.text ? info.param.text : ""));
    });

TEST(Instance, ConfigurationFileWithExtraText)
{
    ScratchFolder folder;
    const std::string path = folder.Path() + "mine.CFG";
    std::ofstream(path) << "#_K=3;\r\nCHANNELS=5;BLACKMASK=_K;HUEMASK00=60,120,240,300;";
    CVarnelDll dll;
    ASSERT_EQ(0, Load(dll, path.c_str(), "CHANNELS=7;"));
    EXPECT_EQ(7, dll.GetChannels());
    // Channel 0 has a mask (no ink for white); channels no mask writes stay
    // at full ink.
    unsigned char out[7];
    ASSERT_EQ(0, dll.RGB2Multichannel(255, 255, 255, out));
    const unsigned char expected[7] = {255, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, out, 7));
}

// By default an instance's folder is the user's own inside the system's
// temporary folder.
TEST(Instance, TemporaryFolderRules)
{
    CVarnelDll dll;
    char folder[300];
    ASSERT_TRUE(dll.GetTemporaryFolder(folder, sizeof folder));
    const std::string own = "/varnel-" + std::to_string(geteuid()) + "/", text = folder;
    EXPECT_EQ(own, text.substr(text.size() - std::min(text.size(), own.size())));

    dll.SetTemporaryFolder(Text("/x/y/"));
    dll.SetTemporaryFolder(nullptr);
    EXPECT_FALSE(dll.GetTemporaryFolder(folder, 5));
    EXPECT_TRUE(dll.GetTemporaryFolder(folder, 6));
    EXPECT_STREQ("/x/y/", folder);

    CVarnelManager manager;
    ASSERT_TRUE(manager.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_EQ('/', folder[std::strlen(folder) - 1]);
    // Its two text fields start empty; each is copied only where asked.
    char first[100] = "x", second[1024] = "x";
    EXPECT_EQ(0, manager.GetTexts(first, nullptr));
    EXPECT_EQ(0, manager.GetTexts(nullptr, second));
    EXPECT_STREQ("", first);
    EXPECT_STREQ("", second);
}

TEST(Instance, CopiesStartEmptyAndKeepTheSettings)
{
    CVarnelDll dll;
    dll.SetTemporaryFolder(Text("/a/"));
    dll.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, Load(dll, "HUE_PARAM_CMYK"));
    CVarnelDll copy(dll);
    EXPECT_EQ(0, copy.GetChannels());
    char folder[16];
    ASSERT_TRUE(copy.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_STREQ("/a/", folder);
    CVarnelDll assigned;
    ASSERT_EQ(0, Load(assigned, "HUE_PARAM_CMYKOG"));
    assigned = dll;
    EXPECT_EQ(0, assigned.GetChannels());
    EXPECT_EQ(4, dll.GetChannels());
}

// The key is the name, followed by "+" and the text when there is one; a
// name that does not fit is not written at all.
TEST(Instance, CacheFileNames)
{
    const struct {
        const char* name;
        const char* text;
        long size;
        std::string expected;  // empty: false, and nothing written
    } cases[] = {
        {"HUE_PARAM_CMYK", nullptr, 64, CacheNameOf("HUE_PARAM_CMYK")},
        {"HUE_PARAM_CMYK", "", 64, CacheNameOf("HUE_PARAM_CMYK+")},
        {"A", "MAXINK=250", 64, CacheNameOf("A+MAXINK=250")},
        // CRC-32 of "123456789" is 0xCBF43926: negative as a signed number.
        {"123456789", nullptr, 15, "-873187034.dat"},
        {"123456789", nullptr, 14, ""},
        {"A", nullptr, 0, ""},
        {"A", "", LONG_MIN, ""},
        {nullptr, nullptr, 64, ""},
    };
    for (const auto& c : cases) {
        char out[64] = "keep";
        EXPECT_EQ(!c.expected.empty(), CVarnelDll::GetCacheFileName(Text(c.name), Text(c.text), out, c.size));
        EXPECT_EQ(c.expected.empty() ? "keep" : c.expected, std::string(out)) << c.size;
    }
    EXPECT_FALSE(CVarnelDll::GetCacheFileName(Text("A"), nullptr, nullptr, 64));
    char out[64];
    CVarnelManager manager;
    ASSERT_TRUE(manager.GetCacheFileName(Text("123456789"), nullptr, out, sizeof out));
    EXPECT_STREQ("-873187034.dat", out);
}

// Entry k holds the colour r = k & 255, g = (k >> 12) & 255, b = the high
// four bits (k >> 20) and the low four bits (k >> 8) & 15; a stride the
// table cannot hold gives no look-up at all.
TEST(Cache, EntryOrderOfTheColourTable)
{
    const struct {
        uint32_t entry;
        uint8_t r, g, b;
    } cases[] = {{256, 0, 0, 1}, {4096, 0, 1, 0}, {1048576, 0, 0, 16}, {16777215, 255, 255, 255}};
    auto* cache = new CVarnelCache();
    cache->Allocate(kCacheColours);
    CVarnelCacheContainer container;
    container.SetStride(1);
    container.SetCache(cache);
    for (const auto& tc : cases) {
        uint8_t r, g, b;
        CacheColourOfEntry(tc.entry, r, g, b);
        EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{tc.r, tc.g, tc.b})) << tc.entry;
        EXPECT_EQ(cache->GetData() + tc.entry, container.Lookup(tc.r, tc.g, tc.b)) << tc.entry;
    }
    container.SetStride(2);
    EXPECT_EQ(nullptr, container.Lookup(0, 0, 0));
    // Detach forgets without freeing: the owner frees the table and the cache.
    uint8_t* table = cache->GetData();
    EXPECT_EQ(0, cache->Detach());
    EXPECT_EQ(nullptr, cache->GetData());
    EXPECT_EQ(0u, cache->GetSize());
    std::free(table);
    EXPECT_EQ(0, container.Detach());
    EXPECT_EQ(0u, container.GetStride());
    EXPECT_EQ(nullptr, container.Lookup(0, 0, 0));
    delete cache;
}

TEST(Cache, ManagerKeysByTheArgumentAsPassedAndCreatesItsFolder)
{
    ScratchFolder folder;
    const std::string missing = folder.Path() + "not/yet/";
    CVarnelManager manager;
    manager.SetTemporaryFolder(const_cast<char*>(missing.c_str()));
    manager.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, manager.SetPreferences(Text("dir/HUE_PARAM_CMYK"), Text("MAXINK=300"), nullptr, 0));
    EXPECT_TRUE(Poco::File(missing + CacheNameOf("dir/HUE_PARAM_CMYK+MAXINK=300")).exists());
    ASSERT_NE(nullptr, manager.GetEngine()->GetCacheContainer());
    // Clearing the flag keeps the cache until the next load.
    manager.SetFlags(0);
    EXPECT_NE(nullptr, manager.GetEngine()->GetCacheContainer());
    ASSERT_EQ(0, manager.SetPreferences(Text("dir/HUE_PARAM_CMYK"), nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, manager.GetEngine()->GetCacheContainer());
}

} // namespace
