#include "vase/quad_diagonals.h"

#include <algorithm>
#include <cmath>

#include "vase/vase_slices.h"

namespace {

// Past this turn a band's slices all but meet at the axis.
constexpr double LARGEST_TURN = 170 * M_PI / 180;

// Ring edges filed by the grid cells their boxes cover.
struct EdgeGrid {
  double minX = 0, minY = 0, cell = 1;
  int64_t cols = 1, rows = 1;
  std::vector<std::vector<int64_t>> cells;
};

int64_t Cell(double v, double lo, double cell, int64_t count) {
  double f = std::floor((v - lo) / cell);
  if (!(f >= 0)) return 0;
  return f >= static_cast<double>(count - 1) ? count - 1 : static_cast<int64_t>(f);
}

void BuildEdgeGrid(const PointList& ring, EdgeGrid& grid) {
  const int64_t n = static_cast<int64_t>(ring.size());
  double minX = ring[0].x, maxX = minX, minY = ring[0].y, maxY = minY;
  for (const OutlinePoint& p : ring) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  double side = std::max(maxX - minX, maxY - minY);
  grid.cell = side > 0 ? side / std::min(512.0, std::ceil(std::sqrt(static_cast<double>(n)))) : 1;
  grid.minX = minX;
  grid.minY = minY;
  grid.cols = Cell(maxX, minX, grid.cell, 1 << 20) + 1;
  grid.rows = Cell(maxY, minY, grid.cell, 1 << 20) + 1;
  grid.cells.assign(static_cast<size_t>(grid.cols * grid.rows), {});
  for (int64_t k = 0; k < n; ++k) {
    const OutlinePoint& a = ring[static_cast<size_t>(k)];
    const OutlinePoint& b = ring[static_cast<size_t>((k + 1) % n)];
    int64_t c0 = Cell(std::min(a.x, b.x), minX, grid.cell, grid.cols);
    int64_t c1 = Cell(std::max(a.x, b.x), minX, grid.cell, grid.cols);
    int64_t r0 = Cell(std::min(a.y, b.y), minY, grid.cell, grid.rows);
    int64_t r1 = Cell(std::max(a.y, b.y), minY, grid.cell, grid.rows);
    for (int64_t r = r0; r <= r1; ++r)
      for (int64_t c = c0; c <= c1; ++c) grid.cells[static_cast<size_t>(r * grid.cols + c)].push_back(k);
  }
}

// Whether segment a-b runs through the inside of the convex region (corners
// counter-clockwise) by more than a touch.
bool SegmentEntersRegion(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint* region, int corners,
                         double margin) {
  double t0 = 0, t1 = 1;
  for (int e = 0; e < corners; ++e) {
    const OutlinePoint& p = region[e];
    const OutlinePoint& q = region[(e + 1) % corners];
    double ex = q.x - p.x, ey = q.y - p.y;
    double length = std::hypot(ex, ey);
    if (!(length > 0)) continue;
    // Distance inside this side, at a and at b, less the margin.
    double da = (ex * (a.y - p.y) - ey * (a.x - p.x)) / length - margin;
    double db = (ex * (b.y - p.y) - ey * (b.x - p.x)) / length - margin;
    if (da <= 0 && db <= 0) return false;
    if (da < 0) t0 = std::max(t0, da / (da - db));
    else if (db < 0) t1 = std::min(t1, da / (da - db));
    if (t0 >= t1) return false;
  }
  return true;
}

// Room for the fold of edge k on one side: the region it sweeps over the
// band, taken twice as high so that two folds facing each other both fit,
// holds no other part of the ring.
bool FoldHasRoom(const PointList& ring, const EdgeGrid& grid, std::vector<int64_t>& seen, int64_t stamp, int64_t k,
                 double turn, bool left) {
  const int64_t n = static_cast<int64_t>(ring.size());
  const OutlinePoint& a = ring[static_cast<size_t>(k)];
  const OutlinePoint& b = ring[static_cast<size_t>((k + 1) % n)];
  double ex = b.x - a.x, ey = b.y - a.y, length = std::hypot(ex, ey);
  if (!(length > 0)) return true;
  double nx = -ey / length, ny = ex / length;
  if (!left) {
    nx = -nx;
    ny = -ny;
  }
  // The quad's cut at any height between the slices bends off the edge
  // through a point on a circular arc that leaves the edge's ends at the
  // turn angle: inside the triangle of those tangents, or for large turns
  // the strip as high as the arc.
  OutlinePoint region[4];
  int corners;
  const double angle = std::fabs(turn);
  if (angle < M_PI / 4) {
    double h = length * std::tan(angle);
    region[0] = a;
    region[1] = b;
    region[2] = {(a.x + b.x) / 2 + nx * h, (a.y + b.y) / 2 + ny * h};
    corners = 3;
  } else {
    double h = length * std::tan(angle / 2);
    region[0] = a;
    region[1] = b;
    region[2] = {b.x + nx * h, b.y + ny * h};
    region[3] = {a.x + nx * h, a.y + ny * h};
    corners = 4;
  }
  if (!left) std::reverse(region, region + corners);
  double minX = region[0].x, maxX = minX, minY = region[0].y, maxY = minY;
  for (int c = 1; c < corners; ++c) {
    minX = std::min(minX, region[c].x);
    maxX = std::max(maxX, region[c].x);
    minY = std::min(minY, region[c].y);
    maxY = std::max(maxY, region[c].y);
  }
  const double margin = 1e-9 * length;
  int64_t c0 = Cell(minX, grid.minX, grid.cell, grid.cols), c1 = Cell(maxX, grid.minX, grid.cell, grid.cols);
  int64_t r0 = Cell(minY, grid.minY, grid.cell, grid.rows), r1 = Cell(maxY, grid.minY, grid.cell, grid.rows);
  for (int64_t r = r0; r <= r1; ++r) {
    for (int64_t c = c0; c <= c1; ++c) {
      for (int64_t g : grid.cells[static_cast<size_t>(r * grid.cols + c)]) {
        if (g == k || seen[static_cast<size_t>(g)] == stamp) continue;
        seen[static_cast<size_t>(g)] = stamp;
        if (SegmentEntersRegion(ring[static_cast<size_t>(g)], ring[static_cast<size_t>((g + 1) % n)], region,
                                corners, margin))
          return false;
      }
    }
  }
  return true;
}

// The side a quad over an edge folds to: split as flips says, turned by turn.
bool FoldsLeft(double turn, uint8_t flip) { return (turn > 0) != (flip != 0); }

}  // namespace

int64_t ChooseQuadDiagonals(const PointList& ring, double turn, bool materialLeft, std::vector<uint8_t>& flips) {
  const int64_t n = static_cast<int64_t>(ring.size());
  flips.assign(static_cast<size_t>(n), 0);
  if (turn == 0 || n < 3) return 1;
  if (!(std::fabs(turn) < LARGEST_TURN)) return 0;
  EdgeGrid grid;
  BuildEdgeGrid(ring, grid);
  std::vector<int64_t> seen(static_cast<size_t>(n), -1);
  int64_t stamp = 0;
  const bool awayLeft = !materialLeft;
  // The split that folds away from the material, and the other one.
  const uint8_t away = FoldsLeft(turn, 0) == awayLeft ? 0 : 1;
  int64_t sound = 1;
  for (int64_t k = 0; k < n; ++k) {
    if (FoldHasRoom(ring, grid, seen, stamp++, k, turn, awayLeft)) {
      flips[static_cast<size_t>(k)] = away;
    } else if (FoldHasRoom(ring, grid, seen, stamp++, k, turn, !awayLeft)) {
      flips[static_cast<size_t>(k)] = static_cast<uint8_t>(1 - away);
    } else {
      flips[static_cast<size_t>(k)] = away;
      sound = 0;
    }
  }
  return sound;
}

double LongestEdgeFoldingTo(const PointList& ring, double turn, const std::vector<uint8_t>& flips, bool left) {
  double longest = 0;
  if (turn == 0) return 0;
  for (size_t k = 0; k < ring.size(); ++k) {
    if (FoldsLeft(turn, flips[k]) != left) continue;
    const OutlinePoint& a = ring[k];
    const OutlinePoint& b = ring[(k + 1) % ring.size()];
    longest = std::max(longest, std::hypot(b.x - a.x, b.y - a.y));
  }
  return longest;
}

int64_t WallDiagonals(const VaseParams& vase, int64_t steps, const PointList& ring, bool inner,
                      std::vector<uint8_t>& flips, double& turn) {
  const double H = vase.height;
  turn = inner ? BandTurn(vase, InnerSliceZ(vase, 0, steps) / H, InnerSliceZ(vase, 1, steps) / H)
               : BandTurn(vase, 0, OuterSliceZ(vase, 1, steps) / H);
  if (!std::isfinite(turn)) turn = 0;
  return ChooseQuadDiagonals(ring, turn, !inner, flips);
}
