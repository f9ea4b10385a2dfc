// varnel chart: a picture of what a configuration does.
#include "ArgParser.h"
#include "ChartPainter.h"
#include "Commands.h"
#include "Configuration.h"
#include "Inks.h"
#include "OutputFormat.h"
#include "PendingFile.h"
#include "ToolError.h"

#include <cstdio>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel chart -c CONFIG -o CHART.png [-x TEXT] [--ink-names LIST]\n"
    "\n"
    "Draws what a configuration does: at the top each ink's amount over the\n"
    "hue circle at full saturation, in the ink's colour; below a grid of hue\n"
    "(columns, 15 degrees apart) by lightness (rows) with each patch's\n"
    "original colour, a simulated print of it and one bar per ink.\n"
    "\n"
    "options:\n"
    "  -c, --config CONFIG   a preset name (varnel presets) or a .cfg file\n"
    "  -x, --extra TEXT      configuration text applied over CONFIG\n"
    "  -o, --output FILE     the PNG to write\n"
    "      --ink-names LIST  comma-separated names, one per ink\n"
    "  -h, --help            this text\n";

const std::vector<OptionRule> kOptions = {
    {"config", 'c', true}, {"extra", 'x', true}, {"output", 'o', true}, {"ink-names", 0, true}, {"help", 'h', false},
};

} // namespace

int runChart(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (!options.positional().empty()) throw UsageError("chart takes no positional arguments");
    if (!options.has("config")) throw UsageError("chart needs -c CONFIG");
    if (!options.has("output")) throw UsageError("chart needs -o CHART.png");
    std::vector<std::string> inkNames;
    if (options.has("ink-names")) inkNames = splitInkNames(options.value("ink-names"));
    OutputFormat::of(options.value("output"), "-o", {FileFormat::Png});
    PendingFile file(options.value("output"), PendingFile::Access::Sequential);
    ConfigRequest request;
    request.nameOrPath = options.value("config");
    request.hasExtraText = options.has("extra");
    request.extraText = options.value("extra");
    Configuration config(request);
    const std::vector<InkInfo> inks = describeInks(config.separation(), inkNames);
    ChartPainter painter(config.separation(), config.displayName(), inks);
    painter.writePng(file);
    file.commit();
    return 0;
}

} // namespace varnel_tool
