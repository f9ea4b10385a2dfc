// The statements of a configuration text as written, with where each
// stands: what the configuration check points at. The loaders do not use
// it; they find keys with FindKey.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CVarnelStatementList {
public:
    struct Statement {
        size_t segment = 0;  // where its part of the text begins (after the ';' before it)
        size_t start = 0;    // its first character that is not blank
        size_t end = 0;      // the ';' that closes it, or the end of the text
        unsigned line = 1;   // the line of its first character, 1 for the first
        std::string written; // as written, without blanks around it and its ';'
        std::string key;     // the text before '=', without a leading '*'
        bool starred = false;    // switched off with a leading '*'
        bool definition = false; // a variable definition, "#_NAME=value"
        bool hasEquals = false;
    };

    // Cuts text at each ';'; a text is read up to its first zero byte, as
    // the loaders read it. Blank parts are left out.
    explicit CVarnelStatementList(const std::string& text);

    const std::vector<Statement>& Statements() const { return m_statements; }
    // The index of the statement whose part of the text holds offset; -1
    // when none does (offset in a blank part).
    int IndexAt(size_t offset) const;

private:
    std::vector<Statement> m_statements;
};
