// varnel separate: an image file to a separated TIFF, plates and a proof.
#include "ArgParser.h"
#include "Commands.h"
#include "Configuration.h"
#include "CoverageReport.h"
#include "ImageReader.h"
#include "SeparationJob.h"
#include "ToolError.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel separate INPUT -c CONFIG -o OUTPUT.tif [options]\n"
    "\n"
    "Separates an RGB image into one channel per ink and writes a separated\n"
    "TIFF (Deflate, in strips) with the ink names in its InkNames tag.\n"
    "\n"
    "INPUT is PNG, TIFF or JPEG, 8 or 16 bits per component. Grey input is\n"
    "taken as R = G = B; an alpha channel is composited over white paper.\n"
    "\n"
    "TIFF counts 0 as no ink and the maximum as full ink; the library counts\n"
    "the opposite (255 or 65535 = no ink), so the values are inverted on\n"
    "writing. Plates show the library's sense: white paper, black ink.\n"
    "\n"
    "options:\n"
    "  -c, --config CONFIG   a preset name (varnel presets) or a .cfg file\n"
    "  -x, --extra TEXT      configuration text applied over CONFIG\n"
    "  -o, --output FILE     the separated TIFF to write\n"
    "      --depth 8|16      bits per ink value in the outputs (default 8)\n"
    "      --plates DIR      also write one greyscale PNG per ink into DIR\n"
    "      --proof FILE      also write an RGB PNG that simulates the print;\n"
    "                        a picture for a person, not a colorimetric proof\n"
    "      --ink-names LIST  comma-separated names, one per ink, instead of\n"
    "                        the names derived from the inks' hue ranges\n"
    "      --tac-limit PERCENT  the press's limit on total area coverage, the\n"
    "                        sum of all inks' coverage (default 300)\n"
    "      --report FILE     also write the ink coverage as JSON, with a\n"
    "                        histogram per ink in whole per cent\n"
    "      --tac-map FILE    also write an RGB PNG of the total coverage\n"
    "                        against the limit: grey below 80 % of it (darker\n"
    "                        with more ink), yellow to orange up to it, red above\n"
    "      --cache           use the library's separation cache: every 8-bit\n"
    "                        colour is separated once and kept in a file; each\n"
    "                        thread then holds a table of inks x 16 MiB\n"
    "                        (96 MiB for 6 inks) and 16-bit values are\n"
    "                        quantised to 8 bits on the way in and out\n"
    "      --cache-dir DIR   folder of the cache files (default: the system's\n"
    "                        temporary folder)\n"
    "      --threads N       threads, one library instance each (default: the\n"
    "                        number of cores); the output does not depend on N\n"
    "  -q, --quiet           no progress bar, notes or summary\n"
    "  -h, --help            this text\n"
    "\n"
    "The image is read and written strip by strip: memory stays at a few\n"
    "megabytes per thread (plus the cache tables) whatever the image size.\n"
    "Files are written under temporary names and renamed when complete.\n"
    "\n"
    "The summary gives each ink's mean coverage, the largest total coverage\n"
    "with the first pixel (x, y) that has it, and the share of pixels whose\n"
    "total exceeds the TAC limit.\n";

const std::vector<OptionRule> kOptions = {
    {"config", 'c', true},  {"extra", 'x', true},      {"output", 'o', true},   {"depth", 0, true},
    {"plates", 0, true},    {"proof", 0, true},        {"ink-names", 0, true},  {"cache", 0, false},
    {"cache-dir", 0, true}, {"threads", 0, true},      {"quiet", 'q', false},   {"help", 'h', false},
    {"tac-limit", 0, true}, {"tac-map", 0, true},      {"report", 0, true},
};

// The cache build reports through a plain function pointer; this is where
// it finds the bar to draw on. Null outside the build.
ProgressBar* g_cacheBar = nullptr;

int onCacheProgress(double percent, long long) {
    if (g_cacheBar != nullptr) g_cacheBar->update(static_cast<uint64_t>(percent * 167772.16));
    return 0;
}

int defaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

} // namespace

int runSeparate(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.positional().size() != 1) throw UsageError("separate needs exactly one INPUT image");
    if (!options.has("config")) throw UsageError("separate needs -c CONFIG");
    if (!options.has("output")) throw UsageError("separate needs -o OUTPUT.tif");
    const int depth = static_cast<int>(options.integer("depth", 8, 16, 8));
    if (depth != 8 && depth != 16) throw UsageError("--depth must be 8 or 16");
    const int threads = static_cast<int>(options.integer("threads", 1, 256, defaultThreads()));
    const uint32_t tacLimit = static_cast<uint32_t>(options.integer("tac-limit", 1, 1600, 300));
    const bool quiet = options.has("quiet");
    std::vector<std::string> inkNames;
    if (options.has("ink-names")) inkNames = splitInkNames(options.value("ink-names"));
    const auto started = std::chrono::steady_clock::now();

    std::unique_ptr<ImageReader> reader = openImage(options.positional()[0]);
    if (reader->hasAlpha() && !quiet) {
        std::fprintf(stderr, "varnel: note: '%s' has an alpha channel; it is composited over white paper\n",
                     reader->path().c_str());
    }
    // Fail on an unwritable output before the configuration (and perhaps
    // a cache) is loaded.
    { PendingFile probe(options.value("output")); }

    ConfigRequest request;
    request.nameOrPath = options.value("config");
    request.hasExtraText = options.has("extra");
    request.extraText = options.value("extra");
    request.useCache = options.has("cache");
    request.cacheFolder = options.value("cache-dir");
    std::unique_ptr<Configuration> config;
    {
        ProgressBar cacheBar("building cache", 16777216, ProgressBar::wanted(quiet));
        g_cacheBar = &cacheBar;
        try {
            config = std::make_unique<Configuration>(request, &onCacheProgress);
        } catch (...) {
            g_cacheBar = nullptr;
            throw;
        }
        g_cacheBar = nullptr;
        if (config->needsCacheBuild()) cacheBar.finish();
    }
    const std::vector<InkInfo> inks = describeInks(config->masks(), config->channels(), inkNames);

    OutputRequest outputRequest;
    outputRequest.tiffPath = options.value("output");
    outputRequest.platesFolder = options.value("plates");
    outputRequest.proofPath = options.value("proof");
    outputRequest.tacMapPath = options.value("tac-map");
    outputRequest.reportPath = options.value("report");
    outputRequest.bits = depth;
    const uint32_t rowsPerStrip = SeparatedTiffWriter::rowsPerStripFor(reader->width(), config->channels(), depth);
    SeparationOutputs outputs(outputRequest, reader->width(), reader->height(), inks, rowsPerStrip);

    const BandPlan plan = BandPlan::make(reader->width(), reader->height(), rowsPerStrip, threads);
    BandFormat format;
    format.width = reader->width();
    format.channels = config->channels();
    format.inputBits = reader->bits();
    format.outputBits = depth;
    format.rowsPerStrip = rowsPerStrip;
    format.proof = !outputRequest.proofPath.empty();
    format.tacMap = !outputRequest.tacMapPath.empty();
    format.tacLimitPercent = tacLimit;
    const ProofSimulator proof(inks);
    const TacMapPainter tacMap(config->channels(), depth, tacLimit);
    std::vector<std::unique_ptr<BandConverter>> converters;
    const uint32_t instances = std::min<uint32_t>(static_cast<uint32_t>(threads), plan.bandCount);
    converters.push_back(std::make_unique<BandConverter>(config->takePrimary(), format, proof, tacMap));
    for (uint32_t i = 1; i < instances; ++i) {
        converters.push_back(std::make_unique<BandConverter>(config->loadInstance(), format, proof, tacMap));
    }

    const uint64_t pixels = static_cast<uint64_t>(reader->width()) * reader->height();
    ProgressBar bar("separating", pixels, ProgressBar::wanted(quiet));
    SeparationJob job(*reader, outputs, plan, std::move(converters));
    job.run(bar);
    const InkCoverage coverage = job.coverage();
    ReportSubject subject;
    subject.input = reader->path();
    subject.configuration = config->displayName();
    subject.width = reader->width();
    subject.height = reader->height();
    subject.bits = depth;
    outputs.finish(outputRequest.reportPath.empty() ? std::string() : coverageJson(coverage, inks, subject));
    bar.finish();

    if (!quiet) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::string names;
        for (const InkInfo& ink : inks) names += (names.empty() ? "" : ", ") + ink.name;
        std::printf("separated %s (%ux%u, %d-bit) with %s into %d inks (%s), %d-bit, in %.2f s (%.1f MPix/s, %u thread%s)\n",
                    reader->path().c_str(), reader->width(), reader->height(), reader->bits(),
                    config->displayName().c_str(), config->channels(), names.c_str(), depth, seconds,
                    seconds > 0 ? static_cast<double>(pixels) / seconds / 1e6 : 0.0, instances,
                    instances == 1 ? "" : "s");
        std::fputs(coverageSummary(coverage, inks).c_str(), stdout);
        for (const std::string& path : outputs.paths()) std::printf("  wrote %s\n", path.c_str());
    }
    return 0;
}

} // namespace varnel_tool
