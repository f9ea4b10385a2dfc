#include "interface/VarnelFaultyStatement.h"

#include "config/Varnel.h"

#include <algorithm>
#include <memory>

namespace {

// Each try parses every text again; a text with more statements is only
// reported as a whole.
constexpr unsigned kMaxTries = 256;

bool Loads(const std::vector<std::string>& earlier, const std::string& last)
{
    std::unique_ptr<CVarnel> configuration(new CVarnel());
    for (const std::string& text : earlier)
        if (configuration->ParseText(text.c_str(), long(text.size())) != 0)
            return false;
    return configuration->ParseText(last.c_str(), long(last.size())) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

bool CVarnelFaultyStatement::Find(const std::vector<std::string>& earlier, const std::string& failing,
                                  Finding& finding)
{
    unsigned tries = 0;
    size_t start = 0;
    while (start < failing.size()) {
        const size_t end = std::min(failing.find(';', start), failing.size());
        size_t first = start;
        while (first < end && IsBlank(failing[first]))
            ++first;
        // Switched-off statements, variable definitions and statements
        // without a value cannot fail by themselves.
        const bool candidate = first < end && failing[first] != '*' && failing[first] != '#' &&
                               failing.find('=', first) < end;
        if (candidate) {
            if (++tries > kMaxTries)
                return false;
            std::string switchedOff = failing;
            switchedOff.insert(first, 1, '*');
            if (Loads(earlier, switchedOff)) {
                size_t last = end;
                while (last > first && IsBlank(failing[last - 1]))
                    --last;
                finding.statement = failing.substr(first, last - first);
                finding.line = unsigned(1 + std::count(failing.begin(), failing.begin() + first, '\n'));
                return true;
            }
        }
        start = end + 1;
    }
    return false;
}
