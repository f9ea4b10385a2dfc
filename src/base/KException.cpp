#include "base/KException.h"

#include <utility>

KException::KException(std::string message, std::string kind)
    : m_kind(std::move(kind)), m_message(std::move(message))
{
}

const char* KException::what() const noexcept { return m_kind.c_str(); }

const std::string& KException::Message() const noexcept { return m_message; }
