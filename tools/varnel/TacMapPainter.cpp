#include "TacMapPainter.h"

#include <algorithm>

namespace varnel_tool {

namespace {

// Where the warning colours start, as a share of the limit.
constexpr double kWarningStart = 0.8;

uint8_t mix(double from, double to, double t) {
    return static_cast<uint8_t>(from + (to - from) * t + 0.5);
}

} // namespace

TacMapPainter::TacMapPainter(int channels, int bits, uint32_t tacLimitPercent)
    : m_channels(channels), m_max(bits == 8 ? 255u : 65535u), m_tacLimitPercent(tacLimitPercent) {
    m_palette.resize((static_cast<size_t>(tacLimitPercent) + 1) * 3);
    const double limit = tacLimitPercent;
    for (uint32_t percent = 0; percent <= tacLimitPercent; ++percent) {
        uint8_t* rgb = &m_palette[percent * 3];
        const double share = percent / limit;
        if (share >= kWarningStart) {
            const double t = (share - kWarningStart) / (1.0 - kWarningStart);
            rgb[0] = 255, rgb[1] = mix(230, 130, t), rgb[2] = 0;
        } else {
            // White paper down to a mid grey just below the warnings.
            rgb[0] = rgb[1] = rgb[2] = mix(255, 110, share / kWarningStart);
        }
    }
}

void TacMapPainter::paintRow(const void* values, uint32_t count, uint8_t* rgb) const {
    if (m_max == 255) {
        paint(static_cast<const uint8_t*>(values), count, rgb);
    } else {
        paint(static_cast<const uint16_t*>(values), count, rgb);
    }
}

template <typename Value>
void TacMapPainter::paint(const Value* values, uint32_t count, uint8_t* rgb) const {
    static const uint8_t kAbove[3] = {220, 0, 0};
    const uint64_t limit = static_cast<uint64_t>(m_tacLimitPercent) * m_max;
    for (uint32_t i = 0; i < count; ++i, values += m_channels, rgb += 3) {
        uint32_t total = 0;
        for (int c = 0; c < m_channels; ++c) total += m_max - values[c];
        // The same test as the coverage count, so that the red pixels are
        // exactly the ones counted above the limit.
        const uint64_t scaled = static_cast<uint64_t>(total) * 100;
        const uint8_t* colour = scaled > limit ? kAbove : &m_palette[scaled / m_max * 3];
        std::copy(colour, colour + 3, rgb);
    }
}

} // namespace varnel_tool
