// What a separation's files say about themselves beside their pixels.
#ifndef VARNEL_TOOL_OUTPUTMETADATA_H
#define VARNEL_TOOL_OUTPUTMETADATA_H

#include "Orientation.h"
#include "Resolution.h"

#include <string>

namespace varnel_tool {

struct OutputMetadata {
    Resolution resolution;    // the input's, for the rows as written
    Orientation orientation;  // of the rows as written: stored order once applied
    std::string description;  // what made the file: configuration and extra text
};

} // namespace varnel_tool

#endif
