#include "interface/VarnelMergedText.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Statement {
    size_t first;  // first character after leading blanks
    size_t end;    // the closing ';', or the text's end
    std::string key;  // up to and with '=', without a leading '*'; empty: none
};

std::vector<Statement> Statements(const std::string& text)
{
    std::vector<Statement> statements;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        size_t first = start;
        while (first < end && IsBlank(text[first]))
            ++first;
        const size_t keyStart = first < end && text[first] == '*' ? first + 1 : first;
        const size_t equals = text.find('=', keyStart);
        std::string key;
        if (first < end && text[first] != '#' && equals < end)
            key = text.substr(keyStart, equals + 1 - keyStart);
        statements.push_back({first, end, key});
        start = end + 1;
    }
    return statements;
}

} // namespace

std::string CVarnelMergedText::Merge(const std::string& text, const std::string& extra)
{
    std::set<std::string> overridden;
    std::string appended;
    for (const Statement& statement : Statements(extra)) {
        // Only closed statements count, as when the extra text is read.
        if (statement.key.empty() || statement.end == extra.size())
            continue;
        overridden.insert(statement.key);
        appended.append(extra, statement.first, statement.end + 1 - statement.first);
    }
    // The first text keeps its line structure (its variable definitions
    // depend on it); its overridden statements are cut out with their ';'.
    std::string merged;
    size_t copied = 0;
    for (const Statement& statement : Statements(text)) {
        if (statement.key.empty() || overridden.count(statement.key) == 0)
            continue;
        merged.append(text, copied, statement.first - copied);
        copied = std::min(statement.end + 1, text.size());
    }
    merged.append(text, copied, std::string::npos);
    // Appended to the last line, which ends without a line break: a line
    // break would turn a last line into one that defines variables.
    if (!merged.empty() && merged.back() != ';' && !appended.empty())
        merged += ';';
    return merged + appended;
}
