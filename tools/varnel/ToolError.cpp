#include "ToolError.h"

#include <cstring>

namespace varnel_tool {

std::string systemErrorText(int errorNumber) {
    return std::strerror(errorNumber);
}

} // namespace varnel_tool
