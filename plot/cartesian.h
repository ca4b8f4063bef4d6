// The plotter of y as a function of x (or x as a function of y): an adaptive walk across the visible
// range that keeps the curve smooth where it bends and cheap where it is flat, breaks it at poles,
// traces it back to the edge where it re-enters the window steeply, writes the coordinate table and
// collects candidate zeros and turning points.
#pragma once

#include <cstdint>
#include <vector>

#include "doc/graph_doc.h"
#include "expr/expr_node.h"

namespace qv {

constexpr int CANDIDATE_BATCH = 8;     // candidates are handed to the equation's list in batches
constexpr int CANDIDATE_LIMIT = 100;   // a list holding more accepts no further batch
constexpr int MAX_REFINEMENTS = 8;
constexpr int MANY_TURNS = 5;
constexpr double LINEAR_JUMP_LIMIT = 1e9;  // beyond this a jump across the window is not probed

// Plots tree (the curve's expression in the independent letter) for eq on doc's grid into the work
// list; returns PLOT_DONE, PLOT_ABORTED or PLOT_FAILED.
int plotCartesian(GraphDoc& doc, Equation& eq, const ExprNode* tree);

// What the last plotCartesian call cost: evaluations of the expression, and accepted points.
struct CartesianStats {
    long evaluations = 0;
    long points = 0;
};
const CartesianStats& lastCartesianStats();
// When set, every value of the independent variable the plotter evaluates at is appended here (for
// measuring the plotter against its evaluations alone).
void setCartesianTrace(std::vector<double>* trace);

}  // namespace qv
