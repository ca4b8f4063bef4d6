// Find Derivative and Draw Tangent: the derivative of a queued equation added as a new graph, the
// slope of a curve at a picked point (symbolic, by central difference, matched on a polar curve, or
// read off the stored points), the status-line report and the dotted tangent line the document keeps
// and draws again after every redraw.
#pragma once

#include <string>

#include "doc/graph_doc.h"
#include "expr/status.h"

namespace qv {

constexpr char MSG_NO_SLOPE[] = "Could not determine slope for equation at this point.";
constexpr char MSG_TANGENT_POINT[] = "x=%X, y=%Y, slope=%x ";
constexpr char MSG_TANGENT_OF[] = "(tangent of ";

// The central difference steps a hundredth of a pixel column.
constexpr double CENTRAL_DIFFERENCE_FRACTION = 0.01;
// A picked point matches a polar curve within this many pixel columns and rows.
constexpr int POLAR_MATCH_PIXELS = 5;
constexpr double POLAR_CANDIDATE_STEP = 3.1415926536;
// More candidate angles than this are not tried: a domain that wide holds no point of the screen
// that an earlier candidate would not have matched.
constexpr int POLAR_CANDIDATE_LIMIT = 100000;
// Slope at: the derivative could not be made and no fallback applies.
constexpr EvalStatus SLOPE_NOT_DIFFERENTIABLE = 1;

// Find Derivative: the derivative of e joins the queue (dots, colour, list) and is drawn at once.
// Without one the user is told why. Returns the new record (owned by the queue) or nullptr.
Equation* findDerivative(GraphDoc& doc, const Equation& e);

// dy/dx of e at x (dx/dy for a function of y, dr/dt for a polar curve). y comes in as the picked
// value, which chooses the branch of a two-branch equation, and goes out as the curve's value at x.
// status is 0 on success, the evaluator's bits, or SLOPE_NOT_DIFFERENTIABLE.
double slopeAt(const GraphDoc& doc, const Equation& e, double x, double& y, EvalStatus& status);

// The point of a polar curve that a picked point (x, y) stands for.
struct PolarMatch {
    bool found = false;
    double t = 0, r = 0;
    double x = 0, y = 0;  // the curve's point at t
};
PolarMatch matchPolarPoint(const GraphDoc& doc, const Equation& e, double x, double y);

enum class TangentResult {
    Nothing,        // no point list to read the slope from; nothing shown
    Failed,         // the message was shown; the record is unchanged
    Drawn,          // the first tangent: drawn at once
    RedrawNeeded,   // the tangent replaced another: the caller redraws the graph
};
// Draw Tangent at the picked point (x, y) of e; index is the stored point the pick lies on (used for
// the kinds whose slope is read off their points).
TangentResult tangentAt(TangentRecord& record, Equation& e, double x, double y, int index);

// The status-line text of a tangent.
std::string tangentStatusText(const Equation& e, double x, double y, double slope);

// Draws the record's line across the grid on the current surface; nothing when it holds no equation
// or the equation has no stored points.
void drawTangent(const TangentRecord& record);

// The two points where the line through (x0, y0) with the slope crosses the edges of the grid,
// looked for on the left, right, top and bottom edges in turn; false when fewer than two lie on the
// visible rectangle. On log-log paper the line is straight in logarithmic coordinates.
bool tangentEndPoints(const GridSetup& g, double x0, double y0, double slope, double& xa, double& ya, double& xb,
                      double& yb);

// A queued equation is going away: the tangent goes with it.
void forgetEquation(TangentRecord& record, const Equation* e);

// The tangent and the integrated region, drawn after every redraw of the graph.
void paintToolRecords(GraphDoc& doc);
// Installs paintToolRecords in the graphing driver.
void installToolRecordsPainter();

}  // namespace qv
