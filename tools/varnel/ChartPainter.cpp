#include "ChartPainter.h"

#include "ToolError.h"

#include <varnel/separation.hpp>

#include <cairo.h>

#include <cstdio>
#include <memory>

namespace varnel_tool {

namespace {

// Layout of the hue-curve panel.
constexpr double kPlotLeft = 80, kPlotRight = 1370, kPlotTop = 70, kPlotBottom = 380;
constexpr double kStripHeight = 14;
// Layout of the hue-by-lightness grid.
constexpr int kGridColumns = 24;  // 15 degrees apart
constexpr int kGridRows = 9;      // lightness 90 % down to 10 %
constexpr double kGridLeft = 80, kGridTop = 530, kCellWidth = 53.75, kCellHeight = 62;
constexpr double kSwatchHeight = 34;

void setColour(cairo_t* cr, const RgbColour& c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// Black ink drawn in full black would hide the axes; a dark grey reads as
// black and keeps them visible.
RgbColour lineColour(const InkInfo& ink) {
    const double lightness = 0.3 * ink.colour.r + 0.59 * ink.colour.g + 0.11 * ink.colour.b;
    return lightness < 0.2 ? RgbColour{0.25, 0.25, 0.25} : ink.colour;
}

void text(cairo_t* cr, double x, double y, const std::string& s, double size, bool centred = false) {
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    cairo_move_to(cr, centred ? x - extents.width / 2 - extents.x_bearing : x, y);
    cairo_show_text(cr, s.c_str());
}

RgbColour rounded8(const RgbColour& c) {
    return {quantise(c.r, 255) / 255.0, quantise(c.g, 255) / 255.0, quantise(c.b, 255) / 255.0};
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

} // namespace

ChartPainter::ChartPainter(const varnel::Separation& separation, std::string title, const std::vector<InkInfo>& inks)
    : m_separation(separation), m_title(std::move(title)), m_inks(inks), m_proof(inks) {}

std::vector<double> ChartPainter::amounts(const RgbColour& colour) {
    unsigned char rgb[3] = {static_cast<unsigned char>(quantise(colour.r, 255)),
                            static_cast<unsigned char>(quantise(colour.g, 255)),
                            static_cast<unsigned char>(quantise(colour.b, 255))};
    std::vector<unsigned char> values(m_inks.size(), 255);
    try {
        m_separation.convert(rgb, values.data(), 1);
    } catch (const varnel::Error& error) {
        throw ToolError(std::string("the library failed to separate a chart colour (") + error.what() + ")");
    }
    std::vector<double> result;
    for (unsigned char v : values) result.push_back((255 - v) / 255.0);
    return result;
}

void ChartPainter::writePng(const PendingFile& file) {
    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
    std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    drawTitle(cr);
    drawHueCurves(cr);
    drawGrid(cr);
    cairo_surface_flush(surface.get());
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        throw ToolError(std::string("cannot draw the chart: ") + cairo_status_to_string(cairo_status(cr)));
    }
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), file.writePath().c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        throw ToolError("cannot write '" + file.finalPath() + "': " + cairo_status_to_string(status));
    }
}

void ChartPainter::drawTitle(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::string names;
    for (const InkInfo& ink : m_inks) names += (names.empty() ? "" : ", ") + ink.name;
    text(cr, kPlotLeft, 32, m_title + ": " + std::to_string(m_inks.size()) + " inks (" + names + ")", 20);
}

void ChartPainter::drawHueCurves(cairo_t* cr) {
    const double plotWidth = kPlotRight - kPlotLeft;
    const double plotHeight = kPlotBottom - kPlotTop;
    // Grid lines and labels.
    cairo_set_line_width(cr, 1);
    for (int percent = 0; percent <= 100; percent += 25) {
        const double y = kPlotBottom - plotHeight * percent / 100.0;
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, kPlotLeft, y);
        cairo_line_to(cr, kPlotRight, y);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(cr, kPlotLeft - 48, y + 4, std::to_string(percent) + " %", 12);
    }
    for (int hue = 0; hue <= 360; hue += 30) {
        const double x = kPlotLeft + plotWidth * hue / 360.0;
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, x, kPlotTop);
        cairo_line_to(cr, x, kPlotBottom);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(cr, x, kPlotBottom + kStripHeight + 18, std::to_string(hue), 12, true);
    }
    text(cr, kPlotLeft, kPlotTop - 10, "ink amount over the hue circle at full saturation", 14);
    text(cr, kPlotRight - 30, kPlotBottom + kStripHeight + 34, "hue (degrees)", 12, true);
    // The hues themselves under the axis.
    const int samples = 720;
    for (int i = 0; i < samples; ++i) {
        setColour(cr, rounded8(hslToRgb(360.0 * i / samples, 1.0, 0.5)));
        cairo_rectangle(cr, kPlotLeft + plotWidth * i / samples, kPlotBottom + 2, plotWidth / samples + 0.6,
                        kStripHeight);
        cairo_fill(cr);
    }
    // One curve per ink, separated by the library itself.
    std::vector<std::vector<double>> curves;
    for (int i = 0; i <= samples; ++i) curves.push_back(amounts(hslToRgb(360.0 * i / samples, 1.0, 0.5)));
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (size_t ink = 0; ink < m_inks.size(); ++ink) {
        setColour(cr, lineColour(m_inks[ink]));
        for (int i = 0; i <= samples; ++i) {
            const double x = kPlotLeft + plotWidth * i / samples;
            const double y = kPlotBottom - plotHeight * curves[static_cast<size_t>(i)][ink];
            if (i == 0) {
                cairo_move_to(cr, x, y);
            } else {
                cairo_line_to(cr, x, y);
            }
        }
        cairo_stroke(cr);
    }
    drawLegend(cr, kPlotBottom + kStripHeight + 62);
}

void ChartPainter::drawLegend(cairo_t* cr, double y) {
    double x = kPlotLeft;
    cairo_set_font_size(cr, 14);
    for (const InkInfo& ink : m_inks) {
        setColour(cr, ink.colour);
        cairo_rectangle(cr, x, y - 12, 14, 14);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, ink.name.c_str(), &extents);
        cairo_move_to(cr, x + 20, y);
        cairo_show_text(cr, ink.name.c_str());
        x += 20 + extents.x_advance + 24;
    }
}

void ChartPainter::drawGrid(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    text(cr, kGridLeft, kGridTop - 30,
         "hue by lightness: original (left), proof (right), ink amounts (bars, in ink order)", 14);
    for (int column = 0; column < kGridColumns; ++column) {
        text(cr, kGridLeft + (column + 0.5) * kCellWidth, kGridTop - 8, std::to_string(column * 15), 11, true);
    }
    const double barArea = kCellHeight - kSwatchHeight - 6;
    const double barWidth = (kCellWidth - 6) / static_cast<double>(m_inks.size());
    for (int row = 0; row < kGridRows; ++row) {
        const double lightness = 0.9 - 0.1 * row;
        const double top = kGridTop + row * kCellHeight;
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(cr, kGridLeft - 60, top + kSwatchHeight / 2 + 8, "L " + std::to_string(90 - 10 * row) + " %", 12);
        for (int column = 0; column < kGridColumns; ++column) {
            const double left = kGridLeft + column * kCellWidth;
            const RgbColour original = rounded8(hslToRgb(column * 15.0, 1.0, lightness));
            const std::vector<double> ink = amounts(original);
            const double half = (kCellWidth - 4) / 2;
            setColour(cr, original);
            cairo_rectangle(cr, left + 2, top + 2, half, kSwatchHeight);
            cairo_fill(cr);
            setColour(cr, m_proof.simulate(ink.data()));
            cairo_rectangle(cr, left + 2 + half, top + 2, half, kSwatchHeight);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
            cairo_rectangle(cr, left + 2, top + 4 + kSwatchHeight, kCellWidth - 4, barArea);
            cairo_fill(cr);
            for (size_t i = 0; i < m_inks.size(); ++i) {
                const double height = barArea * ink[i];
                setColour(cr, m_inks[i].colour);
                cairo_rectangle(cr, left + 3 + i * barWidth, top + 4 + kSwatchHeight + barArea - height,
                                barWidth - 1, height);
                cairo_fill(cr);
            }
        }
    }
}

} // namespace varnel_tool
