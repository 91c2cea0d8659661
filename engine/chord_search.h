// The search of a chain of points for the one farthest from a chord: the
// hot loop of the polyline simplification.
#pragma once

#include <cstdint>
#include <vector>

// Squared distance from P to the segment A-B, the parameter clamped to it.
inline double PointSegmentDistance2(double px, double py, double ax, double ay, double bx, double by) {
  double dx = bx - ax;
  double dy = by - ay;
  double l2 = dx * dx + dy * dy;
  double t = 0;
  if (l2 > 0) {
    t = ((px - ax) * dx + (py - ay) * dy) / l2;
    if (t < 0) t = 0;
    if (t > 1) t = 1;
  }
  double ex = px - ax - t * dx;
  double ey = py - ay - t * dy;
  return ex * ex + ey * ey;
}

// The index in a+1 .. b-1 farthest from the segment P[a]-P[b] (the first of
// equal maxima) and its distance; a and -1 when no point has a distance.
int64_t FarthestFromChord(const double* X, const double* Y, int64_t a, int64_t b, double& best);

// Boxes of a chain's points by blocks of indices, as a tree of unions (node
// 1 the root, leaves from `leaves` on), and each node's convex hull as its
// upper and lower chains (indices into X, Y, x rising): node k's upper chain
// is upper[upperFrom[k] .. upperTo[k]). No hulls when a point is infinite.
struct ChordTree {
  const double* X = nullptr;
  const double* Y = nullptr;
  int64_t leaves = 1;
  std::vector<double> x0, x1, y0, y1;
  bool hulls = false;
  std::vector<int32_t> upper, lower;
  std::vector<int64_t> upperFrom, upperTo, lowerFrom, lowerTo;
};

void BuildChordTree(ChordTree& tree, const double* X, const double* Y, int64_t n);
// The same answer as FarthestFromChord, boxes taken best first: a chain
// whose points flip from side to side with a growing swing makes the
// simplification peel off one point per chord, and the plain scan would
// cost the square of its length.
int64_t FarthestByTree(const ChordTree& tree, int64_t a, int64_t b, double& best);
