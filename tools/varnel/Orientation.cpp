#include "Orientation.h"

namespace varnel_tool {

void Orientation::storedPixel(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t& storedX,
                              uint32_t& storedY) const {
    switch (m_value) {
    case 2: storedX = width - 1 - x; storedY = y; return;
    case 3: storedX = width - 1 - x; storedY = height - 1 - y; return;
    case 4: storedX = x; storedY = height - 1 - y; return;
    case 5: storedX = y; storedY = x; return;
    case 6: storedX = y; storedY = height - 1 - x; return;
    case 7: storedX = width - 1 - y; storedY = height - 1 - x; return;
    case 8: storedX = width - 1 - y; storedY = x; return;
    default: storedX = x; storedY = y; return;
    }
}

std::string Orientation::description() const {
    switch (m_value) {
    case 2: return "mirrored left to right";
    case 3: return "turned 180 degrees";
    case 4: return "mirrored top to bottom";
    case 5: return "mirrored along its diagonal";
    case 6: return "turned 90 degrees clockwise";
    case 7: return "mirrored along its other diagonal";
    case 8: return "turned 90 degrees counter-clockwise";
    default: return "as stored";
    }
}

} // namespace varnel_tool
