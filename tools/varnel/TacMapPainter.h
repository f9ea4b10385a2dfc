// Paints where a separation's total ink coverage stands against the TAC
// limit, for a person to look at: grey below 80 % of the limit (darker with
// more ink, so the picture stays recognisable), yellow turning orange from
// 80 % of the limit up to the limit, red above it.
#ifndef VARNEL_TOOL_TACMAPPAINTER_H
#define VARNEL_TOOL_TACMAPPAINTER_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel_tool {

class TacMapPainter {
public:
    TacMapPainter(int channels, int bits, uint32_t tacLimitPercent);

    // count pixels of library values (255 or 65535 = no ink) to 8-bit RGB.
    void paintRow(const void* values, uint32_t count, uint8_t* rgb) const;

private:
    template <typename Value>
    void paint(const Value* values, uint32_t count, uint8_t* rgb) const;

    int m_channels;
    uint32_t m_max;
    uint32_t m_tacLimitPercent;
    // R, G, B for each total coverage in whole per cent up to the limit.
    std::vector<uint8_t> m_palette;
};

} // namespace varnel_tool

#endif
