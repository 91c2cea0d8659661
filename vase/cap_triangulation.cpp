#include "vase/cap_triangulation.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

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

// Appends n - 2 triangles of the ring clipped ear by ear.
void EarClip(const double* x, const double* y, int64_t n, std::vector<int64_t>& triangles) {
  std::vector<int64_t> next(static_cast<size_t>(n)), prev(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    next[i] = (i + 1) % n;
    prev[i] = (i + n - 1) % n;
  }
  std::vector<uint8_t> removed(static_cast<size_t>(n), 0);
  PointGrid grid;
  BuildPointGrid(x, y, n, grid);
  triangles.reserve(triangles.size() + static_cast<size_t>(3 * (n - 2)));

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
        double corner = Cross2D(x[prev[v]], y[prev[v]], x[v], y[v], x[next[v]], y[next[v]]);
        if (corner > bestCross) {
          bestCross = corner;
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
  EarClip(x, y, n, triangles);
}

namespace {

bool SamePoint(double ax, double ay, double bx, double by) { return ax == bx && ay == by; }

bool Between(double v, double a, double b) { return a <= b ? a <= v && v <= b : b <= v && v <= a; }

// Whether segment p-q and segment u-v cross or touch.
bool SegmentsMeet(double px, double py, double qx, double qy, double ux, double uy, double vx, double vy) {
  double d1 = Cross2D(ux, uy, vx, vy, px, py), d2 = Cross2D(ux, uy, vx, vy, qx, qy);
  double d3 = Cross2D(px, py, qx, qy, ux, uy), d4 = Cross2D(px, py, qx, qy, vx, vy);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
  auto on = [](double d, double x, double y, double ax, double ay, double bx, double by) {
    return d == 0 && Between(x, ax, bx) && Between(y, ay, by);
  };
  return on(d3, ux, uy, px, py, qx, qy) || on(d4, vx, vy, px, py, qx, qy) || on(d1, px, py, ux, uy, vx, vy) ||
         on(d2, qx, qy, ux, uy, vx, vy);
}

struct RingView {
  const double* x;
  const double* y;
  int64_t n;
};

// Whether the direction from ring point k towards (tx, ty) starts into the
// region left of the ring there; reversed walks the ring the other way.
bool OpensInto(const RingView& r, int64_t k, bool reversed, double tx, double ty) {
  int64_t a = (k + r.n - 1) % r.n, c = (k + 1) % r.n;
  if (reversed) std::swap(a, c);
  double left1 = Cross2D(r.x[a], r.y[a], r.x[k], r.y[k], tx, ty);
  double left2 = Cross2D(r.x[k], r.y[k], r.x[c], r.y[c], tx, ty);
  if (Cross2D(r.x[a], r.y[a], r.x[k], r.y[k], r.x[c], r.y[c]) >= 0) return left1 > 0 && left2 > 0;
  return left1 > 0 || left2 > 0;
}

// No edge of either ring meets the bridge but at its own ends.
bool BridgeIsClear(const RingView& outer, int64_t o, const RingView& inner, int64_t i) {
  double px = inner.x[i], py = inner.y[i], qx = outer.x[o], qy = outer.y[o];
  if (!OpensInto(outer, o, false, px, py) || !OpensInto(inner, i, true, qx, qy)) return false;
  for (const RingView* r : {&outer, &inner}) {
    for (int64_t k = 0; k < r->n; ++k) {
      int64_t l = (k + 1) % r->n;
      double ux = r->x[k], uy = r->y[k], vx = r->x[l], vy = r->y[l];
      if (SamePoint(ux, uy, px, py) || SamePoint(ux, uy, qx, qy) || SamePoint(vx, vy, px, py) ||
          SamePoint(vx, vy, qx, qy))
        continue;
      if (SegmentsMeet(px, py, qx, qy, ux, uy, vx, vy)) return false;
    }
  }
  return true;
}

// An outer point that the inner ring's rightmost point i sees: the ray
// towards +x meets the outer ring first on some edge; the edge's right end,
// or a reflex corner inside the triangle it spans with the ray, at the
// smallest angle to the ray. Checked, with a nearest-first search behind it.
int64_t FindBridge(const RingView& outer, const RingView& inner, int64_t i) {
  const double hx = inner.x[i], hy = inner.y[i];
  double qx = INFINITY;
  int64_t best = -1;
  for (int64_t k = 0; k < outer.n; ++k) {
    int64_t l = (k + 1) % outer.n;
    double ay = outer.y[k], by = outer.y[l];
    if (ay == by || !Between(hy, ay, by)) continue;
    double x = outer.x[k] + (hy - ay) * (outer.x[l] - outer.x[k]) / (by - ay);
    if (x >= hx && x < qx) {
      qx = x;
      best = outer.x[k] > outer.x[l] ? k : l;
    }
  }
  if (best >= 0) {
    const double mx = outer.x[best], my = outer.y[best];
    double bestTan = INFINITY, bestD2 = INFINITY;
    int64_t found = -1;
    for (int64_t k = 0; k < outer.n; ++k) {
      double vx = outer.x[k], vy = outer.y[k];
      if (!(vx > hx) || vx > mx) continue;
      double c1 = Cross2D(hx, hy, qx, hy, vx, vy), c2 = Cross2D(qx, hy, mx, my, vx, vy);
      double c3 = Cross2D(mx, my, hx, hy, vx, vy);
      bool inside = (c1 >= 0 && c2 >= 0 && c3 >= 0) || (c1 <= 0 && c2 <= 0 && c3 <= 0);
      if (!inside && k != best) continue;
      if (!OpensInto(outer, k, false, hx, hy)) continue;
      double tan = std::fabs(vy - hy) / (vx - hx);
      double d2 = (vx - hx) * (vx - hx) + (vy - hy) * (vy - hy);
      if (tan < bestTan || (tan == bestTan && d2 < bestD2)) {
        bestTan = tan;
        bestD2 = d2;
        found = k;
      }
    }
    if (found >= 0 && BridgeIsClear(outer, found, inner, i)) return found;
  }
  std::vector<std::pair<double, int64_t>> byDistance(static_cast<size_t>(outer.n));
  for (int64_t k = 0; k < outer.n; ++k) {
    double dx = outer.x[k] - hx, dy = outer.y[k] - hy;
    byDistance[static_cast<size_t>(k)] = {dx * dx + dy * dy, k};
  }
  std::sort(byDistance.begin(), byDistance.end());
  for (const auto& [d2, k] : byDistance)
    if (BridgeIsClear(outer, k, inner, i)) return k;
  // Rings that cross each other have no clean bridge; the nearest point
  // still gives N + M triangles.
  return byDistance[0].second;
}

// Sine of the triangle's smallest corner: twice its area over the two
// longer sides; 0 or less when flat or turned over.
double SmallestSine(const double* x, const double* y, int64_t a, int64_t b, int64_t c) {
  double ab = std::hypot(x[b] - x[a], y[b] - y[a]), bc = std::hypot(x[c] - x[b], y[c] - y[b]);
  double ca = std::hypot(x[a] - x[c], y[a] - y[c]);
  double shortest = std::fmin(ab, std::fmin(bc, ca));
  double product = ab * bc * ca / shortest;
  double cross = Cross2D(x[a], y[a], x[b], y[b], x[c], y[c]);
  return product > 0 ? cross / product : cross;
}

// Ear clipping leaves slivers along runs of points that are straight but for
// rounding, whose winding does not survive the slice transform or single
// precision, and its fall-back may turn a triangle over. Flipping the
// diagonal of two neighbours whenever that raises the pair's smallest corner
// clearly: every flip raises the sorted list of smallest
// corners, so the flipping ends.
void FlipSlivers(const double* x, const double* y, std::vector<int64_t>& t, size_t first) {
  auto key = [](int64_t a, int64_t b) { return static_cast<uint64_t>(a) << 32 | static_cast<uint64_t>(b); };
  std::unordered_map<uint64_t, size_t> owner;
  std::vector<std::pair<int64_t, int64_t>> pending;
  for (size_t k = first; k + 2 < t.size(); k += 3) {
    for (int e = 0; e < 3; ++e) {
      owner[key(t[k + e], t[k + (e + 1) % 3])] = k;
      pending.push_back({t[k + e], t[k + (e + 1) % 3]});
    }
  }
  auto third = [&](size_t k, int64_t a, int64_t b) {
    for (int e = 0; e < 3; ++e)
      if (t[k + e] != a && t[k + e] != b) return t[k + e];
    return a;
  };
  size_t budget = 20 * (t.size() - first) + 100;
  while (!pending.empty() && budget-- > 0) {
    auto [a, b] = pending.back();
    pending.pop_back();
    auto one = owner.find(key(a, b)), other = owner.find(key(b, a));
    if (one == owner.end() || other == owner.end()) continue;
    size_t k1 = one->second, k2 = other->second;
    int64_t c = third(k1, a, b), d = third(k2, a, b);
    if (Cross2D(x[c], y[c], x[a], y[a], x[d], y[d]) <= EAR_TOLERANCE ||
        Cross2D(x[d], y[d], x[b], y[b], x[c], y[c]) <= EAR_TOLERANCE)
      continue;
    double before = std::fmin(SmallestSine(x, y, a, b, c), SmallestSine(x, y, b, a, d));
    double after = std::fmin(SmallestSine(x, y, c, a, d), SmallestSine(x, y, d, b, c));
    if (!(after > 1.001 * before + 1e-12)) continue;
    owner.erase(one);
    owner.erase(other);
    t[k1] = c;
    t[k1 + 1] = a;
    t[k1 + 2] = d;
    t[k2] = d;
    t[k2 + 1] = b;
    t[k2 + 2] = c;
    owner[key(c, a)] = k1;
    owner[key(a, d)] = k1;
    owner[key(d, c)] = k1;
    owner[key(d, b)] = k2;
    owner[key(b, c)] = k2;
    owner[key(c, d)] = k2;
    pending.insert(pending.end(), {{a, d}, {d, b}, {b, c}, {c, a}});
  }
}

}  // namespace

void TriangulateCap(const double* x, const double* y, int64_t n, std::vector<int64_t>& triangles) {
  TriangulatePolygon(x, y, n, triangles);
  if (static_cast<int64_t>(triangles.size()) != 3 * n) FlipSlivers(x, y, triangles, 0);
}

void StitchRings(const double* ax, const double* ay, int64_t n, const double* bx, const double* by, int64_t m,
                 std::vector<int64_t>& triangles) {
  if (n < 1 || m < 1) return;
  int64_t i = 0;
  for (int64_t k = 1; k < m; ++k)
    if (bx[k] > bx[i]) i = k;
  const RingView outer{ax, ay, n}, inner{bx, by, m};
  const int64_t o = FindBridge(outer, inner, i);

  // One ring with the hole cut open: the outer ring from o round to o again,
  // across to the inner ring, round it the other way, and back.
  const int64_t total = n + m + 2;
  std::vector<double> x(static_cast<size_t>(total)), y(static_cast<size_t>(total));
  std::vector<int64_t> index(static_cast<size_t>(total));
  for (int64_t k = 0; k <= n; ++k) {
    int64_t v = (o + k) % n;
    x[static_cast<size_t>(k)] = ax[v];
    y[static_cast<size_t>(k)] = ay[v];
    index[static_cast<size_t>(k)] = v;
  }
  for (int64_t k = 0; k <= m; ++k) {
    int64_t v = ((i - k) % m + m) % m;
    x[static_cast<size_t>(n + 1 + k)] = bx[v];
    y[static_cast<size_t>(n + 1 + k)] = by[v];
    index[static_cast<size_t>(n + 1 + k)] = n + v;
  }
  std::vector<int64_t> band;
  EarClip(x.data(), y.data(), total, band);
  const size_t first = triangles.size();
  triangles.reserve(first + band.size());
  for (int64_t k : band) triangles.push_back(index[static_cast<size_t>(k)]);
  std::vector<double> allX(ax, ax + n), allY(ay, ay + n);
  allX.insert(allX.end(), bx, bx + m);
  allY.insert(allY.end(), by, by + m);
  FlipSlivers(allX.data(), allY.data(), triangles, first);
}
