#include "ProofSimulator.h"

namespace varnel_tool {

namespace {

double transmission(double amount, double inkComponent) {
    return 1.0 - amount * (1.0 - inkComponent);
}

using TransmissionTable = std::array<std::array<double, 3>, 256>;

// The 8-bit proof of count pixels. Channels > 0 fixes the ink count at
// compile time, so that the loop over the inks unrolls; 0 takes it from
// channels. Pixels go in pairs, whose products are independent and so
// overlap in the processor; each pixel's products keep their order.
template <size_t Channels>
void proofPixels(const TransmissionTable* tables, size_t channels, const uint8_t* values, uint32_t count,
                 uint8_t* rgb) {
    const size_t inks = Channels > 0 ? Channels : channels;
    uint32_t p = 0;
    for (; p + 1 < count; p += 2, values += 2 * inks, rgb += 6) {
        double light[6] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
        for (size_t i = 0; i < inks; ++i) {
            const std::array<double, 3>& t = tables[i][values[i]];
            const std::array<double, 3>& u = tables[i][values[inks + i]];
            light[0] *= t[0];
            light[1] *= t[1];
            light[2] *= t[2];
            light[3] *= u[0];
            light[4] *= u[1];
            light[5] *= u[2];
        }
        for (int c = 0; c < 6; ++c) rgb[c] = static_cast<uint8_t>(quantise(light[c], 255));
    }
    if (p < count) {
        double light[3] = {1.0, 1.0, 1.0};
        for (size_t i = 0; i < inks; ++i) {
            const std::array<double, 3>& t = tables[i][values[i]];
            light[0] *= t[0];
            light[1] *= t[1];
            light[2] *= t[2];
        }
        for (int c = 0; c < 3; ++c) rgb[c] = static_cast<uint8_t>(quantise(light[c], 255));
    }
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
    const TransmissionTable* tables = m_transmission8.data();
    const size_t channels = m_inks.size();
    switch (channels) {
        case 4: proofPixels<4>(tables, channels, values, count, rgb); break;
        case 5: proofPixels<5>(tables, channels, values, count, rgb); break;
        case 6: proofPixels<6>(tables, channels, values, count, rgb); break;
        case 7: proofPixels<7>(tables, channels, values, count, rgb); break;
        case 8: proofPixels<8>(tables, channels, values, count, rgb); break;
        default: proofPixels<0>(tables, channels, values, count, rgb); break;
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
