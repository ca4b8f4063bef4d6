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

bool isIntegrable(const Equation& e);

// The nearest point of a curve on screen within SNAP_RADIUS of the pointer, refined onto the
// neighbouring segment nearer to the pointer.
CurveSnap snapToCurve(GraphDoc& doc, DevicePoint pointer, SnapFilter filter);

}  // namespace qv
