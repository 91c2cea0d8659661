#include "engine/loop_cut/crossing_grid.h"

#include <limits>

#include "engine/key_sort.h"

double LowestOfCell(const CrossingGrid& grid, double origin, int64_t r) {
  constexpr double NOT_FOUND = std::numeric_limits<double>::quiet_NaN();
  double v = origin + static_cast<double>(r) * grid.cell;
  // The bound is mostly within an ulp or two of v; near zero, where the
  // doubles lie dense, a bisection finds it.
  if (!(std::fabs(v) < 0x1p1000)) return NOT_FOUND;
  uint64_t below = OrderKey(v) - 2, above = OrderKey(v) + 2;
  if (GridCell(grid, FromOrderKey(below), origin) >= r || GridCell(grid, FromOrderKey(above), origin) < r) {
    double margin = (std::fabs(origin) + std::fabs(v)) * 0x1p-40 + 0x1p-1000;
    below = OrderKey(v - margin);
    above = OrderKey(v + margin);
    if (GridCell(grid, FromOrderKey(below), origin) >= r || GridCell(grid, FromOrderKey(above), origin) < r)
      return NOT_FOUND;
  }
  while (above - below > 1) {
    uint64_t mid = below + (above - below) / 2;
    (GridCell(grid, FromOrderKey(mid), origin) >= r ? above : below) = mid;
  }
  return FromOrderKey(above);
}


double CellBound(const CrossingGrid& grid, double origin, int64_t r, int64_t count) {
  if (r <= 0) return -std::numeric_limits<double>::infinity();
  if (r >= count) return std::numeric_limits<double>::infinity();
  return LowestOfCell(grid, origin, r);
}

SegmentBounds CellBounds(const CrossingGrid& grid, int64_t row, int64_t col) {
  return SegmentBounds{CellBound(grid, grid.minX, col, grid.gx), CellBound(grid, grid.minX, col + 1, grid.gx),
                       CellBound(grid, grid.minY, row, grid.gy), CellBound(grid, grid.minY, row + 1, grid.gy)};
}
