#include "engine/sound_ring.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <vector>

namespace {

// Shewchuk's first error bound of the plain orientation determinant.
constexpr double ORIENT_ERROR_BOUND = 3.3306690738754716e-16;
// Up to this many segments a cell tests its pairs one by one; beyond it a
// sweep keeps dense bundles of near-parallel segments from costing squares.
constexpr size_t CELL_PAIR_LIMIT = 40;
constexpr double GRID_SIDE_DIVISIONS = 1024;

void TwoSum(double a, double b, double& sum, double& error) {
  sum = a + b;
  double bv = sum - a;
  double av = sum - bv;
  error = (a - av) + (b - bv);
}

// The sign of the exact sum of the terms, by growing a non-overlapping
// expansion; its largest non-zero component carries the sign.
int ExactSumSign(const double* terms, int count) {
  double h[16];
  int m = 0;
  for (int t = 0; t < count; ++t) {
    double q = terms[t];
    for (int k = 0; k < m; ++k) TwoSum(q, h[k], q, h[k]);
    h[m++] = q;
  }
  for (int k = m - 1; k >= 0; --k)
    if (h[k] != 0) return h[k] > 0 ? 1 : -1;
  return 0;
}

struct RingView {
  const double* x;
  const double* y;
  int64_t n;
};

int64_t NextOf(const RingView& r, int64_t k) { return k + 1 == r.n ? 0 : k + 1; }

bool Adjacent(const RingView& r, int64_t s, int64_t t) {
  int64_t d = s > t ? s - t : t - s;
  return d == 1 || d == r.n - 1;
}

bool WithinBox(double ax, double ay, double bx, double by, double px, double py) {
  return std::min(ax, bx) <= px && px <= std::max(ax, bx) && std::min(ay, by) <= py && py <= std::max(ay, by);
}

// Where segments s and t meet, exactly: 0 apart, 1 a proper crossing, 2..5
// an end point of one lying on the other (point t, t + 1, s, s + 1).
int MeetKind(const RingView& r, int64_t s, int64_t t) {
  int64_t s1 = NextOf(r, s), t1 = NextOf(r, t);
  double ax = r.x[s], ay = r.y[s], bx = r.x[s1], by = r.y[s1];
  double cx = r.x[t], cy = r.y[t], dx = r.x[t1], dy = r.y[t1];
  if (std::max(ax, bx) < std::min(cx, dx) || std::max(cx, dx) < std::min(ax, bx) ||
      std::max(ay, by) < std::min(cy, dy) || std::max(cy, dy) < std::min(ay, by))
    return 0;
  int o1 = OrientExact(ax, ay, bx, by, cx, cy), o2 = OrientExact(ax, ay, bx, by, dx, dy);
  int o3 = OrientExact(cx, cy, dx, dy, ax, ay), o4 = OrientExact(cx, cy, dx, dy, bx, by);
  if (o1 * o2 < 0 && o3 * o4 < 0) return 1;
  if (o1 == 0 && WithinBox(ax, ay, bx, by, cx, cy)) return 2;
  if (o2 == 0 && WithinBox(ax, ay, bx, by, dx, dy)) return 3;
  if (o3 == 0 && WithinBox(cx, cy, dx, dy, ax, ay)) return 4;
  if (o4 == 0 && WithinBox(cx, cy, dx, dy, bx, by)) return 5;
  return 0;
}

bool Meet(const RingView& r, int64_t s, int64_t t) { return !Adjacent(r, s, t) && MeetKind(r, s, t) != 0; }

// A segment for the sweep, its ends in (x, y) order.
struct SweepSegment {
  double lx, ly, rx, ry;
  int64_t seg;
};

bool PointBefore(double ax, double ay, double bx, double by) { return ax < bx || (ax == bx && ay < by); }

// The order of segments along the sweep line while none of them meet: the
// segment that starts later is placed against the line of the other.
struct SweepOrder {
  const std::vector<SweepSegment>* segs;
  bool operator()(size_t a, size_t b) const {
    if (a == b) return false;
    const SweepSegment& A = (*segs)[a];
    const SweepSegment& B = (*segs)[b];
    if (!PointBefore(A.lx, A.ly, B.lx, B.ly)) {
      int o = OrientExact(B.lx, B.ly, B.rx, B.ry, A.lx, A.ly);
      if (o == 0) o = OrientExact(B.lx, B.ly, B.rx, B.ry, A.rx, A.ry);
      if (o != 0) return o < 0;
    } else {
      int o = OrientExact(A.lx, A.ly, A.rx, A.ry, B.lx, B.ly);
      if (o == 0) o = OrientExact(A.lx, A.ly, A.rx, A.ry, B.rx, B.ry);
      if (o != 0) return o > 0;
    }
    return A.seg < B.seg;
  }
};

struct SweepEvent {
  double x, y;
  size_t at;
  int64_t vertex;
  bool start;
};

// Shamos and Hoey's sweep over the given segments: only neighbours along
// the sweep line can be the first pair to meet. Two distinct vertices on
// one point are met directly in the sorted events.
bool SweepForContact(const RingView& r, const int64_t* list, size_t m, int64_t& si, int64_t& sj) {
  std::vector<SweepSegment> segs(m);
  std::vector<SweepEvent> events;
  events.reserve(2 * m);
  for (size_t a = 0; a < m; ++a) {
    int64_t s = list[a], s1 = NextOf(r, s);
    bool forward = PointBefore(r.x[s], r.y[s], r.x[s1], r.y[s1]);
    int64_t lv = forward ? s : s1, rv = forward ? s1 : s;
    segs[a] = SweepSegment{r.x[lv], r.y[lv], r.x[rv], r.y[rv], s};
    events.push_back(SweepEvent{r.x[lv], r.y[lv], a, lv, true});
    events.push_back(SweepEvent{r.x[rv], r.y[rv], a, rv, false});
  }
  std::sort(events.begin(), events.end(), [](const SweepEvent& a, const SweepEvent& b) {
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    if (a.start != b.start) return !a.start;
    return a.at < b.at;
  });
  auto report = [&](size_t a, size_t b) {
    si = std::min(segs[a].seg, segs[b].seg);
    sj = std::max(segs[a].seg, segs[b].seg);
    return true;
  };
  for (size_t e = 1; e < events.size(); ++e) {
    const SweepEvent& p = events[e - 1];
    const SweepEvent& q = events[e];
    if (p.x == q.x && p.y == q.y && p.vertex != q.vertex && !Adjacent(r, segs[p.at].seg, segs[q.at].seg))
      return report(p.at, q.at);
  }
  std::set<size_t, SweepOrder> status(SweepOrder{&segs});
  std::vector<std::set<size_t, SweepOrder>::iterator> where(m);
  auto test = [&](size_t a, size_t b) { return Meet(r, segs[a].seg, segs[b].seg); };
  for (const SweepEvent& ev : events) {
    if (ev.start) {
      auto it = status.insert(ev.at).first;
      where[ev.at] = it;
      if (it != status.begin() && test(*std::prev(it), ev.at)) return report(*std::prev(it), ev.at);
      auto above = std::next(it);
      if (above != status.end() && test(*above, ev.at)) return report(*above, ev.at);
    } else {
      auto it = where[ev.at];
      auto above = std::next(it);
      bool hasBelow = it != status.begin();
      size_t below = hasBelow ? *std::prev(it) : 0;
      status.erase(it);
      if (hasBelow && above != status.end() && test(below, *above)) return report(below, *above);
    }
  }
  return false;
}

// Any two segments of the ring that meet, other than neighbours at their
// common point; the ring's points are distinct from their neighbours and
// finite. Segments are bucketed on a grid as the loop cut does, and each
// cell's segments tested pair by pair or, when crowded, swept.
bool FindRingContact(const RingView& r, int64_t& si, int64_t& sj) {
  int64_t n = r.n;
  double minX = r.x[0], maxX = r.x[0], minY = r.y[0], maxY = r.y[0], perimeter = 0;
  for (int64_t k = 0; k < n; ++k) {
    minX = std::min(minX, r.x[k]);
    maxX = std::max(maxX, r.x[k]);
    minY = std::min(minY, r.y[k]);
    maxY = std::max(maxY, r.y[k]);
    int64_t k1 = NextOf(r, k);
    double dx = r.x[k1] - r.x[k], dy = r.y[k1] - r.y[k];
    perimeter += std::sqrt(dx * dx + dy * dy);
  }
  double w = maxX - minX, h = maxY - minY;
  // Twice the mean segment, but never more cells than about three per
  // segment: clearing and walking the grid must not outweigh the test.
  double cell = std::max({2 * perimeter / static_cast<double>(n), std::max(w, h) / GRID_SIDE_DIVISIONS,
                          std::sqrt(w * h / static_cast<double>(n))});
  std::vector<int64_t> all;
  if (!(cell > 0) || !std::isfinite(cell)) {
    for (int64_t k = 0; k < n; ++k) all.push_back(k);
    return SweepForContact(r, all.data(), all.size(), si, sj);
  }
  int64_t gx = static_cast<int64_t>(w / cell) + 1, gy = static_cast<int64_t>(h / cell) + 1;
  auto column = [&](double v) { return std::min(static_cast<int64_t>((v - minX) / cell), gx - 1); };
  auto row = [&](double v) { return std::min(static_cast<int64_t>((v - minY) / cell), gy - 1); };
  std::vector<int64_t> start(static_cast<size_t>(gx * gy) + 1, 0), fill;
  for (int pass = 0; pass < 2; ++pass) {
    for (int64_t k = 0; k < n; ++k) {
      int64_t k1 = NextOf(r, k);
      int64_t c0 = column(std::min(r.x[k], r.x[k1])), c1 = column(std::max(r.x[k], r.x[k1]));
      int64_t r0 = row(std::min(r.y[k], r.y[k1])), r1 = row(std::max(r.y[k], r.y[k1]));
      for (int64_t cy = r0; cy <= r1; ++cy)
        for (int64_t cx = c0; cx <= c1; ++cx) {
          size_t c = static_cast<size_t>(cy * gx + cx);
          if (pass == 0)
            ++start[c + 1];
          else
            all[static_cast<size_t>(fill[c]++)] = k;
        }
    }
    if (pass == 0) {
      for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
      all.resize(static_cast<size_t>(start.back()));
      fill.assign(start.begin(), start.end() - 1);
    }
  }
  for (size_t c = 0; c + 1 < start.size(); ++c) {
    int64_t from = start[c];
    size_t m = static_cast<size_t>(start[c + 1] - from);
    if (m < 2) continue;
    const int64_t* list = all.data() + from;
    if (m > CELL_PAIR_LIMIT) {
      if (SweepForContact(r, list, m, si, sj)) return true;
      continue;
    }
    for (size_t a = 0; a < m; ++a)
      for (size_t b = a + 1; b < m; ++b)
        if (Meet(r, list[a], list[b])) {
          si = std::min(list[a], list[b]);
          sj = std::max(list[a], list[b]);
          return true;
        }
  }
  return false;
}

bool AllFinite(const PointList& points) {
  for (const OutlinePoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  return true;
}

bool TooClose(const OutlinePoint& a, const OutlinePoint& b) {
  double dx = a.x - b.x, dy = a.y - b.y;
  return dx * dx + dy * dy < MIN_POINT_DISTANCE * MIN_POINT_DISTANCE;
}

// The ring turns straight back at b: a -> b -> c along one line.
bool FoldsBack(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c) {
  return OrientExact(a.x, a.y, b.x, b.y, c.x, c.y) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0;
}

// The point where segments i < j meet and the cut that joins them there,
// as the loop cut makes it.
void CutAtContact(PointList& points, int64_t i, int64_t j) {
  int64_t n = static_cast<int64_t>(points.size());
  std::vector<double> x(points.size()), y(points.size());
  for (size_t k = 0; k < points.size(); ++k) {
    x[k] = points[k].x;
    y[k] = points[k].y;
  }
  RingView r{x.data(), y.data(), n};
  int64_t i1 = i + 1, j1 = NextOf(r, j);
  OutlinePoint p;
  switch (MeetKind(r, i, j)) {
    case 2:
      p = points[j];
      break;
    case 3:
      p = points[j1];
      break;
    case 4:
      p = points[i];
      break;
    case 5:
      p = points[i1];
      break;
    default: {
      double rx = x[i1] - x[i], ry = y[i1] - y[i], sx = x[j1] - x[j], sy = y[j1] - y[j];
      double t = ((x[j] - x[i]) * sy - (y[j] - y[i]) * sx) / (rx * sy - ry * sx);
      t = std::clamp(t, 0.0, 1.0);
      p = OutlinePoint{x[i] + t * rx, y[i] + t * ry};
    }
  }
  int64_t inner = j - i;
  PointList kept;
  if (inner <= n - inner) {
    kept.assign(points.begin(), points.begin() + i + 1);
    kept.push_back(p);
    kept.insert(kept.end(), points.begin() + j + 1, points.end());
  } else {
    kept.push_back(p);
    kept.insert(kept.end(), points.begin() + i + 1, points.begin() + j + 1);
  }
  points.swap(kept);
}

}  // namespace

int OrientExact(double ax, double ay, double bx, double by, double cx, double cy) {
  double left = (bx - ax) * (cy - ay), right = (by - ay) * (cx - ax);
  double det = left - right;
  double bound = ORIENT_ERROR_BOUND * (std::fabs(left) + std::fabs(right));
  if (det > bound) return 1;
  if (-det > bound) return -1;
  // (b - a) x (c - a) written out as six products, each split exactly.
  const double factors[6][2] = {{bx, cy}, {-ay, bx}, {-ax, cy}, {-by, cx}, {ax, by}, {ay, cx}};
  double terms[12];
  for (int k = 0; k < 6; ++k) {
    double p = factors[k][0] * factors[k][1];
    terms[2 * k] = std::fma(factors[k][0], factors[k][1], -p);
    terms[2 * k + 1] = p;
  }
  return ExactSumSign(terms, 12);
}

void DropRepeatedPoints(PointList& points) {
  PointList kept;
  kept.reserve(points.size());
  for (const OutlinePoint& p : points) {
    bool drop = false;
    while (!kept.empty()) {
      if (TooClose(kept.back(), p)) {
        drop = true;
        break;
      }
      if (kept.size() < 2 || !FoldsBack(kept[kept.size() - 2], kept.back(), p)) break;
      kept.pop_back();
    }
    if (!drop) kept.push_back(p);
  }
  // The same across the closing point, at its end and at its start.
  size_t head = 0;
  for (bool changed = true; changed && kept.size() - head >= 3;) {
    changed = false;
    size_t last = kept.size() - 1;
    if (TooClose(kept[last], kept[head]) || FoldsBack(kept[last - 1], kept[last], kept[head])) {
      kept.pop_back();
      changed = true;
    } else if (FoldsBack(kept[last], kept[head], kept[head + 1])) {
      ++head;
      changed = true;
    }
  }
  kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(head));
  points.swap(kept);
}

int64_t CutRingContacts(PointList& points, int64_t limit, bool& simple) {
  simple = false;
  if (!AllFinite(points)) return 0;
  int64_t cuts = 0;
  std::vector<double> x, y;
  for (;;) {
    DropRepeatedPoints(points);
    if (points.size() < 3) return cuts;
    x.resize(points.size());
    y.resize(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
      x[k] = points[k].x;
      y[k] = points[k].y;
    }
    int64_t i = 0, j = 0;
    if (!FindRingContact(RingView{x.data(), y.data(), static_cast<int64_t>(points.size())}, i, j)) {
      simple = true;
      return cuts;
    }
    if (cuts >= limit) return cuts;
    CutAtContact(points, i, j);
    ++cuts;
  }
}

int64_t CheckSimpleRing(const PointList& points) {
  size_t n = points.size();
  if (n < 3 || !AllFinite(points)) return 0;
  for (size_t k = 0; k < n; ++k) {
    const OutlinePoint& a = points[(k + n - 1) % n];
    const OutlinePoint& b = points[k];
    const OutlinePoint& c = points[(k + 1) % n];
    if (TooClose(b, c) || FoldsBack(a, b, c)) return 0;
  }
  std::vector<double> x(n), y(n);
  for (size_t k = 0; k < n; ++k) {
    x[k] = points[k].x;
    y[k] = points[k].y;
  }
  int64_t i = 0, j = 0;
  return FindRingContact(RingView{x.data(), y.data(), static_cast<int64_t>(n)}, i, j) ? 0 : 1;
}

int64_t CheckSoundOutline(const PointList& points) {
  if (CheckSimpleRing(points) == 0) return 0;
  double area2 = 0;
  const OutlinePoint* prev = &points.back();
  for (const OutlinePoint& p : points) {
    area2 += prev->x * p.y - p.x * prev->y;
    prev = &p;
  }
  return area2 > 0 ? 1 : 0;
}
