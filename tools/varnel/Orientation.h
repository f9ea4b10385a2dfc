// How the stored rows of an image are meant to be shown: the TIFF and EXIF
// Orientation values 1 to 8. 1 is the stored order; 2 to 4 mirror or turn
// the image within its size; 5 to 8 also exchange its width and height.
#ifndef VARNEL_TOOL_ORIENTATION_H
#define VARNEL_TOOL_ORIENTATION_H

#include <cstdint>
#include <string>

namespace varnel_tool {

class Orientation {
public:
    Orientation() = default;
    // Values outside 1 to 8 are taken as 1, as viewers do.
    explicit Orientation(uint32_t value) : m_value(value >= 1 && value <= 8 ? static_cast<uint16_t>(value) : 1) {}

    uint16_t value() const { return m_value; }
    bool isStoredOrder() const { return m_value == 1; }
    bool swapsAxes() const { return m_value >= 5; }
    // Only a mirror from left to right keeps every shown row one stored row.
    bool needsWholeImage() const { return m_value >= 3; }
    // The stored pixel shown at (x, y), for a stored image of width x height.
    void storedPixel(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t& storedX,
                     uint32_t& storedY) const;
    // What showing it takes, e.g. "turned 90 degrees clockwise".
    std::string description() const;

private:
    uint16_t m_value = 1;
};

} // namespace varnel_tool

#endif
