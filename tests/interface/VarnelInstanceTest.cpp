// The two instance classes and the C functions: state rules, loading,
// the cache from name to look-up.
#include "config/Varnel.h"
#include "engine/VarnelCache.h"
#include "engine/VarnelIF.h"
#include "interface/VarnelManager.h"
#include "varnel/VarnelDll.h"
#include "varnel/varnel.h"
#include "support/LibraryTestHelpers.h"
#include "support/ScratchFolder.h"

#include <Poco/File.h>

#include "support/ReadableName.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

long LoadDll(CVarnelDll& dll, const char* name, const char* text = nullptr,
             VarnelProgressProc progress = nullptr)
{
    return dll.SetPreferences(Text(name), Text(text), nullptr, 0, 0, progress, 0);
}

// Nothing loaded: no channels; the C++ class answers 0 and writes nothing,
// the C function refuses (null arguments: NullAndZeroArguments).
TEST(Instance, FreshInstancesAreEmpty)
{
    CVarnelDll dll;
    EXPECT_EQ(0, dll.GetChannels());
    unsigned char in[3] = {1, 2, 3}, out[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    EXPECT_EQ(VARNEL_STATUS_OK, dll.RGB8ToMultichannel(in, out, 1));
    EXPECT_EQ(7, out[0]);

    VarnelHandle handle = kal_InitVarnel();
    ASSERT_NE(nullptr, handle);
    unsigned short in16[3] = {1, 2, 3}, out16[8] = {};
    EXPECT_EQ(VARNEL_STATUS_FAILED, kal_RGB2Multichannel(handle, in16, out16, 1));
    EXPECT_EQ(0, kal_GetChannels(handle));
    kal_EndVarnel(handle);
}

struct LoadCase {
    const char* name;
    const char* text;
    long result;
    long channels;
};

class DllLoading : public ::testing::TestWithParam<LoadCase> {};

TEST_P(DllLoading, ResultAndChannels)
{
    const LoadCase& c = GetParam();
    CVarnelDll dll;
    ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYKOG"));
    EXPECT_EQ(c.result, LoadDll(dll, c.name, c.text));
    EXPECT_EQ(c.channels, dll.GetChannels());

    VarnelHandle handle = kal_InitVarnel();
    EXPECT_EQ(0, kal_SetPreferences(handle, Text(c.name), Text(c.text)));
    EXPECT_EQ(c.channels, kal_GetChannels(handle));
    kal_EndVarnel(handle);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DllLoading,
    ::testing::Values(LoadCase{"HUE_PARAM_CMYK", nullptr, 0, 4},
                      LoadCase{"HUE_PARAM_CMYKOG", nullptr, 0, 6},
                      LoadCase{"HUE_PARAM_CMYK", "CHANNELS=5", 0, 5},
                      LoadCase{"/some/folder/HUE_PARAM_CMYKRODG", nullptr, 0, 8},
                      LoadCase{"HUE_PARAM_NOPE", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"hue_param_cmyk", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK.txt", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK.xml", nullptr, 0, 0},
                      LoadCase{"/no/such/file.cfg", nullptr, VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK", "COLORWITHBLACK=", VARNEL_STATUS_FAILED, 0},
                      LoadCase{"HUE_PARAM_CMYK", "HUEMASK_LIGHT00=6,50,66", VARNEL_STATUS_FAILED, 0}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        return ReadableName(std::to_string(info.index) + " " + info.param.name + " " +
                            (info.param.text ? info.param.text : ""));
    });

TEST(Instance, NullNameKeepsTheLoadedConfiguration)
{
    CVarnelDll dll;
    ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYKOG"));
    EXPECT_EQ(VARNEL_STATUS_FAILED, dll.SetPreferences(nullptr, nullptr, nullptr, 0, 0, nullptr, 0));
    EXPECT_EQ(6, dll.GetChannels());
    CVarnelManager manager;
    ASSERT_EQ(0, manager.SetPreferences(Text("HUE_PARAM_CMYK"), nullptr, nullptr, 0));
    EXPECT_EQ(VARNEL_STATUS_FAILED, manager.SetPreferences(nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(4, manager.GetChannels());
}

TEST(Instance, ConfigurationFileWithExtraText)
{
    ScratchFolder folder;
    const std::string path = folder.Path() + "mine.CFG";
    std::ofstream(path) << "#_K=3;\r\nCHANNELS=5;BLACKMASK=_K;HUEMASK00=60,120,240,300;";
    CVarnelDll dll;
    ASSERT_EQ(0, LoadDll(dll, path.c_str(), "CHANNELS=7;"));
    EXPECT_EQ(7, dll.GetChannels());
    // Channel 0 has a mask (no ink for white); channels no mask writes stay
    // at full ink.
    unsigned char out[7];
    ASSERT_EQ(0, dll.RGB2Multichannel(255, 255, 255, out));
    const unsigned char expected[7] = {255, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, out, 7));
}

TEST(Instance, OneColourEqualsTheBufferConversion)
{
    CVarnelDll dll;
    ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYKRODG"));
    unsigned char single[9], buffer[8];
    std::memset(single, 0xEE, sizeof single);
    unsigned char pixel[3] = {200, 40, 90};
    ASSERT_EQ(0, dll.RGB2Multichannel(200, 40, 90, single));
    EXPECT_EQ(0xEE, single[8]);
    CVarnelDll other;
    ASSERT_EQ(0, LoadDll(other, "HUE_PARAM_CMYKRODG"));
    ASSERT_EQ(0, other.RGB8ToMultichannel(pixel, buffer, 1));
    EXPECT_EQ(0, std::memcmp(single, buffer, 8));
}

TEST(Instance, TemporaryFolderRules)
{
    CVarnelDll dll;
    char folder[300];
    ASSERT_TRUE(dll.GetTemporaryFolder(folder, sizeof folder));
    ASSERT_GT(std::strlen(folder), 0u);
    EXPECT_EQ('/', folder[std::strlen(folder) - 1]);

    dll.SetTemporaryFolder(Text("/x/y/"));
    EXPECT_FALSE(dll.GetTemporaryFolder(folder, 5));
    EXPECT_TRUE(dll.GetTemporaryFolder(folder, 6));
    EXPECT_STREQ("/x/y/", folder);
    const std::string tooLong(260, 'a');
    dll.SetTemporaryFolder(Text(tooLong.c_str()));
    dll.SetTemporaryFolder(nullptr);
    ASSERT_TRUE(dll.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_STREQ("/x/y/", folder);
    const std::string longest(259, 'b');
    dll.SetTemporaryFolder(Text(longest.c_str()));
    ASSERT_TRUE(dll.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_EQ(longest, folder);

    CVarnelManager manager;
    ASSERT_TRUE(manager.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_EQ('/', folder[std::strlen(folder) - 1]);
}

TEST(Instance, CopiesStartEmptyAndKeepTheSettings)
{
    CVarnelDll dll;
    dll.SetTemporaryFolder(Text("/a/"));
    dll.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYK"));
    CVarnelDll copy(dll);
    EXPECT_EQ(0, copy.GetChannels());
    char folder[16];
    ASSERT_TRUE(copy.GetTemporaryFolder(folder, sizeof folder));
    EXPECT_STREQ("/a/", folder);
    CVarnelDll assigned;
    ASSERT_EQ(0, LoadDll(assigned, "HUE_PARAM_CMYKOG"));
    assigned = dll;
    EXPECT_EQ(0, assigned.GetChannels());
    EXPECT_EQ(4, dll.GetChannels());
}

TEST(Instance, CacheFileNames)
{
    char out[64];
    ASSERT_TRUE(CVarnelDll::GetCacheFileName(Text("HUE_PARAM_CMYK"), nullptr, out, sizeof out));
    EXPECT_EQ(CacheNameOf("HUE_PARAM_CMYK"), out);
    const long length = long(std::strlen(out));
    char untouched[64] = "keep";
    EXPECT_FALSE(CVarnelDll::GetCacheFileName(Text("HUE_PARAM_CMYK"), nullptr, untouched, length));
    EXPECT_STREQ("keep", untouched);
    EXPECT_TRUE(CVarnelDll::GetCacheFileName(Text("HUE_PARAM_CMYK"), nullptr, untouched, length + 1));

    ASSERT_TRUE(CVarnelDll::GetCacheFileName(Text("HUE_PARAM_CMYK"), Text(""), out, sizeof out));
    EXPECT_EQ(CacheNameOf("HUE_PARAM_CMYK+"), out);
    ASSERT_TRUE(CVarnelDll::GetCacheFileName(Text("A"), Text("MAXINK=250"), out, sizeof out));
    EXPECT_EQ(CacheNameOf("A+MAXINK=250"), out);
    // CRC-32 of "123456789" is 0xCBF43926: negative as a signed number.
    ASSERT_TRUE(CVarnelDll::GetCacheFileName(Text("123456789"), nullptr, out, sizeof out));
    EXPECT_STREQ("-873187034.dat", out);
    CVarnelManager manager;
    ASSERT_TRUE(manager.GetCacheFileName(Text("123456789"), nullptr, out, sizeof out));
    EXPECT_STREQ("-873187034.dat", out);
}

TEST(Cache, EntryOrderOfTheColourTable)
{
    uint8_t r, g, b;
    CacheColourOfEntry(256, r, g, b);
    EXPECT_EQ(0, r); EXPECT_EQ(0, g); EXPECT_EQ(1, b);
    CacheColourOfEntry(4096, r, g, b);
    EXPECT_EQ(0, r); EXPECT_EQ(1, g); EXPECT_EQ(0, b);
    CacheColourOfEntry(1048576, r, g, b);
    EXPECT_EQ(0, r); EXPECT_EQ(0, g); EXPECT_EQ(16, b);
    CacheColourOfEntry(16777215, r, g, b);
    EXPECT_EQ(255, r); EXPECT_EQ(255, g); EXPECT_EQ(255, b);

    auto* cache = new CVarnelCache();
    cache->Allocate(kCacheColours);
    CVarnelCacheContainer container;
    container.SetStride(1);
    container.SetCache(cache);
    const uint8_t* base = cache->GetData();
    EXPECT_EQ(base, container.Lookup(0, 0, 0));
    EXPECT_EQ(base + 16777215, container.Lookup(255, 255, 255));
    EXPECT_EQ(base + 1048576, container.Lookup(0, 0, 16));
    EXPECT_EQ(base + 256, container.Lookup(0, 0, 1));
    // A stride the table cannot hold: no look-up leaves it.
    container.SetStride(2);
    EXPECT_EQ(nullptr, container.Lookup(0, 0, 0));
}

// Builds a cache through the instance (on worker threads, or on the calling
// thread alone), then checks the file, a second load that reads it, and
// that every 8-bit colour converts to the table's bytes.
struct RoundTripCase {
    const char* preset;
    const char* text;
    long flags;
};

class CacheRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CacheRoundTrip, BuildLoadAndEveryColour)
{
    static int calls;
    calls = 0;
    auto progress = [](double, long long) { ++calls; return 0; };
    ScratchFolder folder;
    const char* preset = GetParam().preset;
    const char* text = GetParam().text;
    CVarnelDll built;
    built.SetTemporaryFolder(folder.CPath());
    built.SetFlags(GetParam().flags);
    ASSERT_EQ(0, LoadDll(built, preset, text, progress));
    // Every percentage once (on one thread, once more at each chunk
    // boundary).
    EXPECT_GE(calls, 100);
    const long channels = built.GetChannels();
    const std::string path = folder.Path() + CacheNameOf(text ? std::string(preset) + "+" + text : preset);
    ASSERT_TRUE(Poco::File(path).exists());
    EXPECT_EQ(uint64_t(channels) * kCacheColours, Poco::File(path).getSize());

    calls = 0;
    CVarnelDll loaded;
    loaded.SetTemporaryFolder(folder.CPath());
    loaded.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, LoadDll(loaded, preset, text, progress));
    EXPECT_EQ(0, calls);

    std::vector<char> colours(3 * size_t(kCacheColours));
    for (uint32_t k = 0; k < kCacheColours; ++k) {
        uint8_t r, g, b;
        CacheColourOfEntry(k, r, g, b);
        colours[3 * size_t(k)] = char(r);
        colours[3 * size_t(k) + 1] = char(g);
        colours[3 * size_t(k) + 2] = char(b);
    }
    std::vector<unsigned char> direct(size_t(channels) * kCacheColours);
    std::vector<unsigned char> cached(direct.size());
    CVarnelDll plain;
    ASSERT_EQ(0, LoadDll(plain, preset, text));
    ASSERT_EQ(0, plain.RGB8ToMultichannel(colours.data(), direct.data(), kCacheColours));
    ASSERT_EQ(0, loaded.RGB8ToMultichannel(colours.data(), cached.data(), kCacheColours));
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> onDisk(direct.size());
    file.read(reinterpret_cast<char*>(onDisk.data()), std::streamsize(onDisk.size()));
    EXPECT_TRUE(direct == onDisk);
    EXPECT_TRUE(direct == cached);
}

// The third configuration uses every refinement stage.
INSTANTIATE_TEST_SUITE_P(
    Configurations, CacheRoundTrip,
    ::testing::Values(RoundTripCase{"HUE_PARAM_CMYK", nullptr, VARNEL_FLAG_CACHE},
                      RoundTripCase{"HUE_PARAM_CMYKRODG", nullptr, VARNEL_FLAG_CACHE | VARNEL_FLAG_NO_THREADS},
                      RoundTripCase{"HUE_PARAM_CMYKRODG",
                                    "HUEMASK_LIGHT00=6,50,66,Y;SECOND_COLOR01=5,50,25,Y;"
                                    "GRAY_SUBST=40,10,10,10,Y,25*3;COLOR_SUBST04=30,0,20,10,Y;"
                                    "COLOR_ADD02=40,10,20,Y;BLACK_ADD=20,5,5,5,Y;MAXINK=250;",
                                    VARNEL_FLAG_CACHE}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) {
        return ReadableName(std::to_string(info.index) + " " + info.param.preset);
    });

TEST(Cache, WrongSizedFilesAreRebuiltAndUnwritableFoldersWorkWithoutCache)
{
    ScratchFolder folder;
    const std::string path = folder.Path() + CacheNameOf("HUE_PARAM_CMYK");
    for (std::size_t size : {std::size_t(0), std::size_t(1000), std::size_t(kCacheColours) * 6}) {
        {
            std::ofstream truncated(path, std::ios::binary | std::ios::trunc);
            std::vector<char> junk(size, 3);
            truncated.write(junk.data(), std::streamsize(junk.size()));
        }
        CVarnelDll dll;
        dll.SetTemporaryFolder(folder.CPath());
        dll.SetFlags(VARNEL_FLAG_CACHE);
        ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYK"));
        EXPECT_EQ(uint64_t(4) * kCacheColours, Poco::File(path).getSize());
        unsigned char out[4];
        ASSERT_EQ(0, dll.RGB2Multichannel(255, 255, 255, out));
        EXPECT_EQ(255, out[0]);
    }

    // A folder that cannot be created: the load succeeds without a cache.
    const std::string blocker = folder.Path() + "file";
    std::ofstream(blocker) << "x";
    const std::string below = blocker + "/sub/";
    CVarnelDll dll;
    dll.SetTemporaryFolder(const_cast<char*>(below.c_str()));
    dll.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, LoadDll(dll, "HUE_PARAM_CMYK", "MAXINK=250"));
    EXPECT_EQ(4, dll.GetChannels());
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

namespace {

// Every preset loads and separates through the C functions: its channel
// count is the one its text states, white is no ink everywhere, black is
// full black ink.
TEST(Instance, EveryPresetSeparatesThroughTheCInterface)
{
    struct Collected {
        std::vector<std::string> names;
    } collected;
    CVarnelDll dll;
    ASSERT_TRUE(dll.EnumCfgs([](char* name, void* user) {
        static_cast<Collected*>(user)->names.push_back(name);
        return 0;
    }, &collected));
    ASSERT_EQ(57u, collected.names.size());
    VarnelHandle handle = kal_InitVarnel();
    for (const std::string& name : collected.names) {
        long size = 0;
        ASSERT_TRUE(dll.GetCfgByName(Text(name.c_str()), &size, nullptr));
        std::vector<char> text(size_t(size) + 1, '\0');
        ASSERT_TRUE(dll.GetCfgByName(Text(name.c_str()), &size, text.data()));
        const long stated = std::stol(std::strstr(text.data(), "CHANNELS=") + 9);
        kal_SetPreferences(handle, Text(name.c_str()), nullptr);
        ASSERT_EQ(stated, kal_GetChannels(handle)) << name;
        unsigned short rgb[6] = {65535, 65535, 65535, 0, 0, 0};
        std::vector<unsigned short> out(size_t(2 * stated), 1);
        ASSERT_EQ(0, kal_RGB2Multichannel(handle, rgb, out.data(), 2)) << name;
        for (long j = 0; j < stated; ++j) {
            EXPECT_EQ(65535, out[size_t(j)]) << name;
            EXPECT_EQ(j == 3 ? 0 : 65535, out[size_t(stated + j)]) << name;
        }
    }
    kal_EndVarnel(handle);
}

} // namespace
