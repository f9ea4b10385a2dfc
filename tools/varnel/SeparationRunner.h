// Separates images one after another with one configuration: the outputs
// of each image, its coverage figures and a pool of library instances
// (one per thread) that are loaded once and serve every image of a batch.
#ifndef VARNEL_TOOL_SEPARATIONRUNNER_H
#define VARNEL_TOOL_SEPARATIONRUNNER_H

#include "Configuration.h"
#include "ImageReader.h"
#include "InkCoverage.h"
#include "ProgressBar.h"
#include "ProofSimulator.h"
#include "SeparationOutputs.h"

#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

struct RunSettings {
    int depth = 8;  // bits per ink value
    int threads = 1;
    uint32_t tacLimitPercent = 300;
};

struct RunResult {
    InkCoverage coverage;
    uint32_t threads;                // threads that worked on the image
    std::vector<std::string> paths;  // the files written, TIFF first
};

class SeparationRunner {
public:
    SeparationRunner(Configuration& config, const std::vector<InkInfo>& inks, const RunSettings& settings);

    // Separates one image into the requested files; the bar hears of
    // pixelsBefore plus the pixels done. Throws ToolError; the files of an
    // image that fails are removed.
    RunResult run(ImageReader& reader, const OutputRequest& request, ProgressBar& bar, uint64_t pixelsBefore);

private:
    Configuration& m_config;
    std::vector<InkInfo> m_inks;
    RunSettings m_settings;
    ProofSimulator m_proof;
};

} // namespace varnel_tool

#endif
