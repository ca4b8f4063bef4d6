// Hatching the region of an inequality. The boundary (the relation with its sign taken as an equals
// sign) is drawn by the Cartesian plotter first; the region where the relation holds is then built
// from the boundary's point list as closed device polygons: each run of the boundary is joined to
// the edge of the graph area (or, for a boundary with two branches, to the other branch) on the side
// where the relation holds, found by evaluating the relation at a few device points beside the curve.
// Each pass is filled with one hatched PolyPolygon; successive inequalities alternate between the
// two diagonal hatches so that overlapping regions stay readable.
#pragma once

#include "doc/graph_doc.h"
#include "plot/point_list.h"

namespace qv {

constexpr int SHADE_TEST_OFFSET = 3;  // device units between the curve and a point tested beside it

// Bits of the side on which the relation holds around a column (sideOfColumn, findEdgeCrossing).
constexpr int SIDE_ENDED_RUN = 1;  // the side of the run that ends there
constexpr int SIDE_NEXT_RUN = 2;   // the side of the run that starts there
constexpr int SIDE_BOTH = SIDE_ENDED_RUN | SIDE_NEXT_RUN;
constexpr int SIDE_EDGE = 4;       // where evaluation of the boundary starts or stops failing

// findEdgeCrossing modes.
constexpr int CROSSING_FAILS_AT_END = 1;    // the boundary cannot be evaluated toward the end limit
constexpr int CROSSING_FAILS_AT_START = 2;  // ... toward the start limit
constexpr int CROSSING_POLE = 4;            // a pole between two runs

// Hatches the region of eq, an inequality whose boundary points are in boundary, on the current
// surface. Equations that are no inequality are left alone.
void shadeInequality(GraphDoc& doc, Equation& eq, const PointList& boundary);
// With no equation: the next inequality shaded is the first of its screen again.
void shadeInequality(GraphDoc& doc);

// The relation of eq at one world point.
struct RelationTest {
    bool failed = false;  // the relation cannot be evaluated there; holds means nothing then
    bool holds = false;
};
RelationTest holdsAt(const Equation& eq, double x, double y);

}  // namespace qv
