#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "vase/cap_triangulation.h"

namespace {

using Triangles = std::vector<int64_t>;

struct Ring {
  std::vector<double> x, y;
  void Add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
  }
  int64_t Size() const { return static_cast<int64_t>(x.size()); }
};

double RingArea(const Ring& r) {
  double a = 0;
  for (int64_t i = 0; i < r.Size(); ++i) {
    int64_t j = (i + 1) % r.Size();
    a += r.x[i] * r.y[j] - r.x[j] * r.y[i];
  }
  return a / 2;
}

// The ear clipping as first described, walking the whole remaining ring for
// every ear test: the reference for the indexed search.
Triangles ReferenceEarClipping(const Ring& r) {
  const double* x = r.x.data();
  const double* y = r.y.data();
  int64_t n = r.Size();
  Triangles out;
  std::vector<int64_t> next(n), prev(n);
  for (int64_t i = 0; i < n; ++i) {
    next[i] = (i + 1) % n;
    prev[i] = (i + n - 1) % n;
  }
  auto cross = [&](int64_t a, int64_t b, int64_t c) { return Cross2D(x[a], y[a], x[b], y[b], x[c], y[c]); };
  auto same = [&](int64_t k, int64_t v) { return x[k] == x[v] && y[k] == y[v]; };
  auto unlink = [&](int64_t v) {
    out.insert(out.end(), {prev[v], v, next[v]});
    next[prev[v]] = next[v];
    prev[next[v]] = prev[v];
  };
  int64_t remaining = n, current = 0, misses = 0;
  while (remaining > 3) {
    int64_t a = prev[current], b = current, c = next[current];
    bool ear = cross(a, b, c) > 1e-14;
    for (int64_t k = next[c]; ear && k != a; k = next[k]) {
      if (cross(a, b, k) >= 0 && cross(b, c, k) >= 0 && cross(c, a, k) >= 0 && !same(k, a) && !same(k, b) &&
          !same(k, c))
        ear = false;
    }
    if (ear) {
      unlink(b);
      --remaining;
      current = c;
      misses = 0;
      continue;
    }
    current = next[current];
    if (++misses > remaining) {
      int64_t best = current, v = current;
      double bestCross = -1e300;
      for (int64_t w = 0; w < remaining; ++w, v = next[v]) {
        if (cross(prev[v], v, next[v]) > bestCross) {
          bestCross = cross(prev[v], v, next[v]);
          best = v;
        }
      }
      unlink(best);
      --remaining;
      current = next[best];
      misses = 0;
    }
  }
  out.insert(out.end(), {prev[current], current, next[current]});
  return out;
}

double TriangleCross(const Ring& r, const Triangles& t, size_t k) {
  return Cross2D(r.x[t[k]], r.y[t[k]], r.x[t[k + 1]], r.y[t[k + 1]], r.x[t[k + 2]], r.y[t[k + 2]]);
}

// A gear: teeth of depth `depth` on a circle, every side finely sampled.
Ring Gear(int teeth, double outer, double depth, int perSide, double cx = 0) {
  Ring r;
  int corners = 4 * teeth;
  std::vector<double> cxs, cys;
  for (int k = 0; k < corners; ++k) {
    double a = M_PI / 2 + 2 * M_PI * k / corners;
    double radius = (k / 2) % 2 == 0 ? outer : outer - depth;
    cxs.push_back(cx + radius * std::cos(a));
    cys.push_back(radius * std::sin(a));
  }
  for (int k = 0; k < corners; ++k) {
    int l = (k + 1) % corners;
    for (int s = 0; s < perSide; ++s) {
      double t = static_cast<double>(s) / perSide;
      r.Add(cxs[k] + t * (cxs[l] - cxs[k]), cys[k] + t * (cys[l] - cys[k]));
    }
  }
  return r;
}

TEST(TriangulatePolygon, ExactOutputsOfSmallRings) {
  Triangles t;
  Ring centred;
  for (auto [x, y] : {std::pair{-10.0, -10.0}, {10.0, -10.0}, {10.0, 10.0}, {-10.0, 10.0}}) centred.Add(x, y);
  TriangulatePolygon(centred.x.data(), centred.y.data(), 4, t);
  EXPECT_EQ(t, (Triangles{4, 0, 1, 4, 1, 2, 4, 2, 3, 4, 3, 0}));

  Ring offCentre;
  for (auto [x, y] : {std::pair{20.0, 0.0}, {30.0, 0.0}, {30.0, 10.0}, {20.0, 10.0}}) offCentre.Add(x, y);
  TriangulatePolygon(offCentre.x.data(), offCentre.y.data(), 4, t);
  EXPECT_EQ(t, (Triangles{3, 0, 1, 3, 1, 2}));

  Ring triangle;
  for (auto [x, y] : {std::pair{10.0, 0.0}, {20.0, 0.0}, {10.0, 10.0}}) triangle.Add(x, y);
  TriangulatePolygon(triangle.x.data(), triangle.y.data(), 3, t);
  EXPECT_EQ(t, (Triangles{2, 0, 1}));

  // The origin lies in the notch of the C, outside the ring.
  Ring c;
  for (auto [x, y] : {std::pair{-10.0, -10.0}, {10.0, -10.0}, {10.0, -5.0}, {-5.0, -5.0}, {-5.0, 5.0},
                      {10.0, 5.0}, {10.0, 10.0}, {-10.0, 10.0}})
    c.Add(x, y);
  TriangulatePolygon(c.x.data(), c.y.data(), 8, t);
  EXPECT_EQ(t, (Triangles{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 5, 6, 4, 6, 7, 4, 7, 0}));
  EXPECT_EQ(t, ReferenceEarClipping(c));
  double area = 0;
  for (size_t k = 0; k < t.size(); k += 3) {
    EXPECT_GT(TriangleCross(c, t, k), 0);
    area += TriangleCross(c, t, k) / 2;
  }
  EXPECT_DOUBLE_EQ(area, RingArea(c));

  // Fewer than three points give nothing rather than a made-up triangle.
  TriangulatePolygon(c.x.data(), c.y.data(), 2, t);
  EXPECT_TRUE(t.empty());
}

TEST(TriangulatePolygon, OriginOnTheRingOrCollinearRunsAreEarClipped) {
  Triangles t;
  // The origin is a corner: not strictly inside, so no fan.
  Ring corner;
  for (auto [x, y] : {std::pair{0.0, 0.0}, {10.0, 0.0}, {10.0, 10.0}, {0.0, 10.0}}) corner.Add(x, y);
  TriangulatePolygon(corner.x.data(), corner.y.data(), 4, t);
  EXPECT_EQ(t.size(), 6u);
  EXPECT_EQ(t, ReferenceEarClipping(corner));

  // Collinear points along every side of an off-centre square.
  Ring runs;
  for (int side = 0; side < 4; ++side)
    for (int s = 0; s < 5; ++s) {
      double u = s / 5.0;
      double xs[] = {20 + 10 * u, 30, 30 - 10 * u, 20};
      double ys[] = {0, 10 * u, 10, 10 - 10 * u};
      runs.Add(xs[side], ys[side]);
    }
  TriangulatePolygon(runs.x.data(), runs.y.data(), runs.Size(), t);
  EXPECT_EQ(t.size(), 3u * (runs.Size() - 2));
  EXPECT_EQ(t, ReferenceEarClipping(runs));
}

TEST(TriangulatePolygon, IndexedSearchMatchesTheWalkOnLargeRings) {
  Triangles t;
  // Gears away from the origin are not star-shaped about it.
  for (const Ring& r : {Gear(12, 40, 15, 9, 60), Gear(40, 50, 8, 6, 80), Gear(7, 30, 29, 11, -40)}) {
    TriangulatePolygon(r.x.data(), r.y.data(), r.Size(), t);
    ASSERT_EQ(t.size(), 3u * (r.Size() - 2));
    EXPECT_EQ(t, ReferenceEarClipping(r));
    double area = 0;
    for (size_t k = 0; k < t.size(); k += 3) area += TriangleCross(r, t, k) / 2;
    EXPECT_NEAR(area, RingArea(r), 1e-9 * std::fabs(RingArea(r)));
  }
  // Duplicated points (a sharp corner stored twice) never block.
  Ring dup = Gear(5, 30, 10, 3, 35);
  dup.x.insert(dup.x.begin() + 4, dup.x[4]);
  dup.y.insert(dup.y.begin() + 4, dup.y[4]);
  TriangulatePolygon(dup.x.data(), dup.y.data(), dup.Size(), t);
  EXPECT_EQ(t, ReferenceEarClipping(dup));
}

// The band as a tiling: N + M triangles, all facing up, their areas adding
// to the band's, each ring edge used once forwards and every other edge
// matched by its reverse.
void ExpectTiledBand(const Ring& outer, const Ring& inner, const Triangles& t, size_t first = 0) {
  int64_t n = outer.Size(), m = inner.Size();
  ASSERT_EQ(t.size() - first, 3u * (n + m));
  Ring all = outer;
  all.x.insert(all.x.end(), inner.x.begin(), inner.x.end());
  all.y.insert(all.y.end(), inner.y.begin(), inner.y.end());
  std::map<std::pair<int64_t, int64_t>, int> edges;
  double area = 0;
  for (size_t k = first; k < t.size(); k += 3) {
    EXPECT_GT(TriangleCross(all, t, k), 0) << "triangle " << (k - first) / 3;
    area += TriangleCross(all, t, k) / 2;
    for (int e = 0; e < 3; ++e) ++edges[{t[k + e], t[k + (e + 1) % 3]}];
  }
  EXPECT_NEAR(area, RingArea(outer) - RingArea(inner), 1e-9 * RingArea(outer));
  for (int64_t v = 0; v < n; ++v) edges[{(v + 1) % n, v}] += 1;
  for (int64_t v = 0; v < m; ++v) edges[{n + v, n + (v + 1) % m}] += 1;
  for (const auto& [edge, uses] : edges) {
    auto reverse = edges.find({edge.second, edge.first});
    EXPECT_TRUE(uses == 1 && reverse != edges.end() && reverse->second == 1) << edge.first << "-" << edge.second;
  }
}

TEST(StitchRings, EqualShapesAndOffCentreHoles) {
  Ring outer, inner;
  for (auto [x, y] : {std::pair{0.0, 20.0}, {-20.0, 0.0}, {0.0, -20.0}, {20.0, 0.0}}) {
    outer.Add(x, y);
    inner.Add(x / 2, y / 2);
  }
  Triangles t = {99};  // only appended to
  StitchRings(outer.x.data(), outer.y.data(), 4, inner.x.data(), inner.y.data(), 4, t);
  EXPECT_EQ(t[0], 99);
  ExpectTiledBand(outer, inner, t, 1);
  // A C-shaped outer ring around a small hole in one arm, and a gear whose
  // hole lies away from the origin.
  Ring c, hole;
  for (auto [x, y] : {std::pair{0.0, 10.0}, {-10.0, 10.0}, {-10.0, -10.0}, {10.0, -10.0}, {10.0, -6.0},
                      {-6.0, -6.0}, {-6.0, 6.0}, {10.0, 6.0}, {10.0, 10.0}})
    c.Add(x, y);
  for (auto [x, y] : {std::pair{-7.0, 0.0}, {-9.0, 1.0}, {-9.0, -1.0}}) hole.Add(x, y);
  t.clear();
  StitchRings(c.x.data(), c.y.data(), c.Size(), hole.x.data(), hole.y.data(), hole.Size(), t);
  ExpectTiledBand(c, hole, t);
  Ring gear = Gear(9, 30, 12, 4, 50), small;
  for (int k = 0; k < 7; ++k) small.Add(50 + 3 * std::cos(2 * M_PI * k / 7), 3 * std::sin(2 * M_PI * k / 7));
  t.clear();
  StitchRings(gear.x.data(), gear.y.data(), gear.Size(), small.x.data(), small.y.data(), small.Size(), t);
  ExpectTiledBand(gear, small, t);
}

TEST(StitchRings, ZeroLengthRingsStillGiveNPlusM) {
  std::vector<double> zx(5, 1.0), zy(5, 2.0);
  Triangles t;
  StitchRings(zx.data(), zy.data(), 5, zx.data(), zy.data(), 3, t);
  EXPECT_EQ(t.size(), 3u * 8);
}

// Outer ring with deep notches around a plain inner circle: walked by arc
// length alone, the long notch flanks give rim triangles that face down.
TEST(StitchRings, NoTriangleFacesDownOnThePatternFlanks) {
  Ring outer = Gear(12, 40, 15, 8);
  Ring inner;
  for (int k = 0; k < 90; ++k) {
    double a = M_PI / 2 + 2 * M_PI * k / 90;
    inner.Add(20 * std::cos(a), 20 * std::sin(a));
  }
  Triangles t;
  StitchRings(outer.x.data(), outer.y.data(), outer.Size(), inner.x.data(), inner.y.data(), inner.Size(), t);
  ExpectTiledBand(outer, inner, t);
  // Teeth inside as well: a smooth outer ring round a gear.
  Ring round;
  for (int k = 0; k < 200; ++k) round.Add(45 * std::cos(M_PI / 2 + 2 * M_PI * k / 200), 45 * std::sin(M_PI / 2 + 2 * M_PI * k / 200));
  t.clear();
  StitchRings(round.x.data(), round.y.data(), round.Size(), outer.x.data(), outer.y.data(), outer.Size(), t);
  ExpectTiledBand(round, outer, t);
}

}  // namespace
