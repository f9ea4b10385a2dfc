// Runs a separation over a whole image on N threads, the calling thread
// being one of them. Each thread takes whichever step of the work comes
// next: writing the next band in order, separating and compressing a band
// that has been read, or reading the next band. Reading and writing each
// go strictly in order, one thread at a time. With two threads or more
// they overlap with the separating; with one, the run is a plain loop on
// the calling thread, which then uses one core and no more. The files are
// the same whatever the number of threads, and memory holds only a few
// bands at a time.
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
    // One thread per converter.
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
    void work(State& state, BandConverter& converter, ProgressBar& progress, uint64_t pixelsBefore);
    void read(Band& band);

    ImageReader& m_reader;
    SeparationOutputs& m_outputs;
    BandPlan m_plan;
    std::vector<std::unique_ptr<BandConverter>> m_converters;
};

} // namespace varnel_tool

#endif
