#include "TestChart.h"

#include <algorithm>
#include <cmath>

namespace varnel_tool {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kCircles = 4;
const double kCircleLightness[kCircles] = {0.2, 0.4, 0.6, 0.8};

// Light to dark skin, in sRGB.
const RgbColour kSkinTones[] = {
    {255 / 255.0, 224 / 255.0, 196 / 255.0}, {241 / 255.0, 194 / 255.0, 167 / 255.0},
    {234 / 255.0, 192 / 255.0, 134 / 255.0}, {224 / 255.0, 172 / 255.0, 138 / 255.0},
    {198 / 255.0, 134 / 255.0, 103 / 255.0}, {161 / 255.0, 102 / 255.0, 77 / 255.0},
    {125 / 255.0, 78 / 255.0, 58 / 255.0},   {90 / 255.0, 56 / 255.0, 44 / 255.0},
};

// Vertical layout, in fractions of the height.
constexpr double kCirclesEnd = 0.55;
constexpr double kRampTop = 0.58, kRampBottom = 0.68;
constexpr double kSkinTop = 0.71, kSkinBottom = 0.83;
constexpr double kSaturatedTop = 0.86, kSaturatedBottom = 0.98;

const RgbColour kWhite{1.0, 1.0, 1.0};

uint32_t mix(uint32_t a) {
    a ^= a >> 16;
    a *= 0x7feb352dU;
    a ^= a >> 15;
    a *= 0x846ca68bU;
    a ^= a >> 16;
    return a;
}

} // namespace

TestChart::TestChart(uint32_t width, uint32_t height) : m_width(width), m_height(height) {}

RgbColour TestChart::hueCircles(double x, double y) const {
    const double cellWidth = static_cast<double>(m_width) / kCircles;
    const double areaHeight = kCirclesEnd * m_height;
    const double radius = 0.45 * std::min(cellWidth, areaHeight);
    const int index = std::min(kCircles - 1, static_cast<int>(x / cellWidth));
    const double dx = x - (index + 0.5) * cellWidth;
    const double dy = (areaHeight / 2.0) - y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (distance > radius) return kWhite;
    double hue = std::atan2(dy, dx) * 180.0 / kPi;
    if (hue < 0.0) hue += 360.0;
    return hslToRgb(hue, distance / radius, kCircleLightness[index]);
}

RgbColour TestChart::patchRow(double x, const RgbColour* colours, int count) const {
    const double cell = static_cast<double>(m_width) / count;
    const int index = std::min(count - 1, static_cast<int>(x / cell));
    const double inside = x - index * cell;
    // A thin white gap between patches keeps them apart on the plates.
    if (inside < 0.06 * cell || inside > 0.94 * cell) return kWhite;
    return colours[index];
}

RgbColour TestChart::pixel(uint32_t px, uint32_t py) const {
    const double x = px + 0.5;
    const double y = py + 0.5;
    const double v = y / m_height;
    if (v < kCirclesEnd) return hueCircles(x, y);
    if (v >= kRampTop && v < kRampBottom) {
        const double grey = x / m_width;
        return {grey, grey, grey};
    }
    if (v >= kSkinTop && v < kSkinBottom) {
        return patchRow(x, kSkinTones, static_cast<int>(sizeof kSkinTones / sizeof kSkinTones[0]));
    }
    if (v >= kSaturatedTop && v < kSaturatedBottom) {
        // Twelve hues 30 degrees apart at full saturation, then black.
        RgbColour saturated[13];
        for (int i = 0; i < 12; ++i) saturated[i] = hslToRgb(30.0 * i, 1.0, 0.5);
        saturated[12] = {0.0, 0.0, 0.0};
        return patchRow(x, saturated, 13);
    }
    return kWhite;
}

void TestChart::row(uint32_t y, unsigned max, unsigned noise, uint16_t* rgb) const {
    for (uint32_t x = 0; x < m_width; ++x) {
        const RgbColour c = pixel(x, y);
        const double components[3] = {c.r, c.g, c.b};
        for (int k = 0; k < 3; ++k) {
            long value = quantise(components[k], max);
            if (noise > 0) {
                const uint32_t hash = mix(x * 3u + static_cast<uint32_t>(k) + mix(y) * 0x9E3779B1u);
                value += static_cast<long>(hash % (2 * noise + 1)) - static_cast<long>(noise);
                value = std::max(0L, std::min(static_cast<long>(max), value));
            }
            rgb[x * 3 + static_cast<uint32_t>(k)] = static_cast<uint16_t>(value);
        }
    }
}

} // namespace varnel_tool
