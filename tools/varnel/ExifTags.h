// The few EXIF tags of a camera image that decide how it is printed: its
// Orientation and its resolution. EXIF is a small TIFF structure (from a
// JPEG's APP1 marker, after "Exif\0\0", or a PNG's eXIf chunk); only the
// first directory is read, every offset is checked against the block, and
// a block that does not parse yields nothing rather than an error.
#ifndef VARNEL_TOOL_EXIFTAGS_H
#define VARNEL_TOOL_EXIFTAGS_H

#include "Orientation.h"
#include "Resolution.h"

#include <cstddef>
#include <cstdint>

namespace varnel_tool {

struct ExifTags {
    Orientation orientation;
    Resolution resolution;

    static ExifTags parse(const uint8_t* data, size_t size);
};

} // namespace varnel_tool

#endif
