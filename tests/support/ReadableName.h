// Names of parameterised cases that CTest lists as they read.
#ifndef VARNEL_TESTS_SUPPORT_READABLENAME_H
#define VARNEL_TESTS_SUPPORT_READABLENAME_H

#include <cctype>
#include <string>

// The letters and digits of a text, each word after the first starting
// with a capital ("x leads" -> "xLeads"); "-" before a digit reads
// "Minus". Test names allow nothing else.
inline std::string ReadableName(const std::string& text)
{
    std::string name;
    bool wordStart = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c)) {
            name += wordStart && !name.empty() ? char(std::toupper(c)) : char(c);
            wordStart = false;
        } else {
            if (c == '-' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))
                name += "Minus";
            wordStart = true;
        }
    }
    return name;
}

#endif
