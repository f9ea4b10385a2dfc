// varnel check: what the library would make of a configuration, listed
// like a compiler's diagnostics; and the same check before a separation.
#include "ArgParser.h"
#include "Commands.h"
#include "ToolError.h"

#include <varnel/separation.h>

#include <cstdio>

namespace varnel_tool {

namespace {

const char kHelp[] =
    "usage: varnel check CONFIG [-x TEXT]\n"
    "\n"
    "Reads a configuration (a preset name or a .cfg file, and the extra\n"
    "text applied over it) as a separation would, and prints one line per\n"
    "finding: FILE:LINE: error|warning: MESSAGE: STATEMENT, where FILE is the\n"
    "preset, the file or <extra> for the extra text.\n"
    "\n"
    "Errors are statements the library does not read as they are written:\n"
    "an unknown or misspelt key, a key in lower case, a value that is no\n"
    "number or out of range, a channel past CHANNELS, a number past 15, too\n"
    "few or too many fields, and whatever keeps the configuration from\n"
    "loading. Warnings: a channel that no mask computes (a solid plate), a\n"
    "value the library clamps, a variable definition that is never read, a\n"
    "key given twice (only the first counts). docs/configuration.md\n"
    "describes every key.\n"
    "\n"
    "The exit status is 1 when there is an error, 0 otherwise.\n"
    "\n"
    "options:\n"
    "  -x, --extra TEXT      configuration text applied over CONFIG\n"
    "  -h, --help            this text\n";

const std::vector<OptionRule> kOptions = {{"extra", 'x', true}, {"help", 'h', false}};

struct Collector {
    const char* configName;
    bool preset;
    ConfigCheckResult* result;
};

// A name without an extension names a preset, whatever folder stands in
// front of it.
bool namesPreset(const std::string& config) {
    const size_t slash = config.find_last_of('/');
    return config.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos;
}

// One line per finding; line breaks inside a statement or message would
// split it, so they become blanks.
void collectFinding(int severity, int text, unsigned line, const char* statement, const char* message, void* user) {
    const Collector& collector = *static_cast<const Collector*>(user);
    const bool error = severity == VARNEL_FINDING_ERROR;
    std::string lineText = std::string(text == VARNEL_TEXT_EXTRA ? "<extra>" : collector.configName) + ":";
    if (line > 0) lineText += std::to_string(line) + ":";
    lineText += std::string(" ") + (error ? "error" : "warning") + ": " + message;
    if (*statement != '\0') lineText += std::string(": ") + statement;
    for (char& c : lineText)
        if (c == '\n' || c == '\r') c = ' ';
    collector.result->findings.push_back({error, collector.preset && text == VARNEL_TEXT_CONFIG, lineText});
}

} // namespace

ConfigCheckResult checkConfiguration(const std::string& config, const char* extra) {
    ConfigCheckResult result;
    Collector collector{config.c_str(), namesPreset(config), &result};
    result.status = varnel_check(config.c_str(), extra, &collectFinding, &collector, &result.errors, &result.warnings);
    if (result.status == VARNEL_ERROR_MEMORY) throw ToolError("out of memory while checking '" + config + "'");
    return result;
}

int runCheck(const Arguments& args) {
    const ParsedArgs options(args, kOptions);
    if (options.has("help")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.positional().size() != 1) throw UsageError("check needs one CONFIG (varnel check --help)");
    const std::string config = options.positional()[0];
    const std::string extra = options.value("extra");
    const ConfigCheckResult result = checkConfiguration(config, options.has("extra") ? extra.c_str() : nullptr);
    for (const ConfigCheckResult::Finding& finding : result.findings) std::printf("%s\n", finding.line.c_str());
    std::printf("%s: %zu error%s, %zu warning%s\n", config.c_str(), result.errors, result.errors == 1 ? "" : "s",
                result.warnings, result.warnings == 1 ? "" : "s");
    return result.errors > 0 ? 1 : 0;
}

} // namespace varnel_tool
