// One separation shared by threads against one instance per thread: the
// throughput of 1 and 2 threads, computed and cached, and the memory each
// arrangement holds. Pixels: a 1-megapixel image of random colours.
//
// Memory/<arrangement>/<kind>/<threads> loads the arrangement, converts once
// on each thread and reports the heap it holds (heap_bytes).
#include <varnel/VarnelDll.h>
#include <varnel/separation.h>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kPreset = "HUE_PARAM_CMYKRODG";
constexpr size_t kPixels = 1u << 20;

const std::vector<uint8_t>& Image()
{
    static const std::vector<uint8_t> image = [] {
        std::vector<uint8_t> rgb(3 * kPixels);
        std::mt19937 random(11);
        for (auto& v : rgb)
            v = uint8_t(random());
        return rgb;
    }();
    return image;
}

std::string CacheFolder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/varnel-bench-XXXXXX";
        return std::string(mkdtemp(name)) + "/";
    }();
    return folder;
}

varnel_separation* LoadSeparation(bool cached)
{
    const std::string folder = CacheFolder();
    varnel_load_options options{cached ? VARNEL_LOAD_CACHE : 0u, folder.c_str(), nullptr, nullptr};
    varnel_separation* separation = nullptr;
    varnel_load(kPreset, nullptr, &options, &separation, nullptr, 0);
    return separation;
}

std::unique_ptr<CVarnelDll> LoadInstance(bool cached)
{
    std::unique_ptr<CVarnelDll> instance(new CVarnelDll());
    instance->SetFlags(cached ? VARNEL_FLAG_CACHE : 0);
    std::string folder = CacheFolder();
    instance->SetTemporaryFolder(&folder[0]);
    char preset[64];
    std::snprintf(preset, sizeof preset, "%s", kPreset);
    instance->SetPreferences(preset, nullptr, nullptr, 0, 0, nullptr, 0);
    return instance;
}

// One separation for every thread of a run, loaded before the first.
const varnel_separation* Shared(bool cached)
{
    static varnel_separation* const computed = LoadSeparation(false);
    static varnel_separation* const withCache = LoadSeparation(true);
    return cached ? withCache : computed;
}

void BM_OneSeparation(benchmark::State& state, bool cached)
{
    const varnel_separation* separation = Shared(cached);
    std::vector<uint8_t> out(kPixels * varnel_channels(separation));
    for (auto _ : state) {
        if (varnel_convert8(separation, Image().data(), 0, out.data(), 0, kPixels, 1, nullptr, nullptr) != VARNEL_OK)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MPix/s"] = benchmark::Counter(double(kPixels) * 1e-6 * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

void BM_InstancePerThread(benchmark::State& state, bool cached)
{
    const std::unique_ptr<CVarnelDll> instance = LoadInstance(cached);
    std::vector<uint8_t> out(kPixels * size_t(instance->GetChannels()));
    std::vector<uint8_t> in = Image();
    for (auto _ : state) {
        if (instance->RGB8ToMultichannel(in.data(), out.data(), unsigned(kPixels)) != 0)
            state.SkipWithError("conversion failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MPix/s"] = benchmark::Counter(double(kPixels) * 1e-6 * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// Bytes the heap hands out at the moment.
size_t HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Sets an arrangement up, converts once on each of its threads, and
// reports the heap it holds then (the cache table, a mapping of its file
// that every user in the process shares, is not counted). Each run starts
// from nothing loaded.
void BM_Memory(benchmark::State& state, bool shared, bool cached)
{
    const int threads = int(state.range(0));
    for (auto _ : state) {
        std::vector<std::vector<uint8_t>> outputs(threads, std::vector<uint8_t>(kPixels * 8));
        std::vector<std::vector<uint8_t>> inputs(threads, Image());
        const size_t before = HeapBytes();
        varnel_separation* separation = shared ? LoadSeparation(cached) : nullptr;
        std::vector<std::unique_ptr<CVarnelDll>> instances;
        for (int t = 0; t < threads && !shared; ++t)
            instances.push_back(LoadInstance(cached));
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&, t] {
                if (shared)
                    varnel_convert8(separation, inputs[t].data(), 0, outputs[t].data(), 0, kPixels, 1, nullptr,
                                    nullptr);
                else
                    instances[t]->RGB8ToMultichannel(inputs[t].data(), outputs[t].data(), unsigned(kPixels));
            });
        for (std::thread& worker : workers)
            worker.join();
        state.counters["heap_bytes"] = double(HeapBytes() - before);
        instances.clear();
        varnel_free(separation);
    }
}

void Register()
{
    for (bool cached : {false, true}) {
        const std::string kind = cached ? "cached" : "computed";
        benchmark::RegisterBenchmark(("OneSeparation/" + kind).c_str(), BM_OneSeparation, cached)
            ->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("InstancePerThread/" + kind).c_str(), BM_InstancePerThread, cached)
            ->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
        for (bool shared : {true, false})
            benchmark::RegisterBenchmark(
                ("Memory/" + std::string(shared ? "OneSeparation/" : "InstancePerThread/") + kind).c_str(),
                BM_Memory, shared, cached)
                ->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    Shared(true);  // builds the cache file outside every measurement
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(CacheFolder());
    return 0;
}
