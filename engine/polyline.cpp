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

// The ring as an open chain 0..n (point n a copy of point 0), its keep
// flags, and the search of its chords for their farthest points.
struct Chain {
  int64_t n = 0;
  std::vector<double> X, Y;
  std::vector<unsigned char> keep;
  ChordTree tree;
  int64_t scanned = 0;
};

// A chord with its farthest point i at distance d; d is -1 when the chord
// holds no point (or none with a distance), so no tolerance splits it.
struct Chord {
  int64_t a, b, i;
  double d;
};

// Sets up the chain and keeps point 0, the point farthest from it and the
// copy of point 0; returns the farthest point's index.
int64_t StartChain(const PointList& source, Chain& chain) {
  int64_t n = static_cast<int64_t>(source.size());
  chain.n = n;
  chain.X.resize(static_cast<size_t>(n) + 1);
  chain.Y.resize(static_cast<size_t>(n) + 1);
  for (int64_t i = 0; i < n; i++) {
    chain.X[i] = source[i].x;
    chain.Y[i] = source[i].y;
  }
  chain.X[n] = chain.X[0];
  chain.Y[n] = chain.Y[0];
  chain.keep.assign(static_cast<size_t>(n) + 1, 0);
  int64_t far = 0;
  double farD2 = 0;
  for (int64_t i = 1; i < n; i++) {
    double dx = chain.X[i] - chain.X[0];
    double dy = chain.Y[i] - chain.Y[0];
    double d2 = dx * dx + dy * dy;
    if (d2 > farD2) {
      farD2 = d2;
      far = i;
    }
  }
  chain.keep[0] = chain.keep[far] = chain.keep[n] = 1;
  return far;
}

Chord Measure(Chain& chain, int64_t a, int64_t b) {
  Chord chord{a, b, a, -1};
  if (b - a < 2) return chord;
  if (b - a > TREE_MIN_SPAN && chain.scanned > TREE_AFTER_SCANS * chain.n) {
    if (chain.tree.X == nullptr) BuildChordTree(chain.tree, chain.X.data(), chain.Y.data(), chain.n + 1);
    chord.i = FarthestByTree(chain.tree, a, b, chord.d);
  } else {
    chord.i = FarthestFromChord(chain.X.data(), chain.Y.data(), a, b, chord.d);
    chain.scanned += b - a - 1;
  }
  return chord;
}

// Point 0 was kept only because the chain had to start somewhere; it goes
// when the stretch across the closing edge is straight enough without it.
bool DropsPointZero(const Chain& chain, double tolerance) {
  const int64_t n = chain.n;
  const double* X = chain.X.data();
  const double* Y = chain.Y.data();
  int64_t a = n - 1;
  while (a > 0 && !chain.keep[a]) a--;
  int64_t b = 1;
  while (b < n && !chain.keep[b]) b++;
  if (!(b < n && a > b)) return false;
  double worst = 0;
  for (int64_t i = a + 1; i < n + b; i++) {
    int64_t k = i % n;
    double d = PointSegmentDistance(X[k], Y[k], X[a], Y[a], X[b], Y[b]);
    if (d > worst) worst = d;
  }
  return worst <= tolerance;
}

void Output(const PointList& source, Chain& chain, double tolerance, PointList& destination) {
  if (DropsPointZero(chain, tolerance)) chain.keep[0] = 0;
  destination.clear();
  for (int64_t i = 0; i < chain.n; i++) {
    if (chain.keep[i]) destination.push_back(source[i]);
  }
}

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
  if (source.size() < 4 || !(tolerance > 0)) {
    destination = source;
    return;
  }
  Chain chain;
  int64_t far = StartChain(source, chain);
  // Explicit stack: outlines reach hundreds of thousands of points, too deep
  // for recursion on a degenerate (spiral-like) ring.
  std::vector<Chord> stack{Measure(chain, 0, far), Measure(chain, far, chain.n)};
  while (!stack.empty()) {
    Chord chord = stack.back();
    stack.pop_back();
    if (chord.d > tolerance) {
      chain.keep[chord.i] = 1;
      stack.push_back(Measure(chain, chord.a, chord.i));
      stack.push_back(Measure(chain, chord.i, chord.b));
    }
  }
  Output(source, chain, tolerance, destination);
}

// A chord's farthest point does not depend on the tolerance, so the chords
// a larger tolerance splits are a part of those a smaller one splits: the
// tolerances are taken largest first, each splitting on from where the last
// stopped, and the first that keeps too many points is undone as soon as it
// does. A ring of spikes that only the last passes thin then costs the
// points kept, not a full simplification per pass.
void SimplifyClosedPolylineToBudget(const PointList& source, double firstTolerance, int64_t passes, int64_t budget,
                                    PointList& destination) {
  if (source.size() < 4 || !(firstTolerance > 0) || passes < 1) {
    SimplifyClosedPolyline(source, firstTolerance, destination);
    return;
  }
  if (&source == &destination) {
    PointList copy = source;
    SimplifyClosedPolylineToBudget(copy, firstTolerance, passes, budget, destination);
    return;
  }
  std::vector<double> tolerances{firstTolerance};
  while (static_cast<int64_t>(tolerances.size()) < passes) tolerances.push_back(2 * tolerances.back());
  Chain chain;
  int64_t far = StartChain(source, chain);
  int64_t kept = far == 0 ? 1 : 2;
  std::vector<Chord> open{Measure(chain, 0, far), Measure(chain, far, chain.n)};
  std::vector<Chord> stack, later;
  std::vector<int64_t> added;
  int64_t answer = passes - 1;
  for (int64_t pass = passes - 1; pass >= 0; pass--) {
    const double tolerance = tolerances[static_cast<size_t>(pass)];
    const bool last = pass == passes - 1;
    bool over = false;
    stack.swap(open);
    later.clear();
    added.clear();
    while (!stack.empty() && !over) {
      Chord chord = stack.back();
      stack.pop_back();
      if (!(chord.d > tolerance)) {
        later.push_back(chord);
        continue;
      }
      chain.keep[chord.i] = 1;
      added.push_back(chord.i);
      kept++;
      // Dropping point 0 takes one point at most.
      over = !last && kept - 1 > budget;
      stack.push_back(Measure(chain, chord.a, chord.i));
      stack.push_back(Measure(chain, chord.i, chord.b));
    }
    bool fits = !over && (kept <= budget || (kept - 1 == budget && DropsPointZero(chain, tolerance)));
    if (!fits && !last) {
      for (int64_t i : added) chain.keep[i] = 0;
      break;
    }
    answer = pass;
    if (!fits) break;
    open.swap(later);
  }
  Output(source, chain, tolerances[static_cast<size_t>(answer)], destination);
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
