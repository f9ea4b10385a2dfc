// What a careless or unlucky host can do to an instance: null and zero
// arguments to every exported call, hostile names and files, overlapping
// buffers, and cache files and folders that are damaged or unsafe.
#include "engine/VarnelCache.h"
#include "interface/VarnelLoader.h"
#include "varnel/VarnelDll.h"
#include "varnel/varnel.h"
#include "support/LibraryTestHelpers.h"
#include "support/ReadableName.h"
#include "support/ScratchFolder.h"

#include <Poco/File.h>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// ---- null and zero arguments ----

struct CallCase {
    const char* name;
    std::function<long(VarnelHandle, CVarnelDll&)> call;
    long expected;
};

class NullAndZeroArguments : public ::testing::TestWithParam<CallCase> {};

// On a loaded instance of either kind (and a null handle where the call
// takes one); afterwards the instance still converts.
TEST_P(NullAndZeroArguments, AreRefusedWithoutHarm)
{
    VarnelHandle handle = kal_InitVarnel();
    ASSERT_NE(nullptr, handle);
    kal_SetPreferences(handle, Text("HUE_PARAM_CMYK"), nullptr);
    ASSERT_EQ(4, kal_GetChannels(handle));
    CVarnelDll dll;
    ASSERT_EQ(0, Load(dll, "HUE_PARAM_CMYK"));

    EXPECT_EQ(GetParam().expected, GetParam().call(handle, dll));

    unsigned short in[3] = {65535, 0, 0}, out[4] = {};
    EXPECT_EQ(0, kal_RGB2Multichannel(handle, in, out, 1));
    // One colour as a buffer of one pixel, nothing written past its inks.
    unsigned char red[3] = {255, 0, 0}, one[5] = {0, 0, 0, 0, 0xEE}, buffer[4] = {};
    EXPECT_EQ(0, dll.RGB2Multichannel(255, 0, 0, one));
    EXPECT_EQ(0, dll.RGB8ToMultichannel(red, buffer, 1));
    EXPECT_EQ(0, std::memcmp(one, buffer, 4));
    EXPECT_EQ(0xEE, one[4]);
    kal_EndVarnel(handle);
}

unsigned short g_in16[3] = {1, 2, 3};
unsigned short g_out16[8];
unsigned char g_in8[3] = {1, 2, 3};
unsigned char g_out8[8];

INSTANTIATE_TEST_SUITE_P(
    Calls, NullAndZeroArguments,
    ::testing::Values(
        CallCase{"SetPreferencesNullHandle", [](VarnelHandle, CVarnelDll&) { return kal_SetPreferences(nullptr, nullptr, nullptr); }, 0},
        CallCase{"SetFlagsZero", [](VarnelHandle h, CVarnelDll&) { return kal_SetFlags(h, 0); }, 0},
        CallCase{"SetFlagsNullHandle", [](VarnelHandle, CVarnelDll&) { return kal_SetFlags(nullptr, VARNEL_FLAG_CACHE); }, 0},
        CallCase{"ChannelsNullHandle", [](VarnelHandle, CVarnelDll&) { return kal_GetChannels(nullptr); }, 0},
        CallCase{"ConvertNullIn", [](VarnelHandle h, CVarnelDll&) { return kal_RGB2Multichannel(h, nullptr, g_out16, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"ConvertNullOut", [](VarnelHandle h, CVarnelDll&) { return kal_RGB2Multichannel(h, g_in16, nullptr, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"ConvertZeroCount", [](VarnelHandle h, CVarnelDll&) { return kal_RGB2Multichannel(h, g_in16, g_out16, 0); }, VARNEL_STATUS_FAILED},
        CallCase{"ConvertNullHandle", [](VarnelHandle, CVarnelDll&) { return kal_RGB2Multichannel(nullptr, g_in16, g_out16, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"EndNullHandle", [](VarnelHandle, CVarnelDll&) { kal_EndVarnel(nullptr); return 0L; }, 0},
        CallCase{"DllEmptyName", [](VarnelHandle, CVarnelDll&) { CVarnelDll o; return o.SetPreferences(Text(""), nullptr, nullptr, 0, 0, nullptr, 0) + 10 * o.GetChannels(); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll8NullIn", [](VarnelHandle, CVarnelDll& d) { return d.RGB8ToMultichannel(nullptr, g_out8, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll8NullOut", [](VarnelHandle, CVarnelDll& d) { return d.RGB8ToMultichannel(g_in8, nullptr, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll8ZeroCount", [](VarnelHandle, CVarnelDll& d) { return d.RGB8ToMultichannel(g_in8, g_out8, 0); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll16NullIn", [](VarnelHandle, CVarnelDll& d) { return d.RGB16ToMultichannel(nullptr, g_out16, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll16NullOut", [](VarnelHandle, CVarnelDll& d) { return d.RGB16ToMultichannel(g_in16, nullptr, 1); }, VARNEL_STATUS_FAILED},
        CallCase{"Dll16ZeroCount", [](VarnelHandle, CVarnelDll& d) { return d.RGB16ToMultichannel(g_in16, g_out16, 0); }, VARNEL_STATUS_FAILED},
        CallCase{"DllOneColourNullOut", [](VarnelHandle, CVarnelDll& d) { return d.RGB2Multichannel(0, 0, 0, nullptr); }, VARNEL_STATUS_FAILED},
        CallCase{"DllFolderNullBuffer", [](VarnelHandle, CVarnelDll& d) { return long(d.GetTemporaryFolder(nullptr, 300)); }, 0},
        CallCase{"DllFolderZeroSize", [](VarnelHandle, CVarnelDll& d) { char b[4] = "abc"; return long(d.GetTemporaryFolder(b, 0)) + long(b[0] != 'a'); }, 0},
        CallCase{"DllFolderNegativeSize", [](VarnelHandle, CVarnelDll& d) { char b[4] = "abc"; return long(d.GetTemporaryFolder(b, -5)); }, 0}),

    [](const ::testing::TestParamInfo<CallCase>& info) { return std::string(info.param.name); });

// ---- hostile names and configuration files ----

// A name that starts with the bytes of a UTF-16 mark is still a zero-ended
// 8-bit text: reading it stops at its zero byte, never looking for a 16-bit
// zero past the end of the caller's text.
TEST(HostileNames, MarkBytesInFrontOfANameStayInsideIt)
{
    for (const char* name : {"\xFF\xFE", "\xFF\xFE" "A", "\xFF\xFE" "AB", "\xFF\xFE" "x.cfg",
                             "\xFF\xFE" "HUE_PARAM_CMYK"}) {
        // An exact-size heap copy, so that the sanitizer sees any over-read.
        const size_t length = std::strlen(name);
        std::vector<char> exact(name, name + length + 1);
        CVarnelDll dll;
        EXPECT_EQ(VARNEL_STATUS_FAILED, dll.SetPreferences(exact.data(), nullptr, nullptr, 0, 0, nullptr, 0)) << length;
        EXPECT_EQ(0, dll.GetChannels());
        VarnelHandle handle = kal_InitVarnel();
        EXPECT_EQ(0, kal_SetPreferences(handle, exact.data(), nullptr));
        EXPECT_EQ(0, kal_GetChannels(handle));
        kal_EndVarnel(handle);
    }
}

// Names are bytes: a file and a cache folder stored under decomposed UTF-8
// are found as given, never under the composed form.
TEST(HostileNames, DecomposedNamesReachTheirFiles)
{
    ScratchFolder folder;
    const std::string decomposed = folder.Path() + "e\xCC\x81";
    Poco::File(decomposed + "/").createDirectories();
    std::ofstream(decomposed + "/mine.cfg") << "CHANNELS=5;HUEMASK00=60,120,240,300;";
    CVarnelDll dll;
    ASSERT_EQ(0, Load(dll, (decomposed + "/mine.cfg").c_str()));
    EXPECT_EQ(5, dll.GetChannels());
    dll.SetTemporaryFolder(Text(decomposed + "/"));
    dll.SetFlags(VARNEL_FLAG_CACHE);
    ASSERT_EQ(0, Load(dll, "HUE_PARAM_CMYK"));
    EXPECT_TRUE(std::filesystem::exists(decomposed + "/" + CacheNameOf("HUE_PARAM_CMYK")));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "\xC3\xA9"));
}

// Configuration files that are no text, or no file: a text ends at its
// first zero byte, marks of any encoding are bytes like others, size is no
// limit (one large file).
TEST(HostileFiles, LoadAsTheirTextUpToTheFirstZero)
{
    ScratchFolder folder;
    std::filesystem::create_directories(folder.Path() + "folder.cfg");
    std::string everyByte;
    for (int i = 0; i < 4096; ++i)
        everyByte += char((i * 7) & 255);
    std::string large = "CHANNELS=5;";
    large.resize(100u << 20, ';');
    struct Case {
        const char* file;
        std::string content;  // none: the file is not written
        long result;
        long channels;
    };
    for (const Case& c : {Case{"folder.cfg", "", VARNEL_STATUS_FAILED, 0}, Case{"missing.cfg", "", VARNEL_STATUS_FAILED, 0},
                          Case{"empty.cfg", "", 0, 0}, Case{"binary.cfg", "CHANNELS=6;" + everyByte, 0, 6},
                          Case{"utf16.cfg", "\xFF\xFE" "CHANNELS=6;\xFF\xFE", 0, 6},
                          Case{"utf8.cfg", "\xEF\xBB\xBF" "CHANNELS=7;", 0, 7},
                          Case{"marks.cfg", std::string(5000, '\xFF') + "CHANNELS=5;", 0, 5},
                          Case{"large.cfg", large, 0, 5}}) {
        if (c.result == 0)
            std::ofstream(folder.Path() + c.file, std::ios::binary) << c.content;
        CVarnelDll dll;
        EXPECT_EQ(c.result, Load(dll, (folder.Path() + c.file).c_str())) << c.file;
        EXPECT_EQ(c.channels, dll.GetChannels()) << c.file;
    }
}

// ---- input and output in one buffer ----

// In place, or shifted either way: the same inks as separate buffers, 8-bit
// through the C++ class and 16-bit through the C function. Runs of equal
// pixels reach the remembered pixel too.
TEST(OverlappingBuffers, GiveTheSameInksAsSeparateBuffers)
{
    CVarnelDll dll;
    ASSERT_EQ(0, Load(dll, "HUE_PARAM_CMYKOG"));
    VarnelHandle handle = kal_InitVarnel();
    kal_SetPreferences(handle, Text("HUE_PARAM_CMYKOG"), nullptr);
    const unsigned count = 3000, channels = 6;
    std::mt19937 random(3);
    std::vector<unsigned short> rgb(3 * count);
    for (unsigned short& v : rgb)
        v = static_cast<unsigned short>(random());
    std::fill(rgb.begin() + 300, rgb.begin() + 600, rgb[300]);
    auto check = [&](auto* value, auto convert, long inOffset, long outOffset) {
        using Value = std::remove_pointer_t<decltype(value)>;
        std::vector<Value> in(rgb.begin(), rgb.end()), expected(channels * count), buffer(channels * count + 16);
        ASSERT_EQ(0, convert(in.data(), expected.data()));
        std::copy(in.begin(), in.end(), buffer.begin() + inOffset);
        ASSERT_EQ(0, convert(buffer.data() + inOffset, buffer.data() + outOffset));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin() + outOffset))
            << sizeof(Value) << " " << inOffset << " " << outOffset;
    };
    for (const auto& [inOffset, outOffset] : {std::pair<long, long>{0, 0}, {7, 0}, {0, 5}}) {
        check((unsigned char*)nullptr, [&](unsigned char* in, unsigned char* out) {
            return dll.RGB8ToMultichannel(in, out, count); }, inOffset, outOffset);
        check((unsigned short*)nullptr, [&](unsigned short* in, unsigned short* out) {
            return kal_RGB2Multichannel(handle, in, out, count); }, inOffset, outOffset);
    }
    kal_EndVarnel(handle);
}

// ---- the cache ----

std::vector<double> g_percents;
int CountCalls(double percent, long long)
{
    g_percents.push_back(percent);
    return 0;
}

// An instance that caches in folder, loaded; *built tells whether the table
// was computed (the progress callback runs only then).
std::unique_ptr<CVarnelDll> LoadCached(const std::string& folder, const std::string& name, bool* built,
                                       const char* extra = nullptr, long flags = VARNEL_FLAG_CACHE)
{
    auto dll = std::make_unique<CVarnelDll>();
    dll->SetTemporaryFolder(Text(folder));
    dll->SetFlags(flags);
    g_percents.clear();
    EXPECT_EQ(0, Load(*dll, name.c_str(), extra, CountCalls)) << name;
    *built = !g_percents.empty();
    return dll;
}

// Inks of a fixed set of colours, by the instance as loaded.
std::vector<unsigned char> Separate(CVarnelDll& dll)
{
    std::vector<unsigned char> rgb;
    std::mt19937 random(5);
    for (int i = 0; i < 3 * 2000; ++i)
        rgb.push_back(static_cast<unsigned char>(random()));
    std::vector<unsigned char> out(size_t(dll.GetChannels()) * 2000);
    EXPECT_EQ(0, dll.RGB8ToMultichannel(rgb.data(), out.data(), 2000));
    return out;
}

std::vector<unsigned char> SeparateCached(const std::string& folder, const std::string& name, bool* built)
{
    return Separate(*LoadCached(folder, name, built));
}

std::vector<unsigned char> SeparatePlain(const std::string& name, const char* extra = nullptr)
{
    CVarnelDll dll;
    EXPECT_EQ(0, Load(dll, name.c_str(), extra)) << name;
    return Separate(dll);
}

// The table every configuration's cache must hold: all 8-bit colours, in
// the order the loader generates them, converted without a cache.
std::string ExpectedTable(const char* preset, const char* extra = nullptr)
{
    unsigned long size = 0;
    EXPECT_TRUE(CVarnelLoader::GenerateCacheData(&size, nullptr));
    EXPECT_EQ(3 * size_t(kCacheColours), size);
    std::vector<char> colours(size);
    EXPECT_TRUE(CVarnelLoader::GenerateCacheData(&size, colours.data()));
    CVarnelDll plain;
    EXPECT_EQ(0, Load(plain, preset, extra));
    std::string table(size_t(plain.GetChannels()) * kCacheColours, '\0');
    EXPECT_EQ(0, plain.RGB8ToMultichannel(colours.data(), &table[0], kCacheColours));
    return table;
}

struct RoundTripCase {
    const char* preset;
    const char* extra;
    long flags;
};

class CacheRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Built on worker threads or on the calling thread alone, reporting every
// percentage (once more at each chunk boundary), the file holds every
// colour's inks; a second load reads it and separates as without a cache.
TEST_P(CacheRoundTrip, BuildLoadAndEveryColour)
{
    ScratchFolder folder;
    const RoundTripCase& c = GetParam();
    bool built = false;
    LoadCached(folder.Path(), c.preset, &built, c.extra, c.flags);
    EXPECT_TRUE(std::is_sorted(g_percents.begin(), g_percents.end()));
    EXPECT_EQ(100u, std::set<double>(g_percents.begin(), g_percents.end()).size());
    EXPECT_EQ(99, g_percents.back());
    const std::string name = c.extra ? std::string(c.preset) + "+" + c.extra : c.preset;
    EXPECT_TRUE(ReadAll(folder.Path() + CacheNameOf(name)) == ExpectedTable(c.preset, c.extra));
    const auto loaded = LoadCached(folder.Path(), c.preset, &built, c.extra);
    EXPECT_FALSE(built);
    EXPECT_TRUE(Separate(*loaded) == SeparatePlain(c.preset, c.extra));
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

// ---- cache files and folders that must not be trusted ----

// What a case may spoil: the cache folder (no trailing '/'), its table and
// record, and a file of the user's that no load may write.
struct CachePaths {
    std::string folder, table, record, victim;
};

struct SpoilCase {
    const char* name;
    // The folder, before any load (it then gets no cache); else the pair a
    // first load built (it is then rebuilt).
    bool folder;
    // False when this run cannot arrange it (giving a file away needs
    // privileges, and root writes anywhere).
    std::function<bool(const CachePaths&)> spoil;
};

class SpoiledCache : public ::testing::TestWithParam<SpoilCase> {};

// Whatever was done, the next loads separate exactly as without a cache and
// write through no link. A spoiled table or record is rebuilt, and the
// rebuilt pair is trusted again; a folder that another user could write to
// or swap, or that cannot be made, gets no cache: nothing is built there.
TEST_P(SpoiledCache, IsRebuiltOrNotUsed)
{
    const SpoilCase& c = GetParam();
    ScratchFolder scratch;
    const char* preset = "HUE_PARAM_CMYK";
    const std::string table = scratch.Path() + "cache/" + CacheNameOf(preset);
    const CachePaths paths{scratch.Path() + "cache", table, table + ".key", scratch.Path() + "victim"};
    Poco::File(paths.folder).createDirectories();
    std::ofstream(paths.victim) << "keep me";
    const std::vector<unsigned char> expected = SeparatePlain(preset);
    bool built = false;
    if (!c.folder) {
        SeparateCached(paths.folder + "/", preset, &built);
        ASSERT_TRUE(built);
    }
    if (!c.spoil(paths))
        GTEST_SKIP() << "cannot be arranged by this user";
    for (bool first : {true, false}) {
        EXPECT_TRUE(SeparateCached(paths.folder + "/", preset, &built) == expected);
        EXPECT_EQ(first && !c.folder, built);
    }
    EXPECT_EQ(!c.folder, std::filesystem::exists(table));
    EXPECT_FALSE(std::filesystem::is_symlink(table));
    EXPECT_EQ("keep me", ReadAll(paths.victim));
}

// Replaces a file by a renamed copy of a new content: another inode.
bool Replace(const std::string& path, const std::string& content)
{
    std::ofstream(path + ".new", std::ios::binary) << content;
    std::filesystem::rename(path + ".new", path);
    return true;
}

bool AddPermission(const std::string& path, std::filesystem::perms perms)
{
    std::filesystem::permissions(path, perms, std::filesystem::perm_options::add);
    return true;
}

// Moves path aside and puts a link to target at its name.
bool Link(const std::string& path, const std::string& target)
{
    std::filesystem::rename(path, path + ".real");
    std::filesystem::create_symlink(target.empty() ? path + ".real" : target, path);
    return true;
}

using std::filesystem::perms;
const bool kFolder = true, kPair = false;

INSTANTIATE_TEST_SUITE_P(
    Spoilings, SpoiledCache,
    ::testing::Values(
        SpoilCase{"RecordMissing", kPair, [](const CachePaths& p) { return std::filesystem::remove(p.record); }},
        SpoilCase{"RecordOfOlderResults", kPair, [](const CachePaths& p) {
            std::string record = ReadAll(p.record);
            return Replace(p.record, record.insert(record.find("results ") + 8, "0")); }},
        SpoilCase{"TableReplaced", kPair, [](const CachePaths& p) { return Replace(p.table, std::string(4 * size_t(kCacheColours), '\0')); }},
        SpoilCase{"TableCutShort", kPair, [](const CachePaths& p) { std::filesystem::resize_file(p.table, 4 * size_t(kCacheColours) - 1); return true; }},
        SpoilCase{"TableWritableByOthers", kPair, [](const CachePaths& p) { return AddPermission(p.table, perms::others_write); }},
        SpoilCase{"RecordWritableByGroup", kPair, [](const CachePaths& p) { return AddPermission(p.record, perms::group_write); }},
        SpoilCase{"TableIsALink", kPair, [](const CachePaths& p) { return Link(p.table, ""); }},
        SpoilCase{"TableIsALinkToAnotherFile", kPair, [](const CachePaths& p) { return Link(p.table, p.victim); }},
        // Without privileges the table is replaced, which must be rebuilt
        // just the same.
        SpoilCase{"TableOwnedByAnotherUser", kPair, [](const CachePaths& p) {
            return chown(p.table.c_str(), getuid() + 1, getgid()) == 0 || Replace(p.table, std::string(4 * size_t(kCacheColours), '\1')); }},
        SpoilCase{"FolderWritableByOthers", kFolder, [](const CachePaths& p) { return AddPermission(p.folder, perms::others_write); }},
        SpoilCase{"FolderWritableByGroup", kFolder, [](const CachePaths& p) { return AddPermission(p.folder, perms::group_write); }},
        SpoilCase{"FolderIsALink", kFolder, [](const CachePaths& p) { return Link(p.folder, ""); }},
        SpoilCase{"FolderOwnedByAnotherUser", kFolder, [](const CachePaths& p) { return chown(p.folder.c_str(), getuid() + 1, getgid()) == 0; }},
        SpoilCase{"FolderNotWritable", kFolder, [](const CachePaths& p) {
            std::filesystem::permissions(p.folder, perms::owner_write, std::filesystem::perm_options::remove);
            return geteuid() != 0; }},
        SpoilCase{"FolderCannotBeMade", kFolder, [](const CachePaths& p) {
            std::filesystem::remove(p.folder);
            return bool(std::ofstream(p.folder) << "x"); }}),
    [](const ::testing::TestParamInfo<SpoilCase>& info) { return std::string(info.param.name); });

// Configurations that share a cache file's name but not its content: an
// edited file, two files of one base name in two folders, a file named like
// a preset. Each separates as it does without a cache.
TEST(UntrustedCacheFiles, ConfigurationsSharingACacheName)
{
    ScratchFolder folder;
    Poco::File(folder.Path() + "a/").createDirectories();
    Poco::File(folder.Path() + "b/").createDirectories();
    const std::string mine = folder.Path() + "a/mine.cfg";
    const std::string steps[][2] = {
        {mine, "CHANNELS=4;HUEMASK00=60,120,240,300;BLACKMASK=3;"},
        {mine, "CHANNELS=4;HUEMASK00=50,120,240,300;BLACKMASK=3;"},
        {folder.Path() + "b/mine.cfg", "CHANNELS=4;HUEMASK01=180,240,0,60;BLACKMASK=3;"},
        {"HUE_PARAM_CMYK", ""},
        {folder.Path() + "a/HUE_PARAM_CMYK.cfg", "CHANNELS=4;HUEMASK02=300,0,120,180;BLACKMASK=3;"},
    };
    for (const auto& step : steps) {
        if (!step[1].empty())
            std::ofstream(step[0]) << step[1];
        bool built = false;
        EXPECT_TRUE(SeparateCached(folder.Path() + "cache/", step[0], &built) == SeparatePlain(step[0])) << step[1];
        EXPECT_TRUE(built) << step[0] << step[1];
    }
}

// A build that was killed leaves its temporary file; the next load in the
// folder removes it, and leaves those of running writers and of others.
TEST(CacheFolder, LeftoversOfDeadWritersAreRemoved)
{
    ScratchFolder folder;
    pid_t dead = fork();
    ASSERT_NE(-1, dead);
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(dead, waitpid(dead, nullptr, 0));
    const std::string stale = folder.Path() + "123.dat.part." + std::to_string(dead) + ".0";
    const std::string live = folder.Path() + "123.dat.part." + std::to_string(getpid()) + ".7";
    const std::string other = folder.Path() + "notes.part.txt";
    for (const std::string& path : {stale, live, other})
        std::ofstream(path) << "x";
    bool built = false;
    SeparateCached(folder.Path(), "HUE_PARAM_CMYK", &built);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(other));
}

// A folder text of 259 characters is the longest an instance keeps; its
// cache path is longer still and works, and a missing folder is made for
// the user alone. A text of 260 or more is ignored, so the folder set
// before stays in use.
TEST(CacheFolder, LongestFolderTextAndOneTooLong)
{
    ScratchFolder folder;
    std::string parent = folder.Path();
    while (parent.size() < 200)
        parent += std::string(50, 'd') + "/";
    Poco::File(parent).createDirectories();
    const std::string longest = parent + std::string(258 - parent.size(), 'e') + "/";
    const char* preset = "HUE_PARAM_CMYK";
    const char* extra = "MAXINK=250;";
    bool built = false;
    const auto dll = LoadCached(longest, preset, &built, extra);
    EXPECT_TRUE(built);
    EXPECT_EQ(std::filesystem::perms::owner_all,
              std::filesystem::status(longest).permissions() & std::filesystem::perms::all);
    char kept[300];
    ASSERT_TRUE(dll->GetTemporaryFolder(kept, sizeof kept));
    EXPECT_EQ(longest, kept);
    EXPECT_EQ(uint64_t(4) * kCacheColours,
              Poco::File(longest + CacheNameOf(std::string(preset) + "+" + extra)).getSize());

    const std::string tooLong = longest + "x/";
    dll->SetTemporaryFolder(Text(tooLong));
    g_percents.clear();
    ASSERT_EQ(0, Load(*dll, preset, extra, CountCalls));
    EXPECT_TRUE(g_percents.empty());  // read from the folder kept before
    EXPECT_FALSE(Poco::File(tooLong).exists());
    ASSERT_TRUE(dll->GetTemporaryFolder(kept, sizeof kept));
    EXPECT_EQ(longest, kept);
}

// Instances of one process that use the same cache file hold one read-only
// mapping of it, and release it with the last of them.
TEST(CacheSharing, InstancesOfAProcessMapTheFileOnce)
{
    ScratchFolder folder;
    const std::string table = folder.Path() + CacheNameOf("HUE_PARAM_CMYK");
    auto mappings = [&table] {
        std::ifstream maps("/proc/self/maps");
        int count = 0;
        for (std::string line; std::getline(maps, line);)
            count += line.size() >= table.size() && line.compare(line.size() - table.size(), table.size(), table) == 0;
        return count;
    };
    {
        bool built = false;
        std::vector<std::unique_ptr<CVarnelDll>> instances;
        for (bool expectBuilt : {true, false, false}) {
            instances.push_back(LoadCached(folder.Path(), "HUE_PARAM_CMYK", &built));
            EXPECT_EQ(expectBuilt, built);
        }
        EXPECT_EQ(1, mappings());
        EXPECT_TRUE(Separate(*instances[0]) == Separate(*instances[2]));
    }
    EXPECT_EQ(0, mappings());
}

} // namespace
