// Runs a separation over a whole image as a pipeline: one thread reads
// bands in order, N worker threads (one library instance each) separate
// and compress them, and the calling thread writes them strictly in order.
// Reading, separating and writing overlap, the files are the same whatever
// the number of threads, and memory holds only a few bands at a time.
#ifndef VARNEL_TOOL_SEPARATIONJOB_H
#define VARNEL_TOOL_SEPARATIONJOB_H

#include "BandConverter.h"
#include "ImageReader.h"
#include "InkCoverage.h"
#include "ProgressBar.h"
#include "SeparationOutputs.h"

#include <memory>
#include <vector>

namespace varnel_tool {

class SeparationJob {
public:
    SeparationJob(ImageReader& reader, SeparationOutputs& outputs, const BandPlan& plan,
                  std::vector<std::unique_ptr<BandConverter>> converters);

    // Returns when every band is written; rethrows the first failure of
    // any thread after all threads have stopped. The bar hears of
    // pixelsBefore plus the pixels written (it may cover a whole batch).
    void run(ProgressBar& progress, uint64_t pixelsBefore);
    // The coverage of every band written, summed over the threads.
    InkCoverage coverage() const;

private:
    struct State;
    void readBands(State& state);
    void convertBands(State& state, BandConverter& converter);
    void writeBands(State& state, ProgressBar& progress, uint64_t pixelsBefore);

    ImageReader& m_reader;
    SeparationOutputs& m_outputs;
    BandPlan m_plan;
    std::vector<std::unique_ptr<BandConverter>> m_converters;
};

} // namespace varnel_tool

#endif
