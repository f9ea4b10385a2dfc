// varnel testchart: a generated colour chart to try configurations on.
#include "ArgParser.h"
#include "Commands.h"
#include "PendingFile.h"
#include "PngWriter.h"
#include "RgbTiffWriter.h"
#include "TestChart.h"
#include "ToolError.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel testchart -o FILE.png|FILE.tif [options]\n"
    "\n"
    "Writes a colour test chart: hue circles at four lightnesses, a grey\n"
    "ramp, skin tones and saturated patches on white. A .png name writes a\n"
    "PNG, a .tif or .tiff name an uncompressed RGB TIFF; either is written\n"
    "row by row, so any size works.\n"
    "\n"
    "options:\n"
    "  -o, --output FILE   the image to write\n"
    "      --width N       width in pixels (default 1600)\n"
    "      --height N      height in pixels (default 1000)\n"
    "      --depth 8|16    bits per component (default 8)\n"
    "      --noise N       add fixed pseudo-random noise of up to N levels\n"
    "                      per component (default 0), as in a photograph\n"
    "  -h, --help          this text\n";

const std::vector<OptionRule> kOptions = {
    {"output", 'o', true}, {"width", 0, true}, {"height", 0, true},
    {"depth", 0, true},    {"noise", 0, true}, {"help", 'h', false},
};

bool endsWith(std::string text, const std::string& suffix) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

int runTestChart(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (!options.positional().empty()) throw UsageError("testchart takes no positional arguments");
    if (!options.has("output")) throw UsageError("testchart needs -o FILE");
    const std::string path = options.value("output");
    const bool tiff = endsWith(path, ".tif") || endsWith(path, ".tiff");
    if (!tiff && !endsWith(path, ".png")) throw UsageError("testchart writes .png or .tif files, not '" + path + "'");
    const auto width = static_cast<uint32_t>(options.integer("width", 1, 1000000, 1600));
    const auto height = static_cast<uint32_t>(options.integer("height", 1, 1000000, 1000));
    const int depth = static_cast<int>(options.integer("depth", 8, 16, 8));
    if (depth != 8 && depth != 16) throw UsageError("--depth must be 8 or 16");
    const auto noise = static_cast<unsigned>(options.integer("noise", 0, 65535, 0));

    PendingFile file(path);
    const TestChart chart(width, height);
    std::unique_ptr<PngWriter> png;
    std::unique_ptr<RgbTiffWriter> tif;
    if (tiff) {
        tif = std::make_unique<RgbTiffWriter>(file, width, height, depth);
    } else {
        png = std::make_unique<PngWriter>(file, width, height, 3, depth);
    }
    std::vector<uint16_t> row(static_cast<size_t>(width) * 3);
    std::vector<uint8_t> row8(depth == 8 ? row.size() : 0);
    for (uint32_t y = 0; y < height; ++y) {
        chart.row(y, depth == 8 ? 255 : 65535, noise, row.data());
        const void* data = row.data();
        if (depth == 8) {
            for (size_t i = 0; i < row.size(); ++i) row8[i] = static_cast<uint8_t>(row[i]);
            data = row8.data();
        }
        if (tif) {
            tif->writeRow(data);
        } else {
            png->writeRow(data);
        }
    }
    if (tif) tif->finish();
    if (png) png->finish();
    file.commit();
    return 0;
}

} // namespace varnel_tool
