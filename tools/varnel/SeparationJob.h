// Runs a separation over a whole image with N threads, one library
// instance each. Bands are read in order under one lock, separated and
// compressed in parallel, and written strictly in order, so the files are
// the same whatever the number of threads and memory holds only a few
// bands at a time.
#ifndef VARNEL_TOOL_SEPARATIONJOB_H
#define VARNEL_TOOL_SEPARATIONJOB_H

#include "BandConverter.h"
#include "ImageReader.h"
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
    void work(BandConverter& converter);
    bool readNextBand(Band& band);
    void writeInOrder(const Band& band);

    ImageReader& m_reader;
    SeparationOutputs& m_outputs;
    BandPlan m_plan;
    std::vector<std::unique_ptr<BandConverter>> m_converters;
};

} // namespace varnel_tool

#endif
