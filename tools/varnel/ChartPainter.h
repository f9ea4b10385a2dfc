// Draws what a configuration does, for an operator to see at a glance
// which ink prints where: each ink's amount over the hue circle at full
// saturation, drawn in the ink's colour, and a grid of hue by lightness
// with each patch's original colour, its proof and its ink amounts.
#ifndef VARNEL_TOOL_CHARTPAINTER_H
#define VARNEL_TOOL_CHARTPAINTER_H

#include "Inks.h"
#include "PendingFile.h"
#include "ProofSimulator.h"

#include <varnel/VarnelDll.h>

#include <string>
#include <vector>

typedef struct _cairo cairo_t;

namespace varnel_tool {

class ChartPainter {
public:
    ChartPainter(const varnel::Separation& separation, std::string title, const std::vector<InkInfo>& inks);

    // Writes the chart as a PNG. Throws ToolError.
    void writePng(const PendingFile& file);

    static constexpr int kWidth = 1400;
    static constexpr int kHeight = 1100;

private:
    // The ink amounts (0 = paper, 1 = full ink) of an 8-bit colour.
    std::vector<double> amounts(const RgbColour& colour);
    void drawTitle(cairo_t* cr);
    void drawHueCurves(cairo_t* cr);
    void drawLegend(cairo_t* cr, double y);
    void drawGrid(cairo_t* cr);

    const varnel::Separation& m_separation;
    std::string m_title;
    std::vector<InkInfo> m_inks;
    ProofSimulator m_proof;
};

} // namespace varnel_tool

#endif
