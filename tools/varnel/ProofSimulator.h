// Simulates the print for a person looking at it: each ink's colour laid
// over white paper by multiplying its transmission, in proportion to the
// ink amount. Not colorimetric: no ink model, no dot gain, no ICC profile.
#ifndef VARNEL_TOOL_PROOFSIMULATOR_H
#define VARNEL_TOOL_PROOFSIMULATOR_H

#include "Inks.h"

#include <array>
#include <cstdint>
#include <vector>

namespace varnel_tool {

class ProofSimulator {
public:
    explicit ProofSimulator(const std::vector<InkInfo>& inks);

    // amounts: one ink amount per channel in [0, 1] (1 = full ink).
    RgbColour simulate(const double* amounts) const;
    // count pixels of library values (255 = no ink) to 8-bit RGB.
    void proofRow(const uint8_t* values, uint32_t count, uint8_t* rgb) const;
    // The same for 16-bit library values (65535 = no ink).
    void proofRow(const uint16_t* values, uint32_t count, uint8_t* rgb) const;

private:
    std::vector<RgbColour> m_inks;
    // For 8-bit values: the paper light each channel lets through, per
    // value and colour component, so a pixel costs only multiplications.
    std::vector<std::array<std::array<double, 3>, 256>> m_transmission8;
};

} // namespace varnel_tool

#endif
