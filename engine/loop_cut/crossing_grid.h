// The uniform grid of a crossing search: cells of one side over the ring's
// bounding box, numbered row by row.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/design.h"

// The grid's cell is at least the ring box's larger side / GRID_DIVISIONS.
constexpr int64_t GRID_DIVISIONS = 1024;

// A box: a segment's, or a cell's (then half open at its upper sides).
struct SegmentBounds {
  double x0, x1, y0, y1;
};

// Closed boxes that touch or overlap.
inline bool BoundsMeet(const SegmentBounds& a, const SegmentBounds& b) {
  return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

// The uniform grid of one crossing search.
struct CrossingGrid {
  double minX, minY, cell, inverse;
  int64_t gx, gy;
};

// The integer part of (v - origin) / cell, exactly. The division is done by
// a multiplication and redone only where the quotient lies close to a whole
// number: the product is within 4e-16 q of the quotient, and past 1e6 that
// margin would not be enough (the grid never gets there). Inline, as the
// searches call it for every segment.
inline int64_t GridCell(const CrossingGrid& grid, double v, double origin) {
  double q = (v - origin) * grid.inverse;
  if (!(q < 1e6)) return static_cast<int64_t>((v - origin) / grid.cell);
  int64_t whole = static_cast<int64_t>(q);
  double fraction = q - static_cast<double>(whole);
  if (fraction < 1e-9 || fraction > 1 - 1e-9) return static_cast<int64_t>((v - origin) / grid.cell);
  return whole;
}

// The grid of a ring of n segments with this bounding box and lengths'
// sum: cells of the larger of twice the mean segment length and the box's
// larger side / GRID_DIVISIONS. False when non-finite points leave no usable
// grid (such a ring is left as it is); sideSetCell tells whether the box's
// side set the cell.
inline bool MakeCrossingGrid(const SegmentBounds& box, double perimeter, int64_t n, CrossingGrid& grid,
                             bool& sideSetCell) {
  double w = box.x1 - box.x0, h = box.y1 - box.y0;
  double sideCell = MaxF(w, h) / static_cast<double>(GRID_DIVISIONS);
  double cell = MaxF(2 * perimeter / static_cast<double>(n), sideCell);
  sideSetCell = false;
  if (!(cell > 0) || !std::isfinite(w) || !std::isfinite(h) || std::isnan(perimeter)) return false;
  grid = CrossingGrid{box.x0, box.y0, cell, 1 / cell, static_cast<int64_t>(w / cell) + 1,
                      static_cast<int64_t>(h / cell) + 1};
  sideSetCell = cell == sideCell;
  return true;
}

// The smallest value whose cell index from `origin` is r (or more), r >= 1;
// NaN when it could not be pinned down. Cells grow with the value, so v lies
// in cell r exactly when LowestOfCell(r) <= v < LowestOfCell(r + 1).
double LowestOfCell(const CrossingGrid& grid, double origin, int64_t r);
// The same for any r: -infinity for the first cell, +infinity past the
// last of `count`.
double CellBound(const CrossingGrid& grid, double origin, int64_t r, int64_t count);
// Cell (row, col) in coordinates: a value lies in it exactly when it is at
// least the lower bound and below the upper one; NaN where a bound could not
// be pinned down.
SegmentBounds CellBounds(const CrossingGrid& grid, int64_t row, int64_t col);
