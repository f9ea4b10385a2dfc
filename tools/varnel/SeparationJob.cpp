#include "SeparationJob.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace varnel_tool {

// What the threads of one run share. One lock and one condition guard it
// all: the threads meet once per band, a quarter million pixels apart.
struct SeparationJob::State {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Band*> idle;              // buffers ready to be read into
    std::deque<Band*> read;               // read, in order, not yet taken
    bool allRead = false;
    std::map<uint32_t, Band*> separated;  // by band index, awaiting their turn
    bool failed = false;
    std::exception_ptr failure;

    // Records the first failure and wakes every thread so that all stop.
    void fail(std::exception_ptr error) {
        std::lock_guard<std::mutex> guard(lock);
        if (!failure) failure = error;
        failed = true;
        changed.notify_all();
    }
};

SeparationJob::SeparationJob(ImageReader& reader, SeparationOutputs& outputs, const BandPlan& plan,
                             std::vector<std::unique_ptr<BandConverter>> converters)
    : m_reader(reader), m_outputs(outputs), m_plan(plan), m_converters(std::move(converters)) {}

void SeparationJob::run(ProgressBar& progress, uint64_t pixelsBefore) {
    State state;
    // Enough buffers for every worker to hold one while the reader fills
    // the next ones and the writer empties one.
    state.allRead = m_plan.bandCount == 0;
    std::vector<Band> buffers(2 * m_converters.size() + 2);
    for (Band& band : buffers) state.idle.push_back(&band);

    std::vector<std::thread> threads;
    threads.emplace_back([this, &state] {
        try {
            readBands(state);
        } catch (...) {
            state.fail(std::current_exception());
        }
    });
    for (auto& converter : m_converters) {
        BandConverter* worker = converter.get();
        threads.emplace_back([this, worker, &state] {
            try {
                convertBands(state, *worker);
            } catch (...) {
                state.fail(std::current_exception());
            }
        });
    }
    try {
        writeBands(state, progress, pixelsBefore);
    } catch (...) {
        state.fail(std::current_exception());
    }
    for (std::thread& thread : threads) thread.join();
    if (state.failure) std::rethrow_exception(state.failure);
}

InkCoverage SeparationJob::coverage() const {
    InkCoverage total = m_converters.front()->coverage();
    for (size_t i = 1; i < m_converters.size(); ++i) total.merge(m_converters[i]->coverage());
    return total;
}

void SeparationJob::readBands(State& state) {
    for (uint32_t index = 0; index < m_plan.bandCount; ++index) {
        Band* band = nullptr;
        {
            std::unique_lock<std::mutex> guard(state.lock);
            state.changed.wait(guard, [&] { return state.failed || !state.idle.empty(); });
            if (state.failed) return;
            band = state.idle.back();
            state.idle.pop_back();
        }
        band->index = index;
        band->firstRow = m_plan.firstRow(index);
        band->rows = m_plan.rowsIn(index);
        reserveBytes(band->input, static_cast<size_t>(m_plan.width) * band->rows * 3 * (m_reader.bits() / 8));
        m_reader.readRows(band->input.data(), band->rows);
        std::lock_guard<std::mutex> guard(state.lock);
        state.read.push_back(band);
        state.allRead = index + 1 == m_plan.bandCount;
        state.changed.notify_all();
    }
}

void SeparationJob::convertBands(State& state, BandConverter& converter) {
    for (;;) {
        Band* band = nullptr;
        {
            std::unique_lock<std::mutex> guard(state.lock);
            state.changed.wait(guard, [&] { return state.failed || !state.read.empty() || state.allRead; });
            if (state.failed || state.read.empty()) return;
            band = state.read.front();
            state.read.pop_front();
        }
        converter.convert(*band);
        std::lock_guard<std::mutex> guard(state.lock);
        state.separated.emplace(band->index, band);
        state.changed.notify_all();
    }
}

void SeparationJob::writeBands(State& state, ProgressBar& progress, uint64_t pixelsBefore) {
    uint64_t pixelsWritten = 0;
    for (uint32_t index = 0; index < m_plan.bandCount; ++index) {
        Band* band = nullptr;
        {
            std::unique_lock<std::mutex> guard(state.lock);
            state.changed.wait(guard, [&] { return state.failed || state.separated.count(index) != 0; });
            if (state.failed) return;
            band = state.separated[index];
            state.separated.erase(index);
        }
        m_outputs.write(*band);
        pixelsWritten += static_cast<uint64_t>(m_plan.width) * band->rows;
        progress.update(pixelsBefore + pixelsWritten);
        std::lock_guard<std::mutex> guard(state.lock);
        state.idle.push_back(band);
        state.changed.notify_all();
    }
}

BandPlan BandPlan::make(uint32_t width, uint32_t height, uint32_t rowsPerStrip) {
    BandPlan plan;
    plan.width = width;
    plan.height = height;
    plan.rowsPerStrip = rowsPerStrip;
    const uint64_t stripPixels = static_cast<uint64_t>(width) * rowsPerStrip;
    uint64_t stripsPerBand = (uint64_t{1} << 18) / (stripPixels == 0 ? 1 : stripPixels);
    const uint64_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    // Sixteen bands give each of up to four threads four of them.
    const uint64_t fairShare = (strips + 15) / 16;
    if (stripsPerBand > fairShare) stripsPerBand = fairShare;
    if (stripsPerBand == 0) stripsPerBand = 1;
    plan.rowsPerBand = static_cast<uint32_t>(stripsPerBand * rowsPerStrip);
    plan.bandCount = (height + plan.rowsPerBand - 1) / plan.rowsPerBand;
    return plan;
}

uint32_t BandPlan::rowsIn(uint32_t band) const {
    const uint32_t first = firstRow(band);
    return first + rowsPerBand > height ? height - first : rowsPerBand;
}

} // namespace varnel_tool
