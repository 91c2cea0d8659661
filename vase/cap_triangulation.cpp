#include "vase/cap_triangulation.h"

#include <cmath>

namespace {

constexpr double STAR_TOLERANCE = 1e-12;
constexpr double EAR_TOLERANCE = 1e-14;

// A uniform grid over the ring's points so that an ear test looks only at
// the cells its triangle covers instead of walking the remaining ring.
struct PointGrid {
  bool usable = false;
  double minX = 0, minY = 0, invW = 0, invH = 0, cellW = 0, cellH = 0;
  int64_t cols = 1, rows = 1;
  std::vector<int64_t> cellStart;  // cols * rows + 1 offsets into items
  std::vector<int64_t> items;
};

int64_t CellOf(double v, double lo, double inv, int64_t cells) {
  double f = std::floor((v - lo) * inv);
  if (!(f >= 0)) return 0;
  if (f >= static_cast<double>(cells - 1)) return cells - 1;
  return static_cast<int64_t>(f);
}

void BuildPointGrid(const double* x, const double* y, int64_t n, PointGrid& grid) {
  double minX = x[0], maxX = x[0], minY = y[0], maxY = y[0];
  for (int64_t i = 0; i < n; ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return;
    minX = std::fmin(minX, x[i]);
    maxX = std::fmax(maxX, x[i]);
    minY = std::fmin(minY, y[i]);
    maxY = std::fmax(maxY, y[i]);
  }
  double w = maxX - minX, h = maxY - minY;
  if (!std::isfinite(w) || !std::isfinite(h)) return;
  // About one point per cell, cells roughly square.
  double side = std::sqrt((w > 0 ? w : 1) * (h > 0 ? h : 1) / static_cast<double>(n));
  if (!(side > 0)) side = w > h ? w : h;
  grid.cols = w > 0 && side > 0 ? static_cast<int64_t>(std::fmin(w / side, 4096.0)) + 1 : 1;
  grid.rows = h > 0 && side > 0 ? static_cast<int64_t>(std::fmin(h / side, 4096.0)) + 1 : 1;
  grid.minX = minX;
  grid.minY = minY;
  grid.cellW = w > 0 ? w / static_cast<double>(grid.cols) : 1;
  grid.cellH = h > 0 ? h / static_cast<double>(grid.rows) : 1;
  grid.invW = 1 / grid.cellW;
  grid.invH = 1 / grid.cellH;
  int64_t cells = grid.cols * grid.rows;
  grid.cellStart.assign(static_cast<size_t>(cells + 1), 0);
  std::vector<int64_t> cellOfPoint(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    int64_t c = CellOf(y[i], minY, grid.invH, grid.rows) * grid.cols + CellOf(x[i], minX, grid.invW, grid.cols);
    cellOfPoint[i] = c;
    ++grid.cellStart[c + 1];
  }
  for (int64_t c = 0; c < cells; ++c) grid.cellStart[c + 1] += grid.cellStart[c];
  grid.items.resize(static_cast<size_t>(n));
  std::vector<int64_t> fill(grid.cellStart.begin(), grid.cellStart.end() - 1);
  for (int64_t i = 0; i < n; ++i) grid.items[fill[cellOfPoint[i]]++] = i;
  grid.usable = true;
}

double Distance(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

bool SameSpot(const double* x, const double* y, int64_t k, int64_t v) { return x[k] == x[v] && y[k] == y[v]; }

bool Blocks(const double* x, const double* y, int64_t a, int64_t b, int64_t c, int64_t k) {
  if (Cross2D(x[a], y[a], x[b], y[b], x[k], y[k]) >= 0 && Cross2D(x[b], y[b], x[c], y[c], x[k], y[k]) >= 0 &&
      Cross2D(x[c], y[c], x[a], y[a], x[k], y[k]) >= 0)
    return !SameSpot(x, y, k, a) && !SameSpot(x, y, k, b) && !SameSpot(x, y, k, c);
  return false;
}

// Extent in x of the triangle within the band lo <= y <= hi.
void BandExtent(const double* px, const double* py, double lo, double hi, double& xMin, double& xMax) {
  xMin = INFINITY;
  xMax = -INFINITY;
  for (int e = 0; e < 3; ++e) {
    int f = (e + 1) % 3;
    if (py[e] >= lo && py[e] <= hi) {
      xMin = std::fmin(xMin, px[e]);
      xMax = std::fmax(xMax, px[e]);
    }
    double y0 = py[e], y1 = py[f];
    if (y0 == y1) continue;
    for (double level : {lo, hi}) {
      if ((level - y0) * (level - y1) <= 0) {
        double t = (level - y0) / (y1 - y0);
        double xi = px[e] + t * (px[f] - px[e]);
        xMin = std::fmin(xMin, xi);
        xMax = std::fmax(xMax, xi);
      }
    }
  }
}

bool HasBlockerInGrid(const PointGrid& grid, const std::vector<uint8_t>& removed, const double* x, const double* y,
                      int64_t a, int64_t b, int64_t c) {
  double px[3] = {x[a], x[b], x[c]};
  double py[3] = {y[a], y[b], y[c]};
  double yMin = std::fmin(py[0], std::fmin(py[1], py[2]));
  double yMax = std::fmax(py[0], std::fmax(py[1], py[2]));
  // One cell of margin on every side absorbs the rounding of the predicate.
  int64_t r0 = CellOf(yMin, grid.minY, grid.invH, grid.rows) - 1;
  int64_t r1 = CellOf(yMax, grid.minY, grid.invH, grid.rows) + 1;
  if (r0 < 0) r0 = 0;
  if (r1 > grid.rows - 1) r1 = grid.rows - 1;
  for (int64_t r = r0; r <= r1; ++r) {
    double lo = grid.minY + static_cast<double>(r - 1) * grid.cellH;
    double hi = grid.minY + static_cast<double>(r + 2) * grid.cellH;
    double xMin, xMax;
    BandExtent(px, py, lo, hi, xMin, xMax);
    if (!(xMin <= xMax)) continue;
    int64_t c0 = CellOf(xMin, grid.minX, grid.invW, grid.cols) - 1;
    int64_t c1 = CellOf(xMax, grid.minX, grid.invW, grid.cols) + 1;
    if (c0 < 0) c0 = 0;
    if (c1 > grid.cols - 1) c1 = grid.cols - 1;
    const int64_t* start = grid.cellStart.data() + r * grid.cols;
    for (int64_t k = start[c0]; k < start[c1 + 1]; ++k) {
      int64_t v = grid.items[k];
      if (removed[v] || v == a || v == b || v == c) continue;
      if (Blocks(x, y, a, b, c, v)) return true;
    }
  }
  return false;
}

}  // namespace

void TriangulatePolygon(const double* x, const double* y, int64_t n, std::vector<int64_t>& triangles) {
  triangles.clear();
  if (n < 3) return;

  bool star = true;
  for (int64_t i = 0; i < n && star; ++i) {
    int64_t j = (i + 1) % n;
    if (!(x[i] * y[j] - x[j] * y[i] > STAR_TOLERANCE)) star = false;
  }
  if (star) {
    triangles.reserve(static_cast<size_t>(3 * n));
    for (int64_t i = 0; i < n; ++i) {
      triangles.push_back(n);
      triangles.push_back(i);
      triangles.push_back((i + 1) % n);
    }
    return;
  }

  std::vector<int64_t> next(static_cast<size_t>(n)), prev(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    next[i] = (i + 1) % n;
    prev[i] = (i + n - 1) % n;
  }
  std::vector<uint8_t> removed(static_cast<size_t>(n), 0);
  PointGrid grid;
  BuildPointGrid(x, y, n, grid);
  triangles.reserve(static_cast<size_t>(3 * (n - 2)));

  auto emitAndUnlink = [&](int64_t v) {
    int64_t a = prev[v], c = next[v];
    triangles.push_back(a);
    triangles.push_back(v);
    triangles.push_back(c);
    next[a] = c;
    prev[c] = a;
    removed[v] = 1;
  };

  int64_t remaining = n;
  int64_t current = 0;
  int64_t misses = 0;
  while (remaining > 3) {
    int64_t a = prev[current], b = current, c = next[current];
    bool ear = Cross2D(x[a], y[a], x[b], y[b], x[c], y[c]) > EAR_TOLERANCE;
    if (ear) {
      if (grid.usable) {
        ear = !HasBlockerInGrid(grid, removed, x, y, a, b, c);
      } else {
        for (int64_t k = next[c]; k != a; k = next[k]) {
          if (Blocks(x, y, a, b, c, k)) {
            ear = false;
            break;
          }
        }
      }
    }
    if (ear) {
      emitAndUnlink(b);
      --remaining;
      current = c;
      misses = 0;
      continue;
    }
    current = next[current];
    ++misses;
    if (misses > remaining) {
      int64_t best = current;
      double bestCross = -1e300;
      int64_t v = current;
      for (int64_t walked = 0; walked < remaining; ++walked, v = next[v]) {
        double cross = Cross2D(x[prev[v]], y[prev[v]], x[v], y[v], x[next[v]], y[next[v]]);
        if (cross > bestCross) {
          bestCross = cross;
          best = v;
        }
      }
      emitAndUnlink(best);
      --remaining;
      current = next[best];
      misses = 0;
    }
  }
  triangles.push_back(prev[current]);
  triangles.push_back(current);
  triangles.push_back(next[current]);
}

void StitchRings(const double* ax, const double* ay, int64_t n, const double* bx, const double* by, int64_t m,
                 std::vector<int64_t>& triangles) {
  if (n < 1 || m < 1) return;
  std::vector<double> sa(static_cast<size_t>(n + 1)), sb(static_cast<size_t>(m + 1));
  sa[0] = 0;
  for (int64_t k = 1; k <= n; ++k)
    sa[k] = sa[k - 1] + Distance(ax[k % n] - ax[k - 1], ay[k % n] - ay[k - 1]);
  sb[0] = 0;
  for (int64_t k = 1; k <= m; ++k)
    sb[k] = sb[k - 1] + Distance(bx[k % m] - bx[k - 1], by[k % m] - by[k - 1]);
  double la = sa[n] > 1e-12 ? sa[n] : 1e-12;
  double lb = sb[m] > 1e-12 ? sb[m] : 1e-12;

  int64_t i = 0, j = 0;
  while (i < n || j < m) {
    double ta = i < n ? sa[i + 1] / la : 2;
    double tb = j < m ? sb[j + 1] / lb : 2;
    int64_t i0 = i % n, i1 = (i + 1) % n, j0 = j % m, j1 = (j + 1) % m;
    bool advanceA = ta <= tb;
    // Arc length alone can fold a rim triangle on the pattern's flanks; take
    // the other ring's step when that one faces up and this one does not.
    if (advanceA && j < m && !(Cross2D(ax[i0], ay[i0], ax[i1], ay[i1], bx[j0], by[j0]) > 0) &&
        Cross2D(ax[i0], ay[i0], bx[j1], by[j1], bx[j0], by[j0]) > 0)
      advanceA = false;
    else if (!advanceA && i < n && !(Cross2D(ax[i0], ay[i0], bx[j1], by[j1], bx[j0], by[j0]) > 0) &&
             Cross2D(ax[i0], ay[i0], ax[i1], ay[i1], bx[j0], by[j0]) > 0)
      advanceA = true;
    if (advanceA) {
      triangles.push_back(i0);
      triangles.push_back(i1);
      triangles.push_back(n + j0);
      ++i;
    } else {
      triangles.push_back(i0);
      triangles.push_back(n + j1);
      triangles.push_back(n + j0);
      ++j;
    }
  }
}
