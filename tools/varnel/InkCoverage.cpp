#include "InkCoverage.h"

namespace varnel_tool {

InkCoverage::InkCoverage(int channels, int bits, uint32_t tacLimitPercent)
    : m_channels(channels), m_max(bits == 8 ? 255u : 65535u), m_tacLimitPercent(tacLimitPercent),
      m_counts(static_cast<size_t>(channels) * (m_max + 1), 0) {}

void InkCoverage::addRows(const void* values, uint32_t width, uint32_t firstRow, uint32_t rows) {
    if (m_max == 255) {
        add(static_cast<const uint8_t*>(values), width, firstRow, rows);
    } else {
        add(static_cast<const uint16_t*>(values), width, firstRow, rows);
    }
}

template <typename Value>
void InkCoverage::add(const Value* values, uint32_t width, uint32_t firstRow, uint32_t rows) {
    const uint64_t limit = static_cast<uint64_t>(m_tacLimitPercent) * m_max;
    const size_t stride = m_max + 1;
    for (uint32_t y = 0; y < rows; ++y) {
        for (uint32_t x = 0; x < width; ++x, values += m_channels) {
            uint32_t total = 0;
            uint64_t* counts = m_counts.data();
            for (int c = 0; c < m_channels; ++c, counts += stride) {
                const uint32_t coverage = m_max - values[c];
                ++counts[coverage];
                total += coverage;
            }
            // Above the limit: total / max * 100 > limit per cent.
            m_aboveLimit += static_cast<uint64_t>(total) * 100 > limit ? 1 : 0;
            // Strictly larger: the first pixel in reading order wins a tie.
            if (total > m_maxTotal || m_pixels == 0) {
                m_maxTotal = total;
                m_maxX = x;
                m_maxY = firstRow + y;
            }
        }
        m_pixels += width;
    }
}

void InkCoverage::merge(const InkCoverage& other) {
    if (other.m_pixels == 0) return;
    for (size_t i = 0; i < m_counts.size(); ++i) m_counts[i] += other.m_counts[i];
    const bool otherFirst = other.m_maxY < m_maxY || (other.m_maxY == m_maxY && other.m_maxX < m_maxX);
    if (m_pixels == 0 || other.m_maxTotal > m_maxTotal || (other.m_maxTotal == m_maxTotal && otherFirst)) {
        m_maxTotal = other.m_maxTotal;
        m_maxX = other.m_maxX;
        m_maxY = other.m_maxY;
    }
    m_pixels += other.m_pixels;
    m_aboveLimit += other.m_aboveLimit;
}

double InkCoverage::meanPercent(int channel) const {
    if (m_pixels == 0) return 0.0;
    const uint64_t* counts = m_counts.data() + static_cast<size_t>(channel) * (m_max + 1);
    uint64_t sum = 0;
    for (uint32_t coverage = 1; coverage <= m_max; ++coverage) sum += counts[coverage] * coverage;
    return static_cast<double>(sum) * 100.0 / (static_cast<double>(m_pixels) * m_max);
}

std::vector<uint64_t> InkCoverage::percentHistogram(int channel) const {
    std::vector<uint64_t> histogram(101, 0);
    const uint64_t* counts = m_counts.data() + static_cast<size_t>(channel) * (m_max + 1);
    for (uint32_t coverage = 0; coverage <= m_max; ++coverage) {
        histogram[(coverage * 100 + m_max / 2) / m_max] += counts[coverage];
    }
    return histogram;
}

double InkCoverage::maxTotalPercent() const {
    return static_cast<double>(m_maxTotal) * 100.0 / m_max;
}

double InkCoverage::shareAboveLimitPercent() const {
    return m_pixels == 0 ? 0.0 : static_cast<double>(m_aboveLimit) * 100.0 / static_cast<double>(m_pixels);
}

} // namespace varnel_tool
