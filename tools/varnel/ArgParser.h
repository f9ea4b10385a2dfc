// A small command-line parser shared by the subcommands: long options with
// an optional one-letter alias, options with or without a value, and
// positional arguments in between.
#ifndef VARNEL_TOOL_ARGPARSER_H
#define VARNEL_TOOL_ARGPARSER_H

#include <map>
#include <string>
#include <vector>

namespace varnel_tool {

struct OptionRule {
    std::string longName;  // without the leading "--"
    char shortName;        // 0 when the option has no one-letter alias
    bool takesValue;
};

class ParsedArgs {
public:
    // Throws UsageError for an unknown option, a missing value or an option
    // given twice. "--name=value" and "--name value" are both accepted;
    // "--" ends the options.
    ParsedArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& options);

    bool has(const std::string& longName) const;
    std::string value(const std::string& longName, const std::string& fallback = "") const;
    // The option's value as an integer within [minimum, maximum];
    // fallback when the option is absent. Throws UsageError otherwise.
    long integer(const std::string& longName, long minimum, long maximum, long fallback) const;
    const std::vector<std::string>& positional() const { return m_positional; }

private:
    std::map<std::string, std::string> m_options;
    std::vector<std::string> m_positional;
};

// Parses a whole decimal integer within [minimum, maximum]; what names the
// value in the error message.
long parseInteger(const std::string& text, long minimum, long maximum, const std::string& what);

} // namespace varnel_tool

#endif
