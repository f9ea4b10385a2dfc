// Finds the statement that keeps a configuration text from loading, so that
// a failed load can name it.
#pragma once

#include <string>
#include <vector>

class CVarnelFaultyStatement {
public:
    struct Finding {
        std::string statement;  // as written, without its ';'
        unsigned line = 0;      // 1 for the text's first line
    };

    // The first statement of failing (applied after the texts of earlier,
    // which load, while failing does not) whose switching off ("*" in front
    // of its key) lets the texts load. False when no single statement is to
    // blame, or the text has more statements than are worth trying.
    static bool Find(const std::vector<std::string>& earlier, const std::string& failing, Finding& finding);
};
