// The plotters of curves that are not a function of x or y: r as a function of theta (polar), x and y
// as functions of t (parametric), and a single fixed point. The polar and parametric plotters walk
// their parameter with an adaptive step measured on the screen, trace a curve that re-enters the
// window back to the edge it came in through, and write their own coordinate table rows.
#pragma once

#include <string>

#include "doc/graph_doc.h"
#include "expr/expr_node.h"

namespace qv {

// The first polar step, one sixtieth of pi; the fineness does not scale it.
constexpr double POLAR_FIRST_STEP = 0.05235987756;
// A parametric walk without a given step starts with sqrt(span) / (this * fineness).
constexpr double PARAMETRIC_STEP_DIVISOR = 35;
// The largest accepted distance between two points, as a multiple of the smallest (squared).
constexpr double POLAR_MAX_D2_FACTOR = 25;
constexpr double PARAMETRIC_MAX_D2_FACTOR = 50;
// Step changes at the window's edge: polar curves divide (re-entry, last step) and multiply (leaving)
// by the first, parametric curves by the second.
constexpr double POLAR_EDGE_FACTOR = 4;
constexpr double PARAMETRIC_EDGE_FACTOR = 8;

constexpr char POLAR_ROW_FORMAT[] = " pi\t%.4f\t%.3f\t%.3f";
constexpr char PARAMETRIC_ROW_FORMAT[] = "%.1f\t%.4f\t%.4f";
constexpr char POINT_ROW_FORMAT[] = "%X\t%y";

// Each plots eq for the graphing driver into the work list and returns PLOT_DONE, PLOT_ABORTED or
// PLOT_FAILED. tree is the curve's expression: r(theta) for polar graphs (tree 1, or tree 0 for the
// second branch), y(t) for parametric graphs and y for a point (x comes from tree 0).
int plotPolar(GraphDoc& doc, Equation& eq, const ExprNode* tree);
int plotParametric(GraphDoc& doc, Equation& eq, const ExprNode* tree);
int plotPoint(GraphDoc& doc, Equation& eq, const ExprNode* tree);

// The text of a polar table row at theta: the angle as a multiple of pi, then r, x and y.
std::string polarTableRow(double theta, double r, double x, double y);

}  // namespace qv
