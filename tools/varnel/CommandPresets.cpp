// varnel presets / varnel show: what the library has built in.
#include "ArgParser.h"
#include "Commands.h"
#include "Configuration.h"
#include "Inks.h"
#include "PresetSuggestion.h"
#include "ToolError.h"

#include <cstdio>

namespace varnel_tool {

namespace {

const char kPresetsHelp[] =
    "usage: varnel presets\n"
    "\n"
    "Lists the built-in presets: name, number of inks and the inks in channel\n"
    "order. Extra inks are named after the hue range their mask covers.\n";

const char kShowHelp[] =
    "usage: varnel show PRESET\n"
    "\n"
    "Prints a preset's configuration text, one statement a line, each closed\n"
    "by ';'. Saved to a .cfg file it loads as the same configuration:\n"
    "  varnel show HUE_PARAM_CMYKOG > mine.cfg\n"
    "  varnel separate photo.jpg -c mine.cfg -o photo.tif\n"
    "A statement that starts with '*' is switched off.\n";

const std::vector<OptionRule> kHelpOnly = {{"help", 'h', false}};

} // namespace

int runPresets(const Arguments& args) {
    const ParsedArgs options(args, kHelpOnly);
    if (options.has("help")) {
        std::fputs(kPresetsHelp, stdout);
        return 0;
    }
    if (!options.positional().empty()) throw UsageError("presets takes no arguments");
    for (const std::string& name : presetNames()) {
        ConfigRequest request;
        request.nameOrPath = name;
        const Configuration config(request);
        std::string inks;
        for (const InkInfo& ink : describeInks(config.separation(), {})) {
            inks += (inks.empty() ? "" : " ") + ink.name;
        }
        std::printf("%-20s %d  %s\n", name.c_str(), config.channels(), inks.c_str());
    }
    return 0;
}

int runShow(const Arguments& args) {
    const ParsedArgs options(args, kHelpOnly);
    if (options.has("help")) {
        std::fputs(kShowHelp, stdout);
        return 0;
    }
    if (options.positional().size() != 1) throw UsageError("show needs exactly one PRESET name");
    const std::string& name = options.positional()[0];
    std::string text;
    if (!presetText(name, text)) throw ToolError(PresetSuggestion::unknownPresetMessage(name));
    // The library takes a value up to the next ';' (a line break does not
    // end it), so every line is closed with ';' to load as it reads. Lines
    // end in LF only: a CR would turn the '#' statements into variable
    // definitions, which the preset's single-line text does not have.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) std::printf("%s;\n", text.substr(start, end - start).c_str());
        start = end + 1;
    }
    return 0;
}

} // namespace varnel_tool
