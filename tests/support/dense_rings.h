// Dense rings as other programs export them: fine circles (clean or noisy),
// combs and zigzags, for the tests and benchmarks of the simplification, the
// loop cut and the import. Each caller keeps its own sizes, seeds and form.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "engine/design.h"

// Where a round ring starts, counter-clockwise at angle t = 2 pi k / n:
// at the right (r cos t, r sin t); at the top written as (-r sin t, r cos t);
// or at the top as the angle pi / 2 + t (the same points within rounding).
enum RingStart { RING_FROM_RIGHT, RING_FROM_TOP, RING_FROM_TOP_ANGLE };

// n points around a circle, `radius()` called once a point, in order.
template <class Radius>
PointList RoundRing(int64_t n, RingStart start, Radius radius) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) {
    double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    double r = radius();
    if (start == RING_FROM_RIGHT) ring.push_back({r * std::cos(t), r * std::sin(t)});
    if (start == RING_FROM_TOP) ring.push_back({-r * std::sin(t), r * std::cos(t)});
    if (start == RING_FROM_TOP_ANGLE) {
      double a = std::numbers::pi / 2 + t;
      ring.push_back({r * std::cos(a), r * std::sin(a)});
    }
  }
  return ring;
}

inline PointList CleanCircle(int64_t n, double radius, RingStart start) {
  return RoundRing(n, start, [radius] { return radius; });
}

// A circle with uniform noise of +- `noise` on the radius, drawn from `random`.
template <class Engine>
PointList NoisyCircle(int64_t n, double radius, double noise, Engine random, RingStart start) {
  std::uniform_real_distribution<double> jitter(-noise, noise);
  return RoundRing(n, start, [&] { return radius + jitter(random); });
}

// Teeth (x alternating 20 / 20 + depth, y rising by `step`) on one side, a
// straight back at x = -20 on the other, from the last tooth's height or,
// with `backOneStepHigher`, one step above it.
inline PointList Comb(int64_t teeth, double step, double depth, bool backOneStepHigher) {
  PointList ring;
  for (int64_t k = 0; k < 2 * teeth; ++k) ring.push_back({k % 2 ? 20 + depth : 20.0, step * static_cast<double>(k)});
  ring.push_back({-20, step * static_cast<double>(backOneStepHigher ? 2 * teeth : 2 * teeth - 1)});
  ring.push_back({-20, 0});
  return ring;
}

// x alternating -20 / +20, y climbing `rise` a vertex; the closing segment
// runs back across every tooth.
inline PointList WideZigzag(int64_t n, double rise) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) ring.push_back({k % 2 ? 20.0 : -20.0, rise * static_cast<double>(k)});
  return ring;
}

// A zigzag 0.01 a vertex wide whose swing grows along it, closed by a base
// at y = baseY.
inline PointList GrowingZigzag(int64_t n, double baseY) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k)
    ring.push_back({0.01 * static_cast<double>(k), (k % 2 ? 1 : -1) * (0.001 + 0.0005 * static_cast<double>(k))});
  ring.push_back({0.01 * static_cast<double>(n), baseY});
  ring.push_back({0, baseY});
  return ring;
}

// A zigzag of even swing 2 mm, `step` a vertex wide, closed by a flat base
// 10 mm below that ends at x = baseEnd.
inline PointList FlatZigzag(int64_t n, double step, double baseEnd) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) ring.push_back({step * static_cast<double>(k), k % 2 ? 2.0 : 0.0});
  ring.push_back({baseEnd, -10});
  ring.push_back({0, -10});
  return ring;
}
