// The subcommands of the varnel tool. Each takes the arguments after its
// name, prints its own help for --help, and returns the exit status;
// failures are thrown as ToolError or UsageError.
#ifndef VARNEL_TOOL_COMMANDS_H
#define VARNEL_TOOL_COMMANDS_H

#include <cstddef>
#include <string>
#include <vector>

namespace varnel_tool {

using Arguments = std::vector<std::string>;

int runPresets(const Arguments& args);
int runShow(const Arguments& args);
int runPixel(const Arguments& args);
int runSeparate(const Arguments& args);
int runChart(const Arguments& args);
int runTestChart(const Arguments& args);
int runCheck(const Arguments& args);

struct ConfigCheckResult {
    struct Finding {
        bool error;
        bool inPresetText;  // in a built-in preset's own text
        std::string line;  // FILE:LINE: error|warning: MESSAGE: STATEMENT
    };
    int status = 0;  // varnel_load's status for the configuration
    size_t errors = 0;
    size_t warnings = 0;
    std::vector<Finding> findings;
};
// Checks a configuration (and the extra text, when not null) as `varnel
// check` does. Throws ToolError when memory runs short.
ConfigCheckResult checkConfiguration(const std::string& config, const char* extra);

} // namespace varnel_tool

#endif
