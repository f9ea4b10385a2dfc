// Separate instances on separate threads at once, as the library promises:
// loading, converting, building one cache file and reporting errors. Run
// under ThreadSanitizer by `scripts/test --tsan`; in the other builds the
// results are checked against a run on one thread. Threads that share one
// separation: tests/abi/host_threads.c.
#include "base/KErrorHandler.h"
#include "base/KException.h"
#include "engine/VarnelCache.h"
#include "varnel/VarnelDll.h"
#include "varnel/varnel.h"

#include <Poco/File.h>
#include <Poco/TemporaryFile.h>

#include "support/LibraryTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// A preset and an extra text that brings in every refinement stage, among
// them an expression evaluator per instance.
struct Job {
    const char* preset;
    const char* extra;
};

const Job kJobs[] = {
    {"HUE_PARAM_CMYK", "COLOR_SUBST01=50,20,30,40,Y,2*3;HUEMASK_LIGHT00=0,40,20,Y;"},
    {"HUE_PARAM_CMYKOG", "GRAY_SUBST=30,10,10,10,Y;BLACK_ADD=20,5,5,5,5,Y;"},
    {"HUE_PARAM_CMYKRODG", "SECOND_COLOR00=4,20,50,Y;COLOR_ADD02=40,10,20,30,40,Y;"},
    {"HUE_PARAM_CMYKB", "COLOR_SUBST02=40,1,1,1,Y,1/0;"},
};

struct Result {
    std::vector<unsigned char> out8;
    std::vector<unsigned short> out16;
    bool operator==(const Result& o) const { return out8 == o.out8 && out16 == o.out16; }
};

std::vector<unsigned char> Colours()
{
    std::vector<unsigned char> rgb(3 * 3000);
    std::mt19937 random(5);
    for (auto& v : rgb)
        v = static_cast<unsigned char>(random());
    return rgb;
}

// Loads through the C++ class, converts, reloads through the C interface
// and converts again.
Result RunJob(const Job& job)
{
    static const std::vector<unsigned char> rgb8 = Colours();
    const unsigned count = unsigned(rgb8.size() / 3);
    Result result;

    CVarnelDll dll;
    if (dll.SetPreferences(Text(job.preset), Text(job.extra), nullptr, 0, 0, nullptr, 0) != 0)
        return result;
    const long channels = dll.GetChannels();
    result.out8.assign(size_t(channels) * count, 0);
    if (dll.RGB8ToMultichannel(const_cast<unsigned char*>(rgb8.data()), result.out8.data(), count) != 0)
        result.out8.clear();

    VarnelHandle handle = kal_InitVarnel();
    kal_SetPreferences(handle, Text(job.preset), Text(job.extra));
    std::vector<unsigned short> rgb16(rgb8.begin(), rgb8.end());
    for (auto& v : rgb16)
        v = static_cast<unsigned short>(v * 257);
    result.out16.assign(size_t(kal_GetChannels(handle)) * count, 0);
    if (kal_RGB2Multichannel(handle, rgb16.data(), result.out16.data(), count) != 0)
        result.out16.clear();
    kal_EndVarnel(handle);
    return result;
}

TEST(Threads, SeparateInstancesLoadAndConvertAtOnce)
{
    std::vector<Result> expected;
    for (const Job& job : kJobs)
        expected.push_back(RunJob(job));
    for (const Result& r : expected)
        ASSERT_FALSE(r.out8.empty() || r.out16.empty());

    constexpr int kThreads = 4;
    constexpr int kRounds = 3;
    std::vector<std::vector<Result>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &results] {
            for (int round = 0; round < kRounds; ++round)
                results[t].push_back(RunJob(kJobs[(t + round) % kThreads]));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int round = 0; round < kRounds; ++round)
            EXPECT_TRUE(results[t][round] == expected[(t + round) % kThreads]) << t << " " << round;
    }
}

// Reports arrive whole and one at a time while other threads convert.
class CountingHandler : public KErrorHandler {
public:
    void ReportException(const KException& e) override
    {
        // Unguarded on purpose: the library's lock must serialise reports.
        lines += e.what();
        lines += ": ";
        lines += e.Message();
        lines += "\n";
        ++count;
    }
    std::string lines;
    int count = 0;
};

TEST(Threads, ErrorReportsFromSeveralThreadsWhileConverting)
{
    CountingHandler handler;
    KErrorHandler* previous = KErrorHandler::SetCurrent(&handler);
    constexpr int kReporters = 4;
    constexpr int kReports = 2000;
    std::atomic<bool> stop{false};
    std::thread converter([&stop] {
        while (!stop)
            (void)RunJob(kJobs[0]);
    });
    std::vector<std::thread> reporters;
    for (int t = 0; t < kReporters; ++t) {
        reporters.emplace_back([t] {
            (void)KErrorHandler::DefaultHandler();
            for (int i = 0; i < kReports; ++i)
                KErrorHandler::Handle(KException("thread " + std::to_string(t), "IOError"));
        });
    }
    for (std::thread& thread : reporters)
        thread.join();
    stop = true;
    converter.join();
    KErrorHandler::SetCurrent(previous);

    EXPECT_EQ(kReporters * kReports, handler.count);
    size_t lines = 0;
    for (size_t pos = 0; (pos = handler.lines.find("IOError: thread ", pos)) != std::string::npos; ++pos)
        ++lines;
    EXPECT_EQ(size_t(kReporters * kReports), lines);
}

// Two instances on two threads build the same cache file at once: both
// loads succeed, and they convert alike through their tables.
TEST(Threads, TwoInstancesBuildOneCacheFile)
{
    const std::string folder = Poco::TemporaryFile::tempName() + "/";
    Poco::File(folder).createDirectories();
    long loaded[2] = {-2, -2};
    std::vector<unsigned char> out[2];
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([t, &folder, &loaded, &out] {
            CVarnelDll dll;
            dll.SetTemporaryFolder(Text(folder));
            dll.SetFlags(VARNEL_FLAG_CACHE);
            loaded[t] = dll.SetPreferences(Text("HUE_PARAM_CMYK"), nullptr, nullptr, 0, 0, nullptr, 0);
            static const std::vector<unsigned char> rgb = Colours();
            out[t].assign(4 * rgb.size() / 3, 0);
            dll.RGB8ToMultichannel(const_cast<unsigned char*>(rgb.data()), out[t].data(),
                                   unsigned(rgb.size() / 3));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, loaded[0]);
    EXPECT_EQ(0, loaded[1]);
    EXPECT_TRUE(out[0] == out[1]);
    // The table and its record, nothing left of either builder's work.
    std::vector<std::string> files;
    Poco::File(folder).list(files);
    ASSERT_EQ(2u, files.size());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files[0] + ".key", files[1]);
    EXPECT_EQ(uint64_t(4) * kCacheColours, Poco::File(folder + files[0]).getSize());
    Poco::File(folder).remove(true);
}

} // namespace
