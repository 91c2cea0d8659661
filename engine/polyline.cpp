#include "engine/polyline.h"

#include <cmath>
#include <vector>

#include "engine/chord_search.h"

namespace {

constexpr double CLEARANCE_FACTOR = 0.9;
// Once the plain scans have measured this many points per point of the
// ring, chords longer than TREE_MIN_SPAN are searched through the tree:
// ordinary rings split their chords evenly and never get there.
constexpr int64_t TREE_AFTER_SCANS = 64;
constexpr int64_t TREE_MIN_SPAN = 1024;

}  // namespace

double PointSegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  return std::sqrt(PointSegmentDistance2(px, py, ax, ay, bx, by));
}

void SimplifyClosedPolyline(const PointList& source, double tolerance, PointList& destination) {
  if (&source == &destination) {
    // Emptying the destination first would lose the ring.
    PointList copy = source;
    SimplifyClosedPolyline(copy, tolerance, destination);
    return;
  }
  destination.clear();
  int64_t n = static_cast<int64_t>(source.size());
  if (n < 4 || !(tolerance > 0)) {
    destination = source;
    return;
  }
  // Index n is a copy of point 0, so the ring is handled as an open chain 0..n.
  std::vector<double> X(static_cast<size_t>(n) + 1), Y(static_cast<size_t>(n) + 1);
  for (int64_t i = 0; i < n; i++) {
    X[i] = source[i].x;
    Y[i] = source[i].y;
  }
  X[n] = X[0];
  Y[n] = Y[0];
  std::vector<unsigned char> keep(static_cast<size_t>(n) + 1, 0);

  int64_t far = 0;
  double farD2 = 0;
  for (int64_t i = 1; i < n; i++) {
    double dx = X[i] - X[0];
    double dy = Y[i] - Y[0];
    double d2 = dx * dx + dy * dy;
    if (d2 > farD2) {
      farD2 = d2;
      far = i;
    }
  }
  keep[0] = keep[far] = keep[n] = 1;

  // Explicit stack: outlines reach hundreds of thousands of points, too deep
  // for recursion on a degenerate (spiral-like) ring.
  ChordTree tree;
  int64_t scanned = 0;
  std::vector<int64_t> stack;
  stack.reserve(2 * static_cast<size_t>(n) + 5);
  stack.push_back(0);
  stack.push_back(far);
  stack.push_back(far);
  stack.push_back(n);
  while (!stack.empty()) {
    int64_t b = stack.back();
    stack.pop_back();
    int64_t a = stack.back();
    stack.pop_back();
    if (b - a < 2) continue;
    double best = 0;
    int64_t bestIndex;
    if (b - a > TREE_MIN_SPAN && scanned > TREE_AFTER_SCANS * n) {
      if (tree.X == nullptr) BuildChordTree(tree, X.data(), Y.data(), n + 1);
      bestIndex = FarthestByTree(tree, a, b, best);
    } else {
      bestIndex = FarthestFromChord(X.data(), Y.data(), a, b, best);
      scanned += b - a - 1;
    }
    if (best > tolerance) {
      keep[bestIndex] = 1;
      stack.push_back(a);
      stack.push_back(bestIndex);
      stack.push_back(bestIndex);
      stack.push_back(b);
    }
  }

  // Point 0 was kept only because the chain had to start somewhere; drop it
  // when the stretch across the closing edge is straight enough without it.
  int64_t a = n - 1;
  while (a > 0 && !keep[a]) a--;
  int64_t b = 1;
  while (b < n && !keep[b]) b++;
  if (b < n && a > b) {
    double worst = 0;
    for (int64_t i = a + 1; i < n + b; i++) {
      int64_t k = i % n;
      double d = PointSegmentDistance(X[k], Y[k], X[a], Y[a], X[b], Y[b]);
      if (d > worst) worst = d;
    }
    if (worst <= tolerance) keep[0] = 0;
  }

  for (int64_t i = 0; i < n; i++) {
    if (keep[i]) destination.push_back(source[i]);
  }
}

int64_t CheckOffsetClearance(const PointList& source, const double* x, const double* y, int64_t n, double d) {
  int64_t step = n / CLEARANCE_SAMPLES;
  if (step < 1) step = 1;
  size_t m = source.size();
  for (int64_t k = 0; k < n; k += step) {
    double best = 1e300;
    for (size_t i = 0; i < m; i++) {
      const OutlinePoint& p = source[i];
      const OutlinePoint& q = source[(i + 1) % m];
      double d2 = PointSegmentDistance2(x[k], y[k], p.x, p.y, q.x, q.y);
      if (d2 < best) best = d2;
    }
    if (std::sqrt(best) < CLEARANCE_FACTOR * d - 1e-6) return 0;
  }
  return 1;
}
