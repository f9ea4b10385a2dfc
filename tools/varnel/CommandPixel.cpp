// varnel pixel: the inks of one colour, as an operator reads them.
#include "ArgParser.h"
#include "Commands.h"
#include "Configuration.h"
#include "Inks.h"
#include "ToolError.h"

#include <cstdio>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel pixel R G B -c CONFIG [-x TEXT] [--16] [--ink-names LIST]\n"
    "\n"
    "Separates one RGB colour and prints one line per ink: its name, the ink\n"
    "coverage in per cent (0 = paper, 100 = full ink) and the value the\n"
    "library returns (255, or 65535 with --16, means no ink).\n"
    "\n"
    "options:\n"
    "  -c, --config CONFIG   a preset name (varnel presets) or a .cfg file\n"
    "  -x, --extra TEXT      configuration text applied over CONFIG\n"
    "      --16              R G B are 16-bit values (0 to 65535) and the\n"
    "                        library's 16-bit conversion is used\n"
    "      --ink-names LIST  comma-separated names, one per ink\n"
    "  -h, --help            this text\n";

const std::vector<OptionRule> kOptions = {
    {"config", 'c', true}, {"extra", 'x', true}, {"16", 0, false}, {"ink-names", 0, true}, {"help", 'h', false},
};

} // namespace

int runPixel(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.positional().size() != 3) throw UsageError("pixel needs three values R G B");
    if (!options.has("config")) throw UsageError("pixel needs -c CONFIG");
    const bool wide = options.has("16");
    const long max = wide ? 65535 : 255;
    long rgb[3];
    static const char* const kNames[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) rgb[i] = parseInteger(options.positional()[i], 0, max, kNames[i]);
    std::vector<std::string> inkNames;
    if (options.has("ink-names")) inkNames = splitInkNames(options.value("ink-names"));

    ConfigRequest request;
    request.nameOrPath = options.value("config");
    request.hasExtraText = options.has("extra");
    request.extraText = options.value("extra");
    Configuration config(request);
    const std::vector<InkInfo> inks = describeInks(config.separation(), inkNames);

    long values[VARNEL_MAX_CHANNELS] = {0};
    try {
        if (wide) {
            const uint16_t in[3] = {static_cast<uint16_t>(rgb[0]), static_cast<uint16_t>(rgb[1]),
                                    static_cast<uint16_t>(rgb[2])};
            uint16_t out[VARNEL_MAX_CHANNELS] = {0};
            config.separation().convert(in, out, 1);
            for (int c = 0; c < config.channels(); ++c) values[c] = out[c];
        } else {
            const uint8_t in[3] = {static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
                                   static_cast<uint8_t>(rgb[2])};
            uint8_t out[VARNEL_MAX_CHANNELS] = {0};
            config.separation().convert(in, out, 1);
            for (int c = 0; c < config.channels(); ++c) values[c] = out[c];
        }
    } catch (const varnel::Error& error) {
        throw ToolError(std::string("the library failed to separate the colour (") + error.what() + ")");
    }

    std::printf("%s: R %ld G %ld B %ld (%d-bit)\n", config.displayName().c_str(), rgb[0], rgb[1], rgb[2],
                wide ? 16 : 8);
    for (int c = 0; c < config.channels(); ++c) {
        const double coverage = 100.0 * static_cast<double>(max - values[c]) / static_cast<double>(max);
        std::printf("  %-10s %5.1f %%   %5ld\n", inks[static_cast<size_t>(c)].name.c_str(), coverage, values[c]);
    }
    return 0;
}

} // namespace varnel_tool
