// Ink coverage of a separation: each ink's mean coverage and histogram, the
// largest total coverage and where it is, and how many pixels exceed a
// total area coverage (TAC) limit. Each thread tallies its own bands; the
// tallies are merged at the end, and the result does not depend on how the
// bands were shared among the threads.
#ifndef VARNEL_TOOL_INKCOVERAGE_H
#define VARNEL_TOOL_INKCOVERAGE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnel_tool {

class InkCoverage {
public:
    // bits: 8 or 16, the depth of the library values; tacLimitPercent:
    // the limit on the sum of all inks' coverage, in per cent.
    InkCoverage(int channels, int bits, uint32_t tacLimitPercent);

    // Rows of library values (255 or 65535 = no ink), channels per pixel.
    void addRows(const void* values, uint32_t width, uint32_t firstRow, uint32_t rows);
    void merge(const InkCoverage& other);

    int channels() const { return m_channels; }
    uint64_t pixels() const { return m_pixels; }
    uint32_t tacLimitPercent() const { return m_tacLimitPercent; }
    double meanPercent(int channel) const;
    // 101 counts: the pixels whose coverage of the ink rounds to 0 %, 1 %,
    // ... 100 %.
    std::vector<uint64_t> percentHistogram(int channel) const;
    double maxTotalPercent() const;
    // Where the largest total is; the first such pixel in reading order.
    uint32_t maxTotalX() const { return m_maxX; }
    uint32_t maxTotalY() const { return m_maxY; }
    uint64_t pixelsAboveLimit() const { return m_aboveLimit; }
    double shareAboveLimitPercent() const;

private:
    template <typename Value>
    void add(const Value* values, uint32_t width, uint32_t firstRow, uint32_t rows);

    int m_channels;
    uint32_t m_max;  // value of no ink: 255 or 65535
    uint32_t m_tacLimitPercent;
    // Per ink, the pixels at each coverage (max - value): the sums and the
    // per-cent histogram follow from it exactly.
    std::vector<uint64_t> m_counts;
    uint64_t m_pixels = 0;
    uint64_t m_aboveLimit = 0;
    uint32_t m_maxTotal = 0;  // in value units, the sum over the inks
    uint32_t m_maxX = 0;
    uint32_t m_maxY = 0;
};

} // namespace varnel_tool

#endif
