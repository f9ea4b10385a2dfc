// The library's own exception: what() names the kind of error, Message()
// carries the details. Reports read "<what>: <message>".
#pragma once

#include <exception>
#include <string>

class KException : public std::exception {
public:
    explicit KException(std::string message, std::string kind = "KException");
    const char* what() const noexcept override;
    const std::string& Message() const noexcept;

private:
    std::string m_kind;
    std::string m_message;
};
