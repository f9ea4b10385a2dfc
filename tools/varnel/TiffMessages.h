// libtiff prints its errors and warnings on stderr by default. The tool
// keeps stderr to its own one-line messages, so libtiff's messages are
// caught here and the last error becomes part of the tool's message.
#ifndef VARNEL_TOOL_TIFFMESSAGES_H
#define VARNEL_TOOL_TIFFMESSAGES_H

#include <string>

namespace varnel_tool {

// Installs the handlers (once; safe to call often).
void captureTiffMessages();
// The last libtiff error on this thread, or a generic phrase.
std::string lastTiffError();

} // namespace varnel_tool

#endif
