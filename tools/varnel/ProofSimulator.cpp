#include "ProofSimulator.h"

namespace varnel_tool {

namespace {

double transmission(double amount, double inkComponent) {
    return 1.0 - amount * (1.0 - inkComponent);
}

} // namespace

ProofSimulator::ProofSimulator(const std::vector<InkInfo>& inks) {
    for (const InkInfo& ink : inks) m_inks.push_back(ink.colour);
    m_transmission8.resize(m_inks.size());
    for (size_t i = 0; i < m_inks.size(); ++i) {
        for (int v = 0; v < 256; ++v) {
            const double amount = (255 - v) / 255.0;
            m_transmission8[i][v] = {transmission(amount, m_inks[i].r), transmission(amount, m_inks[i].g),
                                     transmission(amount, m_inks[i].b)};
        }
    }
}

RgbColour ProofSimulator::simulate(const double* amounts) const {
    RgbColour light{1.0, 1.0, 1.0};
    for (size_t i = 0; i < m_inks.size(); ++i) {
        light.r *= transmission(amounts[i], m_inks[i].r);
        light.g *= transmission(amounts[i], m_inks[i].g);
        light.b *= transmission(amounts[i], m_inks[i].b);
    }
    return light;
}

void ProofSimulator::proofRow(const uint8_t* values, uint32_t count, uint8_t* rgb) const {
    const size_t channels = m_inks.size();
    for (uint32_t p = 0; p < count; ++p, values += channels, rgb += 3) {
        double r = 1.0, g = 1.0, b = 1.0;
        for (size_t i = 0; i < channels; ++i) {
            const std::array<double, 3>& t = m_transmission8[i][values[i]];
            r *= t[0];
            g *= t[1];
            b *= t[2];
        }
        rgb[0] = static_cast<uint8_t>(quantise(r, 255));
        rgb[1] = static_cast<uint8_t>(quantise(g, 255));
        rgb[2] = static_cast<uint8_t>(quantise(b, 255));
    }
}

void ProofSimulator::proofRow(const uint16_t* values, uint32_t count, uint8_t* rgb) const {
    const size_t channels = m_inks.size();
    std::vector<double> amounts(channels);
    for (uint32_t p = 0; p < count; ++p, values += channels, rgb += 3) {
        for (size_t i = 0; i < channels; ++i) amounts[i] = (65535 - values[i]) / 65535.0;
        const RgbColour light = simulate(amounts.data());
        rgb[0] = static_cast<uint8_t>(quantise(light.r, 255));
        rgb[1] = static_cast<uint8_t>(quantise(light.g, 255));
        rgb[2] = static_cast<uint8_t>(quantise(light.b, 255));
    }
}

} // namespace varnel_tool
