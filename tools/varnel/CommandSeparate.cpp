// varnel separate: image files to separated TIFFs, plates, proofs and
// coverage reports.
#include "ArgParser.h"
#include "BatchTargets.h"
#include "Commands.h"
#include "Configuration.h"
#include "Inks.h"
#include "CoverageReport.h"
#include "ImageReader.h"
#include "InputColour.h"
#include "OutputClaims.h"
#include "OutputFormat.h"
#include "PendingFile.h"
#include "SeparationRunner.h"
#include "ToolError.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel separate INPUT -c CONFIG -o OUTPUT.tif [options]\n"
    "       varnel separate INPUT... -c CONFIG -o FOLDER/ [options]\n"
    "\n"
    "Separates an RGB image into one channel per ink and writes a separated\n"
    "TIFF (compressed strips) with the ink names in its InkNames tag. The inks\n"
    "past the fourth are also described as named spot channels with their\n"
    "display colours, in the image resources of tag 34377 that image editors\n"
    "and RIPs read.\n"
    "\n"
    "With several inputs, or when -o names a folder, each INPUT becomes\n"
    "FOLDER/NAME.tif (NAME: its file name without the extension); --proof,\n"
    "--tac-map and --report then name folders, which receive NAME-proof.png,\n"
    "NAME-tac-map.png and NAME.json. Plates are always NAME-<ink>.png in the\n"
    "--plates folder, so that the plates of several images can share it. An image\n"
    "that fails gets its message and the others go on; the exit status is 0\n"
    "only when every image was separated.\n"
    "\n"
    "INPUT is PNG, TIFF or JPEG: grey, RGB, palette, CMYK or Lab, 1 to 16 bits\n"
    "per component; TIFF in strips or tiles. Grey input is taken as R = G = B;\n"
    "an alpha channel is composited over white paper. An embedded ICC profile\n"
    "is honoured: the pixels are converted to sRGB, the separation's working\n"
    "space, at 16 bits. Untagged grey and RGB are taken as sRGB.\n"
    "\n"
    "TIFF counts 0 as no ink and the maximum as full ink; the library counts\n"
    "the opposite (255 or 65535 = no ink), so the values are inverted on\n"
    "writing. Plates show the library's sense: white paper, black ink.\n"
    "\n"
    "options:\n"
    "  -c, --config CONFIG   a preset name (varnel presets) or a .cfg file\n"
    "  -x, --extra TEXT      configuration text applied over CONFIG\n"
    "  -o, --output FILE     the separated TIFF (.tif, .tiff) or PSD (.psd, .psb)\n"
    "                        to write, or the folder for them (a name ending\n"
    "                        in '/' or an existing folder); every output's\n"
    "                        format follows its name, and a name that names\n"
    "                        no format it can take is refused\n"
    "      --depth 8|16      bits per ink value in the outputs (default 8)\n"
    "      --plates DIR      also write one greyscale PNG per ink into DIR,\n"
    "                        named after the image: photo-Cyan.png\n"
    "      --proof FILE.png  also write an RGB PNG that simulates the print;\n"
    "                        a picture for a person, not a colorimetric proof\n"
    "      --ink-names LIST  comma-separated names, one per ink, instead of\n"
    "                        the names derived from the inks' hue ranges\n"
    "      --ink-colors LIST comma-separated colours RRGGBB, one per ink, that\n"
    "                        show the inks in the proof and in the files' spot\n"
    "                        channel information, instead of the colours\n"
    "                        derived from the inks' hue ranges\n"
    "      --tac-limit PERCENT  the press's limit on total area coverage, the\n"
    "                        sum of all inks' coverage (default 300)\n"
    "      --report FILE.json  also write the ink coverage as JSON, with a\n"
    "                        histogram per ink in whole per cent\n"
    "      --tac-map FILE.png  also write an RGB PNG of the total coverage\n"
    "                        against the limit: grey below 80 % of it (darker\n"
    "                        with more ink), yellow to orange up to it, red above\n"
    "      --cache           use the library's separation cache: every 8-bit\n"
    "                        colour is separated once and kept in a file; each\n"
    "                        thread then holds a table of inks x 16 MiB\n"
    "                        (96 MiB for 6 inks) and 16-bit values are\n"
    "                        quantised to 8 bits on the way in and out\n"
    "      --cache-dir DIR   folder of the cache files, with --cache (default:\n"
    "                        the system's temporary folder); a note says when\n"
    "                        the cache cannot be kept there\n"
    "      --format tiff|psd in a folder: the separations as separated TIFFs\n"
    "                        (default) or as multichannel PSDs (PSB past\n"
    "                        30,000 pixels a side), one named spot channel per ink,\n"
    "                        uncompressed, in the library's sense (255 or\n"
    "                        65535 = no ink)\n"
    "      --compression deflate|zstd|lzw|none\n"
    "                        the TIFF's compression (default deflate); deflate\n"
    "                        and zstd strips are compressed on every thread,\n"
    "                        with the horizontal predictor\n"
    "      --bigtiff auto|yes|no  64-bit offsets, which many RIPs cannot open:\n"
    "                        auto (default) writes a classic TIFF unless the\n"
    "                        file outgrows its 4 GiB (a compressed file that\n"
    "                        does is written again as a BigTIFF); no refuses\n"
    "                        to go past them\n"
    "      --level N         deflate: 1 (fastest) to 12 (smallest), default 4;\n"
    "                        zstd: 1 to 19, default 3\n"
    "      --intent NAME     rendering intent of the conversion to sRGB:\n"
    "                        perceptual (default), relative (with black-point\n"
    "                        compensation), saturation or absolute\n"
    "      --input-profile FILE  the ICC profile of INPUT: assigned to an\n"
    "                        untagged image, overrides an embedded one; CMYK\n"
    "                        input without an embedded profile needs it\n"
    "      --no-color-management  take grey and RGB values as they stand\n"
    "      --page N          the page of a multi-page TIFF to separate (default\n"
    "                        1; a note says when a file has more)\n"
    "      --no-auto-orient  keep the stored order of the rows; by default an\n"
    "                        image whose file (EXIF or TIFF Orientation) asks\n"
    "                        to be shown turned or mirrored is separated as\n"
    "                        shown, which holds the whole picture in memory\n"
    "                        (3 bytes a pixel, 6 for 16-bit or profiled input)\n"
    "      --threads N       threads, one library instance each (default: the\n"
    "                        number of cores); each also takes its turn at\n"
    "                        reading and writing, so N threads use N cores;\n"
    "                        the output does not depend on N\n"
    "      --force           separate even when the configuration check finds\n"
    "                        errors (varnel check lists them)\n"
    "  -q, --quiet           no progress bar, notes, summary or configuration\n"
    "                        warnings\n"
    "  -h, --help            this text\n"
    "\n"
    "The image is read and written strip by strip: memory stays at a few\n"
    "megabytes per thread (plus the cache tables) whatever the image size,\n"
    "except for a turned image (above), an interlaced PNG (the whole\n"
    "picture) and a progressive JPEG (2 bytes a sample), each refused past\n"
    "1 GiB. The plates, the proof and the TAC map are PNGs compressed on\n"
    "the separating threads, band by band like the TIFF: with plates and a\n"
    "proof a run costs some 1.4 times the CPU time of the separation alone.\n"
    "\n"
    "The outputs keep the resolution the input states (TIFF, JFIF or EXIF,\n"
    "pHYs); the TIFF also records the configuration, the extra text and the\n"
    "version that made it (ImageDescription, Software).\n"
    "Files are written under temporary names and renamed when complete; an\n"
    "interrupted run leaves nothing behind. No output may be an input or\n"
    "another output (the same file under any name). An output that is a link\n"
    "has the file it points to replaced; a FIFO or device is written into\n"
    "(PNG and JSON) or refused (TIFF and PSD need a regular file).\n"
    "\n"
    "The summary gives each ink's mean coverage, the largest total coverage\n"
    "with the first pixel (x, y) that has it, and the share of pixels whose\n"
    "total exceeds the TAC limit.\n";

const std::vector<OptionRule> kOptions = {
    {"config", 'c', true},  {"extra", 'x', true},      {"output", 'o', true},   {"depth", 0, true},
    {"plates", 0, true},    {"proof", 0, true},        {"ink-names", 0, true},  {"cache", 0, false},
    {"cache-dir", 0, true}, {"threads", 0, true},      {"quiet", 'q', false},   {"help", 'h', false},
    {"tac-limit", 0, true}, {"tac-map", 0, true},      {"report", 0, true},     {"compression", 0, true},
    {"level", 0, true},     {"ink-colors", 0, true},   {"format", 0, true},
    {"intent", 0, true},    {"input-profile", 0, true}, {"no-color-management", 0, false},
    {"no-auto-orient", 0, false}, {"force", 0, false}, {"page", 0, true},
    {"bigtiff", 0, true},
};

// The cache build reports through a plain function pointer; this is where
// it finds the bar to draw on. Null outside the build.
ProgressBar* g_cacheBar = nullptr;

int onCacheProgress(double percent, void*) {
    if (g_cacheBar != nullptr) g_cacheBar->update(static_cast<uint64_t>(percent * 167772.16));
    return 0;
}

int defaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

// One input of the command and where its files go.
struct ImageTask {
    std::string input;
    OutputRequest outputs;
    std::unique_ptr<ImageReader> reader;  // kept open only for a single image
    std::string colour;  // what colour management does, for the summary
    uint64_t pixels = 0;
    std::string error;  // set when the image cannot be separated
};

// How inputs are read.
struct InputOptions {
    InputColourOptions colour;
    bool autoOrient = true;
    uint32_t page = 1;  // of a multi-page TIFF; the first is 1
};

// Opens an input with the conversion of its colours to sRGB and its
// orientation in place.
std::unique_ptr<ImageReader> openInput(ImageTask& task, const InputOptions& input) {
    std::unique_ptr<ImageReader> reader = openImage(task.input, input.page);
    task.colour = manageInputColour(*reader, input.colour);
    if (input.autoOrient) reader->applyOrientation();
    return reader;
}

// The summary's line on the orientation; empty for the stored order.
std::string orientationLine(const ImageReader& reader) {
    const Orientation& orientation = reader.orientation();
    if (orientation.isStoredOrder()) return std::string();
    const std::string value = std::to_string(orientation.value());
    if (reader.orientationApplied()) return orientation.description() + ", as its orientation " + value + " asks";
    return "kept as stored (--no-auto-orient); its orientation " + value + " (" + orientation.description() +
           ") is recorded in the TIFF";
}

std::string resolutionLine(const Resolution& resolution) {
    if (!resolution.known()) return "none stated; the outputs state none either";
    char text[64];
    if (resolution.x == resolution.y) {
        std::snprintf(text, sizeof text, "%g dpi", resolution.x);
    } else {
        std::snprintf(text, sizeof text, "%g x %g dpi", resolution.x, resolution.y);
    }
    return text;
}

// What the user may not expect of an input: its alpha channel, and the
// pages of a multi-page TIFF that are not separated.
void noteInput(const ImageReader& reader, const InputOptions& input, bool quiet) {
    if (quiet) return;
    if (reader.hasAlpha()) {
        std::fprintf(stderr, "varnel: note: '%s' has an alpha channel; it is composited over white paper\n",
                     reader.path().c_str());
    }
    if (reader.pageCount() > 1) {
        std::fprintf(stderr, "varnel: note: '%s' has %u pages; page %u is separated (--page N takes another)\n",
                     reader.path().c_str(), reader.pageCount(), input.page);
    }
}

// What the cache does to the run: 16-bit values pass through 8 bits, and
// a cache that could not be kept is built again on every run.
void noteCache(const Configuration& config, int depth, bool quiet) {
    if (quiet || !config.usesCache()) return;
    if (depth == 16) {
        std::fputs("varnel: note: with --cache each ink has 256 levels: the 16-bit values are looked up at 8 bits\n",
                   stderr);
    }
    struct stat info {};
    if (!config.cacheFilePath().empty() && stat(config.cacheFilePath().c_str(), &info) != 0) {
        std::fprintf(stderr, "varnel: note: the cache could not be kept as '%s'; it is built again on every run\n",
                     config.cacheFilePath().c_str());
    }
}

BigTiff parseBigTiff(const std::string& value) {
    if (value == "auto") return BigTiff::Auto;
    if (value == "yes") return BigTiff::Yes;
    if (value == "no") return BigTiff::No;
    throw UsageError("--bigtiff must be auto, yes or no, not '" + value + "'");
}

// Runs one image; when its classic TIFF outgrows 4 GiB, says so, turns the
// request into a BigTIFF one and returns nothing, for the image to be
// separated again.
std::optional<RunResult> runUnlessClassicFull(SeparationRunner& runner, ImageReader& reader, OutputRequest& request,
                                              ProgressBar& bar, uint64_t done, bool quiet) {
    try {
        return runner.run(reader, request, bar, done);
    } catch (const ClassicTiffFull&) {
        if (!quiet) {
            bar.clear();
            std::fprintf(stderr, "varnel: note: '%s' outgrows the 4 GiB of a classic TIFF; it is written again as "
                                 "a BigTIFF\n", request.separationPath.c_str());
        }
        request.bigTiff = BigTiff::Yes;
        return std::nullopt;
    }
}

// Options that would change nothing are refused rather than ignored.
void refuseIdleOptions(const ParsedArgs& options, bool psd) {
    if (options.has("cache-dir") && !options.has("cache")) {
        throw UsageError("--cache-dir applies only with --cache");
    }
    if (psd && (options.has("compression") || options.has("level"))) {
        throw UsageError("--compression and --level apply only to TIFF; a PSD is stored uncompressed");
    }
}

// Opens every input of a batch once to learn its size (for the progress
// bar) and closes it again; inputs that cannot be read get their error.
BatchTargets batchTargets(const ParsedArgs& options) {
    BatchTargets targets;
    targets.output = options.value("output");
    targets.plates = options.value("plates");
    targets.proof = options.value("proof");
    targets.tacMap = options.value("tac-map");
    targets.report = options.value("report");
    targets.psd = options.value("format") == "psd";
    return targets;
}

std::vector<ImageTask> planBatch(const ParsedArgs& options, int depth, bool quiet, const InputOptions& reading) {
    const BatchTargets targets = batchTargets(options);
    std::vector<ImageTask> tasks;
    for (const std::string& input : options.positional()) {
        ImageTask task;
        task.input = input;
        task.outputs = targets.outputsFor(input, depth);
        try {
            const std::unique_ptr<ImageReader> reader = openInput(task, reading);
            task.pixels = static_cast<uint64_t>(reader->width()) * reader->height();
            noteInput(*reader, reading, quiet);
        } catch (const ToolError& error) {
            task.error = error.what();
        }
        tasks.push_back(std::move(task));
    }
    return tasks;
}

// Refuses (UsageError) a run in which an output is an input or another
// output, before anything is written. Plates are claimed once the inks
// are known.
void claimOutputs(const std::vector<ImageTask>& tasks, OutputClaims& claims) {
    for (const ImageTask& task : tasks) claims.addInput(task.input);
    for (const ImageTask& task : tasks) {
        const OutputRequest& out = task.outputs;
        claims.addOutput(out.separationPath, "-o");
        if (!out.proofPath.empty()) claims.addOutput(out.proofPath, "--proof");
        if (!out.tacMapPath.empty()) claims.addOutput(out.tacMapPath, "--tac-map");
        if (!out.reportPath.empty()) claims.addOutput(out.reportPath, "--report");
    }
}

void claimPlates(const std::vector<ImageTask>& tasks, const std::vector<InkInfo>& inks, OutputClaims& claims) {
    for (const ImageTask& task : tasks) {
        if (task.outputs.platesFolder.empty()) continue;
        for (const InkInfo& ink : inks) claims.addOutput(task.outputs.platePath(ink.name), "--plates");
    }
}

void reportFailure(const ImageTask& task, ProgressBar& bar) {
    bar.clear();
    std::fprintf(stderr, "varnel: %s: %s\n", task.input.c_str(), task.error.c_str());
}

void printSummary(const ImageReader& reader, const std::string& colour, const Configuration& config,
                  const std::vector<InkInfo>& inks, int depth, double seconds, const RunResult& result) {
    std::string names;
    for (const InkInfo& ink : inks) names += (names.empty() ? "" : ", ") + ink.name;
    const double pixels = static_cast<double>(reader.width()) * reader.height();
    std::printf("separated %s (%ux%u, %d-bit) with %s into %d inks (%s), %d-bit, in %.2f s (%.1f MPix/s, %u thread%s)\n",
                reader.path().c_str(), reader.width(), reader.height(), reader.sourceBits(), config.displayName().c_str(),
                config.channels(), names.c_str(), depth, seconds, seconds > 0 ? pixels / seconds / 1e6 : 0.0,
                result.threads, result.threads == 1 ? "" : "s");
    std::printf("  colour: %s\n", colour.c_str());
    const std::string orientation = orientationLine(reader);
    if (!orientation.empty()) std::printf("  orientation: %s\n", orientation.c_str());
    std::printf("  resolution: %s\n", resolutionLine(reader.resolution()).c_str());
    std::fputs(coverageSummary(result.coverage, inks).c_str(), stdout);
    for (const std::string& path : result.paths) std::printf("  wrote %s\n", path.c_str());
    std::fflush(stdout);
}

} // namespace

int runSeparate(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.positional().empty()) throw UsageError("separate needs an INPUT image");
    if (!options.has("config")) throw UsageError("separate needs -c CONFIG");
    if (!options.has("output")) throw UsageError("separate needs -o OUTPUT.tif (or -o FOLDER/)");
    const int depth = static_cast<int>(options.integer("depth", 8, 16, 8));
    if (depth != 8 && depth != 16) throw UsageError("--depth must be 8 or 16");
    RunSettings settings;
    settings.depth = depth;
    settings.threads = static_cast<int>(options.integer("threads", 1, 256, defaultThreads()));
    settings.tacLimitPercent = static_cast<uint32_t>(options.integer("tac-limit", 1, 1600, 300));
    const TiffCompression compression = TiffCompression::parse(options.value("compression"), options.value("level"));
    const std::string format = options.value("format", "tiff");
    if (format != "tiff" && format != "psd") throw UsageError("--format must be tiff or psd, not '" + format + "'");
    const bool quiet = options.has("quiet");
    std::vector<std::string> inkNames;
    if (options.has("ink-names")) inkNames = splitInkNames(options.value("ink-names"));
    InputOptions input;
    InputColourOptions& colour = input.colour;
    colour.managed = !options.has("no-color-management");
    colour.profilePath = options.value("input-profile");
    if (options.has("intent")) colour.intent = parseRenderingIntent(options.value("intent"));
    input.autoOrient = !options.has("no-auto-orient");
    input.page = static_cast<uint32_t>(options.integer("page", 1, 65535, 1));
    if (!colour.managed && (options.has("intent") || options.has("input-profile"))) {
        throw UsageError("--no-color-management excludes --intent and --input-profile");
    }

    const bool batch = options.positional().size() > 1 || namesFolder(options.value("output"));
    bool psd = format == "psd";
    if (!batch) {
        psd = OutputFormat::of(options.value("output"), "-o", {FileFormat::Tiff, FileFormat::Psd}) == FileFormat::Psd;
        if (options.has("format") && psd != (format == "psd")) {
            throw UsageError("--format " + format + " and -o '" + options.value("output") +
                             "' disagree; the name alone decides");
        }
        for (const char* option : {"proof", "tac-map"}) {
            if (options.has(option)) OutputFormat::of(options.value(option), std::string("--") + option, {FileFormat::Png});
        }
        if (options.has("report")) OutputFormat::of(options.value("report"), "--report", {FileFormat::Json});
    }
    refuseIdleOptions(options, psd);
    std::vector<ImageTask> tasks;
    if (batch) {
        tasks = planBatch(options, depth, quiet, input);
    } else {
        ImageTask task;
        task.input = options.positional()[0];
        task.reader = openInput(task, input);
        noteInput(*task.reader, input, quiet);
        task.pixels = static_cast<uint64_t>(task.reader->width()) * task.reader->height();
        task.outputs.separationPath = options.value("output");
        task.outputs.platesFolder = options.value("plates");
        task.outputs.plateStem = stemOf(task.input);
        task.outputs.proofPath = options.value("proof");
        task.outputs.tacMapPath = options.value("tac-map");
        task.outputs.reportPath = options.value("report");
        task.outputs.bits = depth;
        tasks.push_back(std::move(task));
    }
    const BigTiff bigTiff = parseBigTiff(options.value("bigtiff", "auto"));
    for (ImageTask& task : tasks) {
        task.outputs.bigTiff = bigTiff;
        task.outputs.compression = compression;
        task.outputs.psd = psd;
    }
    OutputClaims claims;
    claimOutputs(tasks, claims);
    if (batch) batchTargets(options).createFolders();
    // Fail on an unwritable output before the configuration (and perhaps
    // a cache) is loaded.
    { PendingFile probe(tasks.front().outputs.separationPath); }

    // The configuration is checked first: its errors refuse the run unless
    // --force. One that does not load is left to the loading below, which
    // says why in one line. The warnings of a built-in preset's own text
    // are not shown: the operator cannot change that text (pinned by
    // SeparateCheck.RefusesErrorsUnlessForcedAndShowsWarningsUnlessQuiet).
    const ConfigCheckResult checked =
        checkConfiguration(options.value("config"), options.has("extra") ? options.value("extra").c_str() : nullptr);
    if (checked.status == 0) {
        for (const ConfigCheckResult::Finding& finding : checked.findings)
            if (finding.error || (!quiet && !finding.inPresetText))
                std::fprintf(stderr, "%s\n", finding.line.c_str());
        if (checked.errors > 0 && !options.has("force"))
            throw ToolError("the configuration has " + std::to_string(checked.errors) + " error" +
                            (checked.errors == 1 ? "" : "s") + " (listed above); --force separates anyway");
    }

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
    noteCache(*config, depth, quiet);
    std::vector<InkInfo> inks = describeInks(config->separation(), inkNames);
    if (options.has("ink-colors")) applyInkColours(options.value("ink-colors"), inks);
    claimPlates(tasks, inks, claims);
    SeparationRunner runner(*config, inks, settings);

    uint64_t total = 0;
    for (const ImageTask& task : tasks) total += task.error.empty() ? task.pixels : 0;
    ProgressBar bar("separating", total, ProgressBar::wanted(quiet));
    uint64_t done = 0;
    size_t failed = 0;
    for (ImageTask& task : tasks) {
        if (!task.error.empty()) {
            reportFailure(task, bar);
            ++failed;
            continue;
        }
        try {
            const auto started = std::chrono::steady_clock::now();
            std::unique_ptr<ImageReader> reader = task.reader ? std::move(task.reader) : openInput(task, input);
            std::optional<RunResult> result = runUnlessClassicFull(runner, *reader, task.outputs, bar, done, quiet);
            if (!result) {
                reader = openInput(task, input);
                result = runner.run(*reader, task.outputs, bar, done);
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            if (!quiet) {
                bar.clear();
                printSummary(*reader, task.colour, *config, inks, depth, seconds, *result);
            }
        } catch (const std::exception& error) {
            // A batch goes on with its other images; a single image fails
            // the command as every other error does.
            if (!batch) throw;
            task.error = error.what();
            reportFailure(task, bar);
            ++failed;
        }
        done += task.pixels;
    }
    bar.finish();
    if (failed > 0) {
        std::fprintf(stderr, "varnel: %zu of %zu images failed\n", failed, tasks.size());
        return 1;
    }
    return 0;
}

} // namespace varnel_tool
