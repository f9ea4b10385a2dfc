#include "SeparationJob.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace varnel_tool {

// What the threads of one run share. One lock and one condition guard it
// all: the threads meet a few times per band, a quarter million pixels
// apart.
struct SeparationJob::State {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Band*> idle;              // buffers ready to be read into
    uint32_t nextToRead = 0;
    bool reading = false;                 // a thread is reading band nextToRead
    std::deque<Band*> read;               // read, in order, not yet taken
    std::map<uint32_t, Band*> separated;  // by band index, awaiting their turn
    uint32_t nextToWrite = 0;
    bool writing = false;                 // a thread is writing band nextToWrite
    uint64_t pixelsWritten = 0;           // counted by the writing thread
    bool failed = false;
    std::exception_ptr failure;

    bool canWrite() const { return !writing && separated.count(nextToWrite) != 0; }
    bool canRead(uint32_t bandCount) const { return !reading && nextToRead < bandCount && !idle.empty(); }

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
    // Enough buffers for every thread to separate one while others are
    // read ahead and one waits for its turn to be written.
    std::vector<Band> buffers(2 * m_converters.size() + 2);
    for (Band& band : buffers) state.idle.push_back(&band);

    auto guarded = [&](BandConverter& converter) {
        try {
            work(state, converter, progress, pixelsBefore);
        } catch (...) {
            state.fail(std::current_exception());
        }
    };
    std::vector<std::thread> threads;
    for (size_t i = 1; i < m_converters.size(); ++i)
        threads.emplace_back([&guarded, converter = m_converters[i].get()] { guarded(*converter); });
    guarded(*m_converters.front());
    for (std::thread& thread : threads) thread.join();
    if (state.failure) std::rethrow_exception(state.failure);
}

InkCoverage SeparationJob::coverage() const {
    InkCoverage total = m_converters.front()->coverage();
    for (size_t i = 1; i < m_converters.size(); ++i) total.merge(m_converters[i]->coverage());
    return total;
}

// Writing comes first, since it frees a buffer and keeps the bands moving
// in order; then separating; reading ahead comes last.
void SeparationJob::work(State& state, BandConverter& converter, ProgressBar& progress, uint64_t pixelsBefore) {
    const uint32_t bandCount = m_plan.bandCount;
    for (;;) {
        enum class Step { Write, Separate, Read } step;
        Band* band = nullptr;
        {
            std::unique_lock<std::mutex> guard(state.lock);
            state.changed.wait(guard, [&] {
                return state.failed || state.nextToWrite == bandCount || state.canWrite() || !state.read.empty() ||
                       state.canRead(bandCount);
            });
            if (state.failed || state.nextToWrite == bandCount) return;
            if (state.canWrite()) {
                step = Step::Write;
                state.writing = true;
                band = state.separated[state.nextToWrite];
                state.separated.erase(state.nextToWrite);
            } else if (!state.read.empty()) {
                step = Step::Separate;
                band = state.read.front();
                state.read.pop_front();
            } else {
                step = Step::Read;
                state.reading = true;
                band = state.idle.back();
                state.idle.pop_back();
                band->index = state.nextToRead;
            }
        }
        switch (step) {
        case Step::Write: {
            m_outputs.write(*band);
            // The writing turn orders these too: one thread at a time
            // counts and draws, and the lock hands the turn over.
            state.pixelsWritten += static_cast<uint64_t>(m_plan.width) * band->rows;
            progress.update(pixelsBefore + state.pixelsWritten);
            std::lock_guard<std::mutex> guard(state.lock);
            state.writing = false;
            ++state.nextToWrite;
            state.idle.push_back(band);
            break;
        }
        case Step::Separate: {
            converter.convert(*band);
            std::lock_guard<std::mutex> guard(state.lock);
            state.separated.emplace(band->index, band);
            break;
        }
        case Step::Read: {
            read(*band);
            std::lock_guard<std::mutex> guard(state.lock);
            state.reading = false;
            ++state.nextToRead;
            state.read.push_back(band);
            break;
        }
        }
        state.changed.notify_all();
    }
}

void SeparationJob::read(Band& band) {
    band.firstRow = m_plan.firstRow(band.index);
    band.rows = m_plan.rowsIn(band.index);
    reserveBytes(band.input, static_cast<size_t>(m_plan.width) * band.rows * 3 * (m_reader.bits() / 8));
    m_reader.readRows(band.input.data(), band.rows);
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
