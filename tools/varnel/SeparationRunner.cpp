#include "SeparationRunner.h"

#include "BandConverter.h"
#include "CoverageReport.h"
#include "SeparationJob.h"

#include <algorithm>

namespace varnel_tool {

SeparationRunner::SeparationRunner(Configuration& config, const std::vector<InkInfo>& inks,
                                   const RunSettings& settings)
    : m_config(config), m_inks(inks), m_settings(settings), m_proof(inks) {}

RunResult SeparationRunner::run(ImageReader& reader, const OutputRequest& request, ProgressBar& bar,
                                uint64_t pixelsBefore) {
    const int channels = m_config.channels();
    const uint32_t rowsPerStrip = SeparatedTiffWriter::rowsPerStripFor(reader.width(), channels, m_settings.depth);
    OutputMetadata metadata;
    metadata.resolution = reader.resolution();
    // Rows kept in stored order carry the input's orientation, so that
    // viewers still show them the way they show the input.
    if (!reader.orientationApplied()) metadata.orientation = reader.orientation();
    metadata.description = "separated by varnel with " + m_config.displayName();
    if (m_config.hasExtraText()) metadata.description += " and the extra text \"" + m_config.extraText() + "\"";
    SeparationOutputs outputs(request, reader.width(), reader.height(), m_inks, rowsPerStrip, metadata);

    const BandPlan plan = BandPlan::make(reader.width(), reader.height(), rowsPerStrip);
    BandFormat format;
    format.width = reader.width();
    format.channels = channels;
    format.inputBits = reader.bits();
    format.outputBits = m_settings.depth;
    format.rowsPerStrip = rowsPerStrip;
    format.plates = !request.platesFolder.empty();
    format.proof = !request.proofPath.empty();
    format.tacMap = !request.tacMapPath.empty();
    format.tacLimitPercent = m_settings.tacLimitPercent;
    format.compression = request.compression;
    format.tiffStrips = !request.psd;
    const TacMapPainter tacMap(channels, m_settings.depth, m_settings.tacLimitPercent);

    const uint32_t threads =
        std::max<uint32_t>(1, std::min<uint32_t>(static_cast<uint32_t>(m_settings.threads), plan.bandCount));
    // The workers share the one separation; each conversion depends on
    // nothing converted before it, so the files do not depend on how the
    // bands are shared out, nor on the images separated earlier.
    std::vector<std::unique_ptr<BandConverter>> converters;
    for (uint32_t i = 0; i < threads; ++i)
        converters.push_back(std::make_unique<BandConverter>(m_config.separation(), format, m_proof, tacMap));
    SeparationJob job(reader, outputs, plan, std::move(converters));
    job.run(bar, pixelsBefore);

    RunResult result{job.coverage(), threads, {}};
    ReportSubject subject;
    subject.input = reader.path();
    subject.configuration = m_config.displayName();
    subject.width = reader.width();
    subject.height = reader.height();
    subject.bits = m_settings.depth;
    outputs.finish(request.reportPath.empty() ? std::string() : coverageJson(result.coverage, m_inks, subject));
    result.paths = outputs.paths();
    return result;
}

} // namespace varnel_tool
