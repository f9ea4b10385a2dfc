// Errors of the command-line tool. Every failure ends as exactly one line on
// stderr ("varnel: <message>") and a non-zero exit status, so the message
// must be complete and self-explanatory on its own.
#ifndef VARNEL_TOOL_TOOLERROR_H
#define VARNEL_TOOL_TOOLERROR_H

#include <stdexcept>
#include <string>

namespace varnel_tool {

// A failure at run time: unreadable input, unloadable configuration,
// unwritable output. Exit status 1.
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// A malformed command line. Exit status 2, as is usual for usage errors.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// The text of errno as a short phrase, for messages like
// "cannot open 'x.png': No such file or directory".
std::string systemErrorText(int errorNumber);

} // namespace varnel_tool

#endif
