#include "config/VarnelStatementList.h"

#include <cstring>
#include <utility>

namespace {

// The loaders' splitter skips every byte up to 32 before a field.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

CVarnelStatementList::CVarnelStatementList(const std::string& text)
{
    const size_t length = std::strlen(text.c_str());
    unsigned line = 1;
    size_t counted = 0;  // line breaks are counted up to here
    for (size_t segment = 0; segment <= length;) {
        size_t end = text.find(';', segment);
        if (end == std::string::npos || end > length)
            end = length;
        size_t start = segment;
        while (start < end && IsBlank(text[start]))
            ++start;
        size_t last = end;
        while (last > start && IsBlank(text[last - 1]))
            --last;
        // A line ends with LF, CR LF or a CR alone.
        for (; counted < start; ++counted)
            if (text[counted] == '\n' || (text[counted] == '\r' && text[counted + 1] != '\n'))
                ++line;
        if (start < last) {
            Statement statement;
            statement.segment = segment;
            statement.start = start;
            statement.end = end;
            statement.line = line;
            statement.written = text.substr(start, last - start);
            statement.starred = statement.written[0] == '*';
            statement.definition = statement.written[0] == '#';
            const size_t equals = statement.written.find('=');
            statement.hasEquals = equals != std::string::npos;
            const size_t keyStart = statement.starred ? 1 : 0;
            statement.key = statement.written.substr(keyStart, statement.hasEquals ? equals - keyStart
                                                                                    : std::string::npos);
            m_statements.push_back(std::move(statement));
        }
        segment = end + 1;
    }
}

int CVarnelStatementList::IndexAt(size_t offset) const
{
    for (size_t i = 0; i < m_statements.size(); ++i)
        if (m_statements[i].segment <= offset && offset <= m_statements[i].end)
            return int(i);
    return -1;
}
