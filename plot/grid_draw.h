// Everything on a graph screen except the curves: background, grid on every paper kind, axes with
// arrows and names, border, legends, title and side labels, annotations; and the spacing rules that
// choose grid and legend intervals (the coordinate tables reuse them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/graph_doc.h"
#include "platform/plot_surface.h"
#include "plot/grid_setup.h"

namespace qv {

enum class Axis { X, Y };

constexpr std::int16_t YLEGPOS_CENTER = 256;
constexpr double TRIG_LEGEND_FACTOR = 0.636619772365513;  // 2/pi
constexpr double HALF_PI = 1.5707963268;
constexpr double PI_LEGEND = 3.1415926536;
constexpr double E_BASE = 2.718281828;
constexpr std::uint16_t TABLE_LEGEND_SPACING = 2;  // table options: increment as the legends
constexpr std::uint16_t TABLE_GRID_SPACING = 4;    // table options: increment as the grid

// What the spacing rules need besides the grid: the screen's pixel aspect and the symbol size.
struct GridMetrics {
    double pixelAspect = 1.0;
    int symbolSizeX = 18, symbolSizeY = 18;
};
// The program's current values.
GridMetrics currentGridMetrics();

double legendInterval(const GridSetup& grid, Axis axis, const GridMetrics& metrics);
double gridInterval(const GridSetup& grid, Axis axis, const GridMetrics& metrics);
double logLegendDecades(const GridSetup& grid, Axis axis);
double logGridInterval(const GridSetup& grid, Axis axis, const GridMetrics& metrics);
double tableStep(const GridSetup& grid, Axis axis, std::uint16_t tableOptions, double tableIncrement,
                 const GridMetrics& metrics);
void updateLabelDecimals(GridSetup& grid);

// World positions along an axis, each below the axis maximum: multiples of step above min (linear),
// or the decade and one-to-nine walks of logarithmic axes with interval r (in decades, or an exponent
// for the one-to-nine walk). forLegends: the walk of legend numbers rather than of grid lines.
std::vector<double> linearPositions(double min, double max, double step);
std::vector<double> logPositions(const GridSetup& grid, Axis axis, double r, bool forLegends);

// Default font of a grid font role (Fonts dialog defaults), for a screen at most 1000 pixels wide
// (small) or wider; and the font a document's role draws with.
LogicalFont defaultGridFont(int role, bool smallScreen);
FontSpec gridFontSpec(const GraphDoc& doc, int role, bool smallScreen);
// Measures the seven grid fonts on the surface and keeps height and average width in the document.
void measureGridFonts(GraphDoc& doc, PlotSurface& surface, bool smallScreen);

// The text of a legend number at a position of an axis.
std::string legendText(const GridSetup& grid, Axis axis, double value, double interval);

// Draws a complete empty graph screen of the document on the surface.
void drawGridScreen(GraphDoc& doc, PlotSurface& surface);

// The index of the annotation whose text box contains the device point, scanning from the last; -1
// for none.
int annotationAt(const GraphDoc& doc, int px, int py);
// XOR drawing in the background colour (white on a black background); returns the pen it selected,
// which the caller deletes after setting the raster operation back.
ObjectId xorColour(PlotSurface& surface);

// The alternation of inequality hatches, reset by every grid screen.
int& hatchAlternation();

}  // namespace qv
