// Exact predicates on points and segments: the turn of three points, and
// where two segments meet, free of rounding.
#pragma once

#include <algorithm>

// The sign of the turn a -> b -> c by exact arithmetic, for when the plain
// determinant lies within its rounding of zero.
int OrientExactSlow(double ax, double ay, double bx, double by, double cx, double cy);

// The exact sign of the turn a -> b -> c: +1 left, -1 right, 0 straight.
// Mostly the plain determinant settles it, beyond Shewchuk's first error
// bound.
inline int OrientExact(double ax, double ay, double bx, double by, double cx, double cy) {
  double left = (bx - ax) * (cy - ay), right = (by - ay) * (cx - ax);
  double det = left - right;
  double bound = 3.3306690738754716e-16 * ((left < 0 ? -left : left) + (right < 0 ? -right : right));
  if (det > bound) return 1;
  if (-det > bound) return -1;
  return OrientExactSlow(ax, ay, bx, by, cx, cy);
}

inline bool WithinBox(double ax, double ay, double bx, double by, double px, double py) {
  return std::min(ax, bx) <= px && px <= std::max(ax, bx) && std::min(ay, by) <= py && py <= std::max(ay, by);
}

// Where segments a-b and c-d meet, exactly: 0 apart, 1 a proper crossing,
// 2..5 an end point of one lying on the other (c, d, a, b).
inline int MeetKind(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
  if (std::max(ax, bx) < std::min(cx, dx) || std::max(cx, dx) < std::min(ax, bx) ||
      std::max(ay, by) < std::min(cy, dy) || std::max(cy, dy) < std::min(ay, by))
    return 0;
  int o1 = OrientExact(ax, ay, bx, by, cx, cy), o2 = OrientExact(ax, ay, bx, by, dx, dy);
  int o3 = OrientExact(cx, cy, dx, dy, ax, ay), o4 = OrientExact(cx, cy, dx, dy, bx, by);
  if (o1 * o2 < 0 && o3 * o4 < 0) return 1;
  if (o1 == 0 && WithinBox(ax, ay, bx, by, cx, cy)) return 2;
  if (o2 == 0 && WithinBox(ax, ay, bx, by, dx, dy)) return 3;
  if (o3 == 0 && WithinBox(cx, cy, dx, dy, ax, ay)) return 4;
  if (o4 == 0 && WithinBox(cx, cy, dx, dy, bx, by)) return 5;
  return 0;
}
