#include "ArgParser.h"

#include "ToolError.h"

#include <cerrno>
#include <cstdlib>

namespace varnel_tool {

namespace {

const OptionRule* findLong(const std::vector<OptionRule>& options, const std::string& name) {
    for (const OptionRule& option : options) {
        if (option.longName == name) return &option;
    }
    return nullptr;
}

const OptionRule* findShort(const std::vector<OptionRule>& options, char name) {
    for (const OptionRule& option : options) {
        if (option.shortName != 0 && option.shortName == name) return &option;
    }
    return nullptr;
}

} // namespace

ParsedArgs::ParsedArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& options) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            m_positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionRule* option = nullptr;
        std::string inlineValue;
        bool hasInlineValue = false;
        if (arg[1] == '-') {
            std::string name = arg.substr(2);
            const size_t equals = name.find('=');
            if (equals != std::string::npos) {
                inlineValue = name.substr(equals + 1);
                hasInlineValue = true;
                name.resize(equals);
            }
            option = findLong(options, name);
        } else if (arg.size() == 2) {
            option = findShort(options, arg[1]);
        }
        if (option == nullptr) throw UsageError("unknown option '" + arg + "'");
        if (m_options.count(option->longName) != 0) {
            throw UsageError("option --" + option->longName + " given twice");
        }
        std::string value;
        if (option->takesValue) {
            if (hasInlineValue) {
                value = inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError("option --" + option->longName + " needs a value");
            }
        } else if (hasInlineValue) {
            throw UsageError("option --" + option->longName + " takes no value");
        }
        m_options[option->longName] = value;
    }
}

bool ParsedArgs::has(const std::string& longName) const {
    return m_options.count(longName) != 0;
}

std::string ParsedArgs::value(const std::string& longName, const std::string& fallback) const {
    const auto it = m_options.find(longName);
    return it == m_options.end() ? fallback : it->second;
}

long ParsedArgs::integer(const std::string& longName, long minimum, long maximum, long fallback) const {
    if (!has(longName)) return fallback;
    return parseInteger(value(longName), minimum, maximum, "--" + longName);
}

long parseInteger(const std::string& text, long minimum, long maximum, const std::string& what) {
    const std::string range = " (" + std::to_string(minimum) + " to " + std::to_string(maximum) + ")";
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError(what + " must be a whole number" + range + ", not '" + text + "'");
    }
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || parsed < minimum || parsed > maximum) {
        throw UsageError(what + " is out of range" + range + ": " + text);
    }
    return static_cast<long>(parsed);
}

} // namespace varnel_tool
