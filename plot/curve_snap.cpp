#include "plot/curve_snap.h"

#include <cmath>
#include <cstdlib>

namespace qv {

namespace {

// A plain function of x without a parameter family: the curves the integration tool can pick.
bool integrableCurve(const Equation& e)
{
  return e.kind() == GraphKind::Cartesian && !(e.flags & eqflag::FunctionOfY) && e.aStart == UNDEFINED_VALUE;
}

bool passes(const Equation& e, SnapFilter filter)
{
  if (e.kind() == GraphKind::Ode && e.ivs.empty())
    return false;
  return filter == SnapFilter::AnyCurve || integrableCurve(e);
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

struct Box {
  int left, top, right, bottom;
  bool contains(DevicePoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

DevicePoint devicePoint(double x, double y)
{
  return DevicePoint{static_cast<std::int16_t>(std::lround(x)), static_cast<std::int16_t>(std::lround(y))};
}

// The point where the segment from an inside point to an outside one leaves the box.
DevicePoint leaveBox(DevicePoint inside, DevicePoint outside, const Box& box)
{
  double t = 1;
  const double dx = outside.x - inside.x, dy = outside.y - inside.y;
  if (dx > 0 && outside.x > box.right)
    t = std::min(t, (box.right - inside.x) / dx);
  if (dx < 0 && outside.x < box.left)
    t = std::min(t, (box.left - inside.x) / dx);
  if (dy > 0 && outside.y > box.bottom)
    t = std::min(t, (box.bottom - inside.y) / dy);
  if (dy < 0 && outside.y < box.top)
    t = std::min(t, (box.top - inside.y) / dy);
  t = std::max(0.0, t);
  return devicePoint(inside.x + t * dx, inside.y + t * dy);
}

// The target of a move that stays on the segment a-b: a vertical move keeps its row, a horizontal
// one its column, any other is projected onto the segment.
DevicePoint ontoSegment(DevicePoint target, int dx, int dy, DevicePoint a, DevicePoint b)
{
  if (dx == 0 && dy != 0 && a.y != b.y)
    return devicePoint(a.x + double(target.y - a.y) * (b.x - a.x) / (b.y - a.y), target.y);
  if (dy == 0 && dx != 0 && a.x != b.x)
    return devicePoint(target.x, a.y + double(target.x - a.x) * (b.y - a.y) / (b.x - a.x));
  return project(target, a, b);
}

}  // namespace

bool withinSixtyDegrees(int ax, int ay, int bx, int by)
{
  const double dot = double(ax) * bx + double(ay) * by;
  const double lengths = std::sqrt((double(ax) * ax + double(ay) * ay) * (double(bx) * bx + double(by) * by));
  return lengths > 0 && dot > 0.5 * lengths;
}

bool followCurve(const GridSetup& grid, CurveSnap& at, int dx, int dy, bool smallScreen)
{
  const double reach = smallScreen ? 1.5 * 27 * 18 : 1.5 * 40 * 27;
  if (!at.equation || double(dx) * dx + double(dy) * dy > reach)
    return false;
  LockedPointList stored(at.equation->points);
  if (!stored.valid())
    return false;
  const PointList& list = stored.list;
  const int n = list.count();
  auto segmentAt = [&](int i, DevicePoint& a, DevicePoint& b) {
    if (i < 0 || i + 1 >= n)
      return false;
    a = list.entry(i);
    b = list.entry(i + 1);
    return !isMarker(a) && !isMarker(b);
  };
  DevicePoint a, b;
  if (!segmentAt(at.segment, a, b))
    return false;
  const DevicePoint position = at.point;
  const DevicePoint target{static_cast<std::int16_t>(position.x + dx), static_cast<std::int16_t>(position.y + dy)};
  // The segment's box, one pixel larger on the side the pointer mostly moves to.
  auto boxOf = [&](DevicePoint p, DevicePoint q) {
    Box box{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    if (std::abs(dx) >= std::abs(dy))
      (dx > 0 ? box.right : box.left) += dx > 0 ? 1 : -1;
    else
      (dy > 0 ? box.bottom : box.top) += dy > 0 ? 1 : -1;
    return box;
  };
  Box box = boxOf(a, b);
  if (position == b && !box.contains(target)) {
    if (!segmentAt(at.segment + 1, a, b))
      return false;
    ++at.segment;
    box = boxOf(a, b);
  }
  if (box.contains(target)) {
    at.point = ontoSegment(target, dx, dy, a, b);
    // The pixel grown onto the box lies past an end of the segment: it belongs to the neighbouring one.
    const Box segment{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (!segment.contains(at.point)) {
      DevicePoint c, d;
      const bool pastEnd = squaredDistance(at.point, b) < squaredDistance(at.point, a);
      const int neighbour = at.segment + (pastEnd ? 1 : -1);
      if (segmentAt(neighbour, c, d))
        at.segment = neighbour;
    }
    return true;
  }
  // Further along the curve: the first point outside the box between the position and the target,
  // stretched across the plotting area along the axis the pointer did not mostly move on.
  Box span{std::min(position.x, target.x), std::min(position.y, target.y), std::max(position.x, target.x),
           std::max(position.y, target.y)};
  if (std::abs(dx) >= std::abs(dy)) {
    span.top = grid.areaTop;
    span.bottom = grid.areaBottom;
  } else {
    span.left = grid.areaLeft;
    span.right = grid.areaRight;
  }
  const bool forward = squaredDistance(b, target) < squaredDistance(a, target);
  DevicePoint inside = position;
  for (int j = forward ? at.segment + 1 : at.segment; j >= 0 && j < n; j += forward ? 1 : -1) {
    const DevicePoint p = list.entry(j);
    if (isMarker(p))
      return true;  // the run ends inside: stay
    if (!span.contains(p)) {
      if (!withinSixtyDegrees(p.x - position.x, p.y - position.y, dx, dy))
        return true;
      at.point = leaveBox(inside, p, span);
      at.segment = forward ? j - 1 : j;
      return true;
    }
    inside = p;
  }
  return true;
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
