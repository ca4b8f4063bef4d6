#include "plot/curve_snap.h"

#include <cmath>
#include <cstdlib>

namespace qv {

namespace {

bool passes(const Equation& e, SnapFilter filter)
{
  if (e.kind() == GraphKind::Ode && e.ivs.empty())
    return false;
  return filter == SnapFilter::AnyCurve || isIntegrable(e);
}

long squaredDistance(DevicePoint a, DevicePoint b)
{
  const long dx = a.x - b.x, dy = a.y - b.y;
  return dx * dx + dy * dy;
}

// The pointer projected onto the segment a-b, clamped to its ends.
DevicePoint project(DevicePoint p, DevicePoint a, DevicePoint b)
{
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  if (length2 == 0)
    return a;
  double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2;
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  return DevicePoint{static_cast<std::int16_t>(std::lround(a.x + t * dx)),
                     static_cast<std::int16_t>(std::lround(a.y + t * dy))};
}

struct Best {
  long distance = long(SNAP_RADIUS) * SNAP_RADIUS;
  Equation* equation = nullptr;
  int index = -1;
};

// Walks one curve's points; the walk stops once it has held the best and moved away again.
void walkCurve(Equation& e, const PointList& list, DevicePoint pointer, Best& best)
{
  bool holding = false;
  const int n = list.count();
  for (int i = 0; i < n; ++i) {
    const DevicePoint p = list.entry(i);
    if (isEnd(p))
      break;
    if (isBreak(p))
      continue;
    const bool near = std::abs(p.x - pointer.x) <= SNAP_RADIUS && std::abs(p.y - pointer.y) <= SNAP_RADIUS;
    const long d = squaredDistance(p, pointer);
    if (near && d < best.distance) {
      best = Best{d, &e, i};
      holding = true;
    } else if (holding && d > best.distance) {
      break;
    }
  }
}

DevicePoint pointAt(const PointList& list, int i)
{
  if (i < 0 || i >= list.count())
    return POINT_END;
  return list.entry(i);
}

}  // namespace

bool isIntegrable(const Equation& e)
{
  return e.kind() == GraphKind::Cartesian && !(e.flags & eqflag::FunctionOfY) && e.aStart == UNDEFINED_VALUE;
}

CurveSnap snapToCurve(GraphDoc& doc, DevicePoint pointer, SnapFilter filter)
{
  Best best;
  for (Equation* e = doc.queueHead; e; e = e->next) {
    if (!(e->flags & eqflag::OnGrid) || !e->points || !passes(*e, filter))
      continue;
    LockedPointList stored(e->points);
    if (stored.valid())
      walkCurve(*e, stored.list, pointer, best);
  }
  CurveSnap snap;
  if (!best.equation)
    return snap;
  LockedPointList stored(best.equation->points);
  if (!stored.valid())
    return snap;
  const DevicePoint p = stored.list.entry(best.index);
  const DevicePoint before = pointAt(stored.list, best.index - 1);
  const DevicePoint after = pointAt(stored.list, best.index + 1);
  snap.equation = best.equation;
  snap.segment = best.index;
  snap.point = p;
  // Of the two neighbours, the one nearer to the pointer gives the segment to project onto.
  const bool useBefore = !isMarker(before) && (isMarker(after) || squaredDistance(before, pointer) < squaredDistance(after, pointer));
  if (useBefore) {
    snap.segment = best.index - 1;
    snap.point = project(pointer, before, p);
  } else if (!isMarker(after)) {
    snap.point = project(pointer, p, after);
  }
  return snap;
}

}  // namespace qv
