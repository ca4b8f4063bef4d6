// Finding the drawn curve nearest to the mouse pointer, from the device points each curve keeps.
#pragma once

#include "doc/graph_doc.h"
#include "plot/point_list.h"

namespace qv {

constexpr int SNAP_RADIUS = 5;  // pixels, in each direction

enum class SnapFilter {
  AnyCurve,
  Integrable,  // plain functions of x without a parameter family
};

struct CurveSnap {
  Equation* equation = nullptr;  // none when no curve is within reach
  int segment = -1;              // index of the stored point the segment starts at
  DevicePoint point{};           // the pointer projected onto that segment
};

// The nearest point of a curve on screen within SNAP_RADIUS of the pointer, refined onto the
// neighbouring segment nearer to the pointer.
CurveSnap snapToCurve(GraphDoc& doc, DevicePoint pointer, SnapFilter filter);

// Moves a point attached to a curve along the curve by the pointer's displacement (dx, dy). False when
// the curve is lost: a jump too far for the screen, or the end of a run. On a small screen the reach is
// shorter.
bool followCurve(const GridSetup& grid, CurveSnap& at, int dx, int dy, bool smallScreen);

// Whether two directions are less than 60 degrees apart.
bool withinSixtyDegrees(int ax, int ay, int bx, int by);

}  // namespace qv
