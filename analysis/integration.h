// Numerical integration of a Cartesian function of x, or of the difference of two, over an interval:
// four methods (trapezoidal, Simpson's, rectangles above and below), a test for discontinuities and
// cusps that looks closer before it gives up, the status-line and table report, and the hatched
// region on the graph that the document keeps and redoes after every redraw.
#pragma once

#include <cstdint>
#include <string>

#include "doc/graph_doc.h"
#include "expr/status.h"

namespace qv {

// intflags bits.
constexpr std::uint8_t INT_TRAPEZOIDAL = 0x01;
constexpr std::uint8_t INT_SIMPSON = 0x02;
constexpr std::uint8_t INT_RECTANGLES_ABOVE = 0x04;
constexpr std::uint8_t INT_AUTO_SEGMENTS = 0x08;   // segment count from the width of the region
constexpr std::uint8_t INT_MOUSE = 0x10;           // select the curve and region with the mouse
constexpr std::uint8_t INT_SHOW_DIALOG = 0x20;     // show the Integrate curve dialog box
constexpr std::uint8_t INT_RECTANGLES_BELOW = 0x40;  // used when no other method bit is set

// Integrate statuses besides the evaluator's bits.
constexpr std::uint16_t INTEGRATE_NOT_INTEGRABLE = 0x1000;
constexpr std::uint16_t INTEGRATE_DISCONTINUITY = 8;

// Refinement of a suspected discontinuity doubles the segments while fewer than this are in use.
constexpr int REFINE_SEGMENT_LIMIT = 100;
// More segments than a 16-bit count holds are not used.
constexpr int MAX_INTEGRATION_SEGMENTS = 65535;
// Segments wider than this many pixels are shaded one by one when the count is fixed.
constexpr int SEGMENT_MODE_MIN_WIDTH = 5;

constexpr char MSG_CANNOT_INTEGRATE[] =
    "Cannot integrate over this equation. Quorvex can only integrate single-graph Cartesian functions of x.";
constexpr char MSG_DISCONTINUITY[] =
    "Discontinuity or cusp found in curve near x=%X. Cannot integrate function in this region.";
constexpr char MSG_INTEGRAL_RESULT[] = "Interval: %X to %X, Area: %x ";
constexpr char MSG_EQUATIONS_HEADING[] = "Equation(s): ";

// Whether the curves of an equation can be integrated: a Cartesian function of x with one branch, no
// inequality and no parameter family.
bool isIntegrable(const Equation& e);

// Integrates first minus second (or first alone when second is null) from a to b with n segments by
// the method of method (intflags bits). Returns the area; status 0 on success, otherwise
// INTEGRATE_NOT_INTEGRABLE, INTEGRATE_DISCONTINUITY or the evaluator's bits, and the result is then
// the x at which the integration stopped.
double integrate(const Equation& first, const Equation* second, double a, double b, int n, std::uint16_t& status,
                 std::uint8_t method);
// The same with the program's integration options.
double integrate(const Equation& first, const Equation* second, double a, double b, int n, std::uint16_t& status);

// The segment count for a region on doc's grid: intnumseg, or with INT_AUTO_SEGMENTS half the pixel
// columns between a and b; always at least one, and even for Simpson's rule.
int integrationSegments(const GraphDoc& doc, double a, double b);

// The status-line text of a successful integration, with the colour escapes of the curves.
std::string integralStatusText(const Equation& first, const Equation* second, double a, double b, double area);

// Integrates the region (second equal to first, or null, means no lower curve), reports the result on
// the status line and in the coordinate tables, and shades it in place of the previous region. On
// failure the message is shown and the region stays as it was; returns whether it succeeded.
bool integrateRegion(GraphDoc& doc, Equation* first, Equation* second, double a, double b);

// After every redraw of the graph: integrates and shades the document's region again on the current
// grid (a region that no longer integrates is cleared without a message), and refreshes the Integrate
// curve dialog.
void redrawIntegration(GraphDoc& doc);
inline void redoIntegration(GraphDoc& doc) { redrawIntegration(doc); }

// A queued equation is going away: when it is a curve of the region, the region is cleared and the
// Integrate curve dialog closed (DocumentView::closeIntegrateDialog).
void forgetEquation(GraphDoc& doc, const Equation* e);

// Draws the hatched region between the curves from a to b with n segments on the current surface and
// returns its bounding rectangle (empty when nothing was drawn).
DeviceRect shadeRegion(const GraphDoc& doc, const Equation& first, const Equation* second, double a, double b,
                       int n);

// The Integrate curve dialog shows the region whenever it changes; the shell installs the refresh.
using IntegrateDialogRefresh = void (*)(GraphDoc& doc);
void registerIntegrateDialogRefresh(IntegrateDialogRefresh refresh);

}  // namespace qv
