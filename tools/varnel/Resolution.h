// The resolution an image is meant to print at, in dots per inch, as its
// file states it: TIFF XResolution and YResolution, a JPEG's JFIF density
// or EXIF resolution, a PNG's pHYs chunk. It travels into every output, so
// that a RIP places the separation at the size of its input.
#ifndef VARNEL_TOOL_RESOLUTION_H
#define VARNEL_TOOL_RESOLUTION_H

#include <cstdint>

namespace varnel_tool {

struct Resolution {
    double x = 0;  // dots per inch across; 0: the file states none
    double y = 0;  // dots per inch down

    bool known() const { return x > 0 && y > 0; }

    // From a value and its unit; a value that is not a plausible
    // resolution (not finite, not above 0, above a million) leaves the
    // resolution unknown.
    static Resolution perInch(double x, double y);
    static Resolution perCentimetre(double x, double y);
    // PNG stores whole pixels per metre, the nearest to what was meant; a
    // whole number of dots per inch within half a pixel per metre of the
    // stored value is taken to be that whole number.
    static Resolution perMetre(uint32_t x, uint32_t y);
    // The nearest whole pixels per metre, for PNG.
    static uint32_t pixelsPerMetre(double dotsPerInch);
};

} // namespace varnel_tool

#endif
