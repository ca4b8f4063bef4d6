// The coordinate system of a graph document: the visible world range, the graph paper, the logarithm
// base, the theta range and the rectangle of the window the grid is drawn in. Every plotter maps world
// to device points through it and every mouse tool maps back; every range change goes through the
// operations below.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/plot_surface.h"

namespace qv {

// paperFlags bits
constexpr std::uint16_t PAPER_RECTANGULAR = 0x0001;
constexpr std::uint16_t PAPER_POLAR = 0x0002;
constexpr std::uint16_t PAPER_TRIG = 0x0004;
constexpr std::uint16_t PAPER_LOG_Y = 0x0008;
constexpr std::uint16_t PAPER_LOG_X = 0x0080;  // only ever together with PAPER_LOG_Y
constexpr std::uint16_t PAPER_AXES = 0x0010;
constexpr std::uint16_t PAPER_DOTS = 0x0020;
constexpr std::uint16_t PAPER_GRID_LINES = 0x0040;
constexpr std::uint16_t PAPER_SOLID_GRID = 0x0800;
constexpr std::uint16_t PAPER_ARROWS = 0x0100;
constexpr std::uint16_t PAPER_AXIS_NAMES = 0x0200;
constexpr std::uint16_t PAPER_BORDER = 0x0400;
constexpr std::uint16_t PAPER_KIND_MASK = PAPER_RECTANGULAR | PAPER_POLAR | PAPER_TRIG | PAPER_LOG_Y | PAPER_LOG_X;
constexpr std::uint16_t PAPER_DEFAULT = 0x0751;

// legendFlags bits
constexpr std::uint16_t LEGENDS_ON = 0x0001;
constexpr std::uint16_t LEGENDS_CUSTOM = 0x0002;  // custom spacing xLegendSpacing, yLegendSpacing
constexpr std::uint16_t LEGENDS_SCALE = 0x0004;   // custom spacing that scales along with the grid

// PendingUpdate bits that range operations set.
constexpr std::uint16_t PENDING_REGRID = 1;
constexpr std::uint16_t PENDING_RELAYOUT = 2;
constexpr std::uint16_t PENDING_AUTOSCALE = 16;
constexpr std::uint16_t PENDING_REPAINT = 32;
constexpr std::uint16_t PENDING_RESIZE_MAIN = 64;

constexpr double UNSET_BOUND = __builtin_huge_val();  // an automatic bound, completed by autoSquare
constexpr double DEFAULT_TSTOP = 6.2831853072;
constexpr double LOG_MINIMUM = 1e-99;
constexpr double BOUND_LIMIT = 9.9e99;

constexpr char MSG_LOG_RANGE[] =
    "You cannot display values less than or equal to zero on a logarithmic scale. Press OK to modify the range of the grid.";
constexpr char MSG_ZOOM_LIMIT[] = "Cannot display a range of magnitude less than 10^-99 or greater than 10^99.";

struct SelectionRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return left >= right || top >= bottom; }
    bool degenerate() const { return left == right || top == bottom; }
};

// Space the title and side labels take from the graph area, when labels are shown.
struct LabelSpace {
    bool shown = false;
    int titleFontHeight = 0, leftFontHeight = 0, rightFontHeight = 0;
    bool titleEmpty = true, leftEmpty = true, rightEmpty = true;
};

// Opens the Grid Range dialog on the grid; returns false when the user cancels it.
using GridRangeDialog = std::function<bool(struct GridSetup&)>;

struct GridSetup {
    std::uint16_t paperFlags = PAPER_DEFAULT;
    double xMin = -8, xMax = 8;
    double yMin = UNSET_BOUND, yMax = UNSET_BOUND;
    double squareRatio = 1;
    std::int16_t areaTop = 2, areaBottom = 100, areaLeft = 2, areaRight = 100;
    std::int16_t tickTargetPx = 12;
    double tstart = 0, tstop = DEFAULT_TSTOP;
    double logBase = 10;
    double lnBase = 2.302585092994046;
    double logYMin = 0, logYSpan = 1;
    double logXMin = 0, logXSpan = 1;
    std::uint8_t logLogChosen = 0;
    SelectionRect selection;
    DeviceRect clipRect{2, 2, 101, 101};
    std::int16_t labelGapH = 3, labelGapV = 5;
    std::int16_t imageWidth = 0, imageHeight = 0;
    std::uint16_t legendFlags = LEGENDS_ON;
    double xLegendSpacing = 0, yLegendSpacing = 0;
    int xLabelDecimals = 2, yLabelDecimals = 2;

    bool logX() const { return (paperFlags & PAPER_LOG_X) != 0; }
    bool logY() const { return (paperFlags & PAPER_LOG_Y) != 0; }

    // Mapping
    DevicePoint worldToDevice(double x, double y) const;
    double deviceToWorldX(int p) const;
    double deviceToWorldY(int p) const;
    double logOfX(double v) const;
    double logOfY(double v) const;

    void refreshLogScale();
    // Validates a logarithmic range; on cancel of the dialog the paper becomes rectangular.
    void checkLogRange(const GridRangeDialog& dialog = nullptr);
    void normaliseRanges();
    void computeSquareRatio(double pixelAspect);
    bool isSquare(double pixelAspect) const;
    void completeSquare(int mode);
    void autoSquare();

    // Zooms about the centre by f (negative: out by |f|). Returns false, with the range unchanged and
    // the message shown, when a bound would leave the representable magnitudes. Custom legend spacing
    // that scales with the grid, and a table increment that does (when given), follow the zoom.
    bool scaleGrid(double f, double* tableIncrement = nullptr);
    // Both refuse (false, range unchanged) a selection without width or height.
    bool zoomToSelection();
    bool zoomOutFromSelection(double defaultScale, double* tableIncrement = nullptr);
    void resetToDefaultRange(const GridSetup& defaults);
    // Repairs the range after the paper became logarithmic; returns the PendingUpdate bits to set.
    std::uint16_t adoptLogPaper(std::uint16_t previousFlags, const GridRangeDialog& dialog = nullptr);
    void layoutGraphArea(int width, int height, const LabelSpace& labels, bool smallScreen);
    void adjustForResize(double oldRatio, int width, int height, const LabelSpace& labels, bool smallScreen,
                         double pixelAspect, bool autosquare);
};

}  // namespace qv
