#include "SeparationJob.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace varnel_tool {

namespace {

// State shared by the worker threads of one run.
struct JobState {
    std::mutex readLock;
    uint32_t nextBandToRead = 0;

    std::mutex writeLock;
    std::condition_variable written;
    uint32_t nextBandToWrite = 0;
    uint64_t pixelsWritten = 0;

    std::atomic<bool> failed{false};
    std::exception_ptr failure;
};

// One run at a time; the workers reach it through the job.
thread_local JobState* t_state = nullptr;

} // namespace

SeparationJob::SeparationJob(ImageReader& reader, SeparationOutputs& outputs, const BandPlan& plan,
                             std::vector<std::unique_ptr<BandConverter>> converters)
    : m_reader(reader), m_outputs(outputs), m_plan(plan), m_converters(std::move(converters)) {}

void SeparationJob::run(ProgressBar& progress, uint64_t pixelsBefore) {
    JobState state;
    std::vector<std::thread> threads;
    for (auto& converter : m_converters) {
        BandConverter* worker = converter.get();
        threads.emplace_back([this, worker, &state] {
            t_state = &state;
            try {
                work(*worker);
            } catch (...) {
                std::lock_guard<std::mutex> lock(state.writeLock);
                if (!state.failure) state.failure = std::current_exception();
                state.failed = true;
                state.written.notify_all();
            }
        });
    }
    {
        // The main thread only reports progress while the workers run.
        std::unique_lock<std::mutex> lock(state.writeLock);
        while (state.nextBandToWrite < m_plan.bandCount && !state.failed) {
            state.written.wait_for(lock, std::chrono::milliseconds(100));
            const uint64_t done = state.pixelsWritten;
            lock.unlock();
            progress.update(pixelsBefore + done);
            lock.lock();
        }
    }
    for (std::thread& thread : threads) thread.join();
    if (state.failure) std::rethrow_exception(state.failure);
}

InkCoverage SeparationJob::coverage() const {
    InkCoverage total = m_converters.front()->coverage();
    for (size_t i = 1; i < m_converters.size(); ++i) total.merge(m_converters[i]->coverage());
    return total;
}

void SeparationJob::work(BandConverter& converter) {
    Band band;
    while (!t_state->failed && readNextBand(band)) {
        converter.convert(band);
        writeInOrder(band);
    }
}

bool SeparationJob::readNextBand(Band& band) {
    std::lock_guard<std::mutex> lock(t_state->readLock);
    if (t_state->nextBandToRead >= m_plan.bandCount) return false;
    band.index = t_state->nextBandToRead++;
    band.firstRow = m_plan.firstRow(band.index);
    band.rows = m_plan.rowsIn(band.index);
    const size_t samples = static_cast<size_t>(m_plan.width) * band.rows * 3;
    reserveBytes(band.input, samples * (m_reader.bits() / 8));
    m_reader.readRows(band.input.data(), band.rows);
    return true;
}

void SeparationJob::writeInOrder(const Band& band) {
    JobState& state = *t_state;
    std::unique_lock<std::mutex> lock(state.writeLock);
    state.written.wait(lock, [&] { return state.failed || state.nextBandToWrite == band.index; });
    if (state.failed) return;
    // Writing under the lock keeps the order; the other threads go on
    // separating meanwhile.
    m_outputs.write(band);
    ++state.nextBandToWrite;
    state.pixelsWritten += static_cast<uint64_t>(m_plan.width) * band.rows;
    state.written.notify_all();
}

BandPlan BandPlan::make(uint32_t width, uint32_t height, uint32_t rowsPerStrip, int threads) {
    BandPlan plan;
    plan.width = width;
    plan.height = height;
    plan.rowsPerStrip = rowsPerStrip;
    const uint64_t stripPixels = static_cast<uint64_t>(width) * rowsPerStrip;
    uint64_t stripsPerBand = (uint64_t{1} << 18) / (stripPixels == 0 ? 1 : stripPixels);
    const uint64_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    // At least four bands per thread where the image allows, so that the
    // threads share the work evenly.
    const uint64_t fairShare = (strips + 4u * static_cast<uint64_t>(threads) - 1) / (4u * static_cast<uint64_t>(threads));
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
