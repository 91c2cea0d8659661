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

// A convex region, corners counter-clockwise, with its box.
struct Region {
  OutlinePoint p[4];
  int corners = 0;
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

// Where the quads over edge a-b fold to on one side, at every height
// between the slices: the cut at a height bends off the edge through a
// point on a circular arc that leaves the edge's ends at the turn angle and
// rises (length / 2)·tan(turn / 2). Held in the arc's tangents cut at that
// height; past a right angle the arc overhangs the edge's ends and the
// region is the box around it.
Region FoldRegion(const OutlinePoint& a, const OutlinePoint& b, double turn, bool left) {
  double ex = b.x - a.x, ey = b.y - a.y, length = std::hypot(ex, ey);
  double dx = ex / length, dy = ey / length, nx = -dy, ny = dx;
  if (!left) {
    nx = -nx;
    ny = -ny;
  }
  const double angle = std::fabs(turn);
  const double h = length / 2 * std::tan(angle / 2);
  double inset = angle < M_PI / 2 ? h / std::tan(angle) : -(length / 2 / std::sin(angle) - length / 2);
  if (!std::isfinite(inset)) inset = 0;
  const double ax = a.x + dx * std::min(inset, 0.0), ay = a.y + dy * std::min(inset, 0.0);
  const double bx = b.x - dx * std::min(inset, 0.0), by = b.y - dy * std::min(inset, 0.0);
  const double top = std::max(inset, 0.0);
  Region r;
  r.p[0] = {ax, ay};
  r.p[1] = {bx, by};
  r.p[2] = {bx - dx * top + nx * h, by - dy * top + ny * h};
  r.p[3] = {ax + dx * top + nx * h, ay + dy * top + ny * h};
  r.corners = 4;
  if (!left) std::reverse(r.p, r.p + 4);
  r.minX = r.maxX = r.p[0].x;
  r.minY = r.maxY = r.p[0].y;
  for (int c = 1; c < 4; ++c) {
    r.minX = std::min(r.minX, r.p[c].x);
    r.maxX = std::max(r.maxX, r.p[c].x);
    r.minY = std::min(r.minY, r.p[c].y);
    r.maxY = std::max(r.maxY, r.p[c].y);
  }
  return r;
}

// Whether some side of one region has the other wholly outside it (or just
// touching): convex regions that share no inside.
bool SeparatedBySide(const Region& one, const Region& other, double margin) {
  for (int e = 0; e < one.corners; ++e) {
    const OutlinePoint& p = one.p[e];
    const OutlinePoint& q = one.p[(e + 1) % one.corners];
    double ex = q.x - p.x, ey = q.y - p.y, length = std::hypot(ex, ey);
    if (!(length > 0)) continue;
    bool outside = true;
    for (int c = 0; c < other.corners && outside; ++c)
      outside = (ex * (other.p[c].y - p.y) - ey * (other.p[c].x - p.x)) / length <= margin;
    if (outside) return true;
  }
  return false;
}

bool RegionsOverlap(const Region& one, const Region& other, double margin) {
  return !SeparatedBySide(one, other, margin) && !SeparatedBySide(other, one, margin);
}

// The folds already chosen, filed by the cells of the edge grid.
struct ChosenFolds {
  std::vector<Region> regions;
  std::vector<int64_t> edges;
  std::vector<std::vector<int64_t>> cells;
  std::vector<int64_t> seen;
};

void CellRange(const EdgeGrid& grid, const Region& r, int64_t& c0, int64_t& c1, int64_t& r0, int64_t& r1) {
  c0 = Cell(r.minX, grid.minX, grid.cell, grid.cols);
  c1 = Cell(r.maxX, grid.minX, grid.cell, grid.cols);
  r0 = Cell(r.minY, grid.minY, grid.cell, grid.rows);
  r1 = Cell(r.maxY, grid.minY, grid.cell, grid.rows);
}

// Room for the fold of edge k: its region crosses no other edge of the ring
// and meets no fold chosen before but its neighbours', which share a
// corner with it and are held to the turn there instead.
bool FoldHasRoom(const PointList& ring, const EdgeGrid& grid, std::vector<int64_t>& seen, int64_t& stamp,
                 const ChosenFolds& chosen, std::vector<int64_t>& seenFold, int64_t k, const Region& region) {
  const int64_t n = static_cast<int64_t>(ring.size());
  const OutlinePoint& a = ring[static_cast<size_t>(k)];
  const OutlinePoint& b = ring[static_cast<size_t>((k + 1) % n)];
  const double margin = 1e-9 * std::hypot(b.x - a.x, b.y - a.y);
  int64_t c0, c1, r0, r1;
  CellRange(grid, region, c0, c1, r0, r1);
  ++stamp;
  for (int64_t r = r0; r <= r1; ++r) {
    for (int64_t c = c0; c <= c1; ++c) {
      const size_t cell = static_cast<size_t>(r * grid.cols + c);
      for (int64_t g : grid.cells[cell]) {
        if (g == k || seen[static_cast<size_t>(g)] == stamp) continue;
        seen[static_cast<size_t>(g)] = stamp;
        if (SegmentEntersRegion(ring[static_cast<size_t>(g)], ring[static_cast<size_t>((g + 1) % n)], region.p,
                                region.corners, margin))
          return false;
      }
      for (int64_t f : chosen.cells[cell]) {
        if (seenFold[static_cast<size_t>(f)] == stamp) continue;
        seenFold[static_cast<size_t>(f)] = stamp;
        const int64_t other = chosen.edges[static_cast<size_t>(f)];
        if (other == (k + 1) % n || other == (k + n - 1) % n) continue;
        if (RegionsOverlap(region, chosen.regions[static_cast<size_t>(f)], margin)) return false;
      }
    }
  }
  return true;
}

void AddFold(const EdgeGrid& grid, const Region& region, int64_t k, ChosenFolds& chosen) {
  const int64_t index = static_cast<int64_t>(chosen.regions.size());
  chosen.regions.push_back(region);
  chosen.edges.push_back(k);
  int64_t c0, c1, r0, r1;
  CellRange(grid, region, c0, c1, r0, r1);
  for (int64_t r = r0; r <= r1; ++r)
    for (int64_t c = c0; c <= c1; ++c) chosen.cells[static_cast<size_t>(r * grid.cols + c)].push_back(index);
}

// The side a quad over an edge folds to: split as flips says, turned by turn.
bool FoldsLeft(double turn, uint8_t flip) { return (turn > 0) != (flip != 0); }

// Whether the cut of the wall keeps its way round ring corner k between
// edges k - 1 and k, split as given: a split on (lower j, upper j2) turns
// the cut's piece that leaves a corner by the slices' turn, the other split
// the piece that arrives; the corner's own turn and these together must
// stay short of a half turn, or the cut doubles back on itself.
bool CornerKeepsItsWay(const PointList& ring, int64_t k, double turn, uint8_t before, uint8_t after) {
  const int64_t n = static_cast<int64_t>(ring.size());
  const OutlinePoint& p = ring[static_cast<size_t>((k + n - 1) % n)];
  const OutlinePoint& q = ring[static_cast<size_t>(k)];
  const OutlinePoint& r = ring[static_cast<size_t>((k + 1) % n)];
  const double ux = q.x - p.x, uy = q.y - p.y, vx = r.x - q.x, vy = r.y - q.y;
  if (!(std::hypot(ux, uy) > 0) || !(std::hypot(vx, vy) > 0)) return true;
  const double corner = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  const double bend = corner + (after == 0 ? turn : 0) - (before != 0 ? turn : 0);
  return std::fabs(bend) < M_PI - 1e-9;
}

}  // namespace

int64_t ChooseQuadDiagonals(const PointList& ring, double turn, bool materialLeft, std::vector<uint8_t>& flips) {
  const int64_t n = static_cast<int64_t>(ring.size());
  flips.assign(static_cast<size_t>(n), 0);
  if (turn == 0 || n < 3) return 1;
  if (!(std::fabs(turn) < LARGEST_TURN)) return 0;
  EdgeGrid grid;
  BuildEdgeGrid(ring, grid);
  std::vector<int64_t> seen(static_cast<size_t>(n), -1), seenFold(static_cast<size_t>(n), -1);
  int64_t stamp = 0;
  ChosenFolds chosen;
  chosen.cells.assign(grid.cells.size(), {});
  const bool awayLeft = !materialLeft;
  // The split that folds away from the material, and the other one.
  const uint8_t away = FoldsLeft(turn, 0) == awayLeft ? 0 : 1;
  int64_t sound = 1;
  for (int64_t k = 0; k < n; ++k) {
    const OutlinePoint& a = ring[static_cast<size_t>(k)];
    const OutlinePoint& b = ring[static_cast<size_t>((k + 1) % n)];
    flips[static_cast<size_t>(k)] = away;
    if (!(std::hypot(b.x - a.x, b.y - a.y) > 0)) continue;
    const Region there = FoldRegion(a, b, turn, awayLeft);
    // The corners this edge closes: its start, and for the last edge the
    // ring's first corner as well.
    auto cornersHold = [&](uint8_t flip) {
      if (k > 0 && !CornerKeepsItsWay(ring, k, turn, flips[static_cast<size_t>(k - 1)], flip)) return false;
      return k + 1 < n || CornerKeepsItsWay(ring, 0, turn, flip, flips[0]);
    };
    const uint8_t other = static_cast<uint8_t>(1 - away);
    bool folded = cornersHold(away) && FoldHasRoom(ring, grid, seen, stamp, chosen, seenFold, k, there);
    if (folded) {
      AddFold(grid, there, k, chosen);
    } else if (cornersHold(other)) {
      // The fold towards the material, only where the one away has no room.
      const Region back = FoldRegion(a, b, turn, !awayLeft);
      folded = FoldHasRoom(ring, grid, seen, stamp, chosen, seenFold, k, back);
      if (folded) {
        flips[static_cast<size_t>(k)] = other;
        AddFold(grid, back, k, chosen);
      }
    }
    if (!folded) sound = 0;
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

int64_t SplitWall(const VaseParams& vase, int64_t steps, const PointList& ring, bool inner, WallSplits& splits) {
  if (inner) return splits.innerOk = WallDiagonals(vase, steps, ring, true, splits.innerFlips, splits.innerTurn);
  return splits.outerOk = WallDiagonals(vase, steps, ring, false, splits.outerFlips, splits.outerTurn);
}

const QuadCorner* WallQuadCorners(uint8_t flip, bool inner) {
  static const QuadCorner corners[2][2][6] = {
      {{{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}}, {{0, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}, {1, 0}}},
      {{{0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}}, {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}}}};
  return corners[inner ? 1 : 0][flip != 0 ? 1 : 0];
}
