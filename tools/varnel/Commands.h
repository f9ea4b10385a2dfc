// The subcommands of the varnel tool. Each takes the arguments after its
// name, prints its own help for --help, and returns the exit status;
// failures are thrown as ToolError or UsageError.
#ifndef VARNEL_TOOL_COMMANDS_H
#define VARNEL_TOOL_COMMANDS_H

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

} // namespace varnel_tool

#endif
