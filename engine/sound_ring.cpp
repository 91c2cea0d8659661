#include "engine/sound_ring.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/loop_cut/crossing_grid.h"
#include "engine/loop_cut/crowded_cells.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/meeting_sweep.h"
#include "engine/loop_cut/ring_segments.h"

namespace {

bool Adjacent(const RingArrays& r, int64_t s, int64_t t) {
  int64_t d = s > t ? s - t : t - s;
  return d == 1 || d == r.n - 1;
}

int MeetKind(const RingArrays& r, int64_t s, int64_t t) {
  int64_t s1 = NextPoint(r, s), t1 = NextPoint(r, t);
  return ::MeetKind(r.x[s], r.y[s], r.x[s1], r.y[s1], r.x[t], r.y[t], r.x[t1], r.y[t1]);
}

// The segments of the ring as the sweep takes them.
bool SweepForContact(const RingArrays& r, const int64_t* list, size_t m, int64_t& si, int64_t& sj) {
  std::vector<ContactSegment> segs(m);
  for (size_t a = 0; a < m; ++a) {
    int64_t s = list[a], s1 = NextPoint(r, s);
    segs[a] = ContactSegment{r.x[s], r.y[s], r.x[s1], r.y[s1], s, s1};
  }
  size_t a = 0, b = 0;
  if (!FindSegmentContact(segs, a, b)) return false;
  si = std::min(list[a], list[b]);
  sj = std::max(list[a], list[b]);
  return true;
}

// A chain of a cell: positions from .. to - 1 of its list, its box, and the
// axis along which all its segments advance strictly (0 x, 1 y, -1 none)
// with their sign.
struct ChainRun {
  size_t from, to;
  double x0, x1, y0, y1;
  int axis, sign;
};

void ChainRuns(const RingArrays& r, const int64_t* segs, const std::vector<int64_t>& chain,
               std::vector<ChainRun>& runs) {
  runs.clear();
  size_t m = chain.size();
  for (size_t a = 0; a < m;) {
    size_t b = a;
    ChainRun run{a, a, r.x[segs[a]], r.x[segs[a]], r.y[segs[a]], r.y[segs[a]], -1, 0};
    int sx = 2, sy = 2;
    for (; b < m && chain[b] == chain[a]; ++b) {
      int64_t k = segs[b], k1 = NextPoint(r, k);
      run.x0 = std::min({run.x0, r.x[k], r.x[k1]});
      run.x1 = std::max({run.x1, r.x[k], r.x[k1]});
      run.y0 = std::min({run.y0, r.y[k], r.y[k1]});
      run.y1 = std::max({run.y1, r.y[k], r.y[k1]});
      int dx = Sign(r.x[k1] - r.x[k]), dy = Sign(r.y[k1] - r.y[k]);
      sx = sx == 2 || sx == dx ? dx : 0;
      sy = sy == 2 || sy == dy ? dy : 0;
    }
    run.to = b;
    if (sx != 0 && sx != 2) {
      run.axis = 0;
      run.sign = sx;
    } else if (sy != 0 && sy != 2) {
      run.axis = 1;
      run.sign = sy;
    }
    runs.push_back(run);
    a = b;
  }
}

// Whether two chains of a cell meet. Chains that advance along the same
// axis are merged like sorted intervals; others are tested pair by pair.
bool ChainsMeet(const RingArrays& r, const int64_t* segs, const ChainRun& A, const ChainRun& B, int64_t& si,
                int64_t& sj) {
  if (A.x1 < B.x0 || B.x1 < A.x0 || A.y1 < B.y0 || B.y1 < A.y0) return false;
  auto test = [&](int64_t s, int64_t t) {
    if (Adjacent(r, s, t) || MeetKind(r, s, t) == 0) return false;
    si = std::min(s, t);
    sj = std::max(s, t);
    return true;
  };
  if (A.axis < 0 || A.axis != B.axis) {
    for (size_t a = A.from; a < A.to; ++a)
      for (size_t b = B.from; b < B.to; ++b)
        if (test(segs[a], segs[b])) return true;
    return false;
  }
  const double* v = A.axis == 0 ? r.x : r.y;
  // The k-th segment of a chain in increasing order along the axis, and its
  // interval there.
  auto at = [&](const ChainRun& run, size_t k) { return segs[run.sign > 0 ? run.from + k : run.to - 1 - k]; };
  auto low = [&](int64_t s) { return std::min(v[s], v[NextPoint(r, s)]); };
  auto high = [&](int64_t s) { return std::max(v[s], v[NextPoint(r, s)]); };
  size_t i = 0, j = 0, na = A.to - A.from, nb = B.to - B.from;
  while (i < na && j < nb) {
    int64_t s = at(A, i), t = at(B, j);
    if (high(s) < low(t)) {
      ++i;
    } else if (high(t) < low(s)) {
      ++j;
    } else {
      if (test(s, t)) return true;
      (high(s) <= high(t) ? i : j)++;
    }
  }
  return false;
}

// What the last search of the mending proved, for the search after its cut.
// The first cell holding a meeting pair is the cell of the higher of the
// pair's box bottoms (and the further of their left sides), whatever the
// grid, and every cell is searched completely; so no two segments of the
// last ring met whose higher box bottom lay at or below yAbove. A segment
// that the cut and the dropping of points left as it was (both its points
// come from the last ring, one after the other: origin holds each point's
// index there, -1 for a new point) keeps that, so a cell below yAbove
// with no other segment holds no meeting pair and is passed.
struct ContactMemory {
  bool known = false;
  double yAbove = 0;
  int64_t lastN = 0;
  std::vector<int64_t> origin;
};

bool ChangedSegment(const ContactMemory& memory, int64_t k, int64_t k1) {
  const int64_t from = memory.origin[static_cast<size_t>(k)], to = memory.origin[static_cast<size_t>(k1)];
  return from < 0 || to != (from + 1 == memory.lastN ? 0 : from + 1);
}

// Any two segments of the ring that meet, other than neighbours at their
// common point; the ring's points are distinct from their neighbours and
// finite. Segments are bucketed on a grid as the loop cut does, and each
// cell's segments tested pair by pair or, when crowded, swept. With a
// memory, cells it proves free are passed, and what this search proves is
// left in it (yAbove and known; the caller fills in origin).
bool FindRingContact(const RingArrays& r, int64_t& si, int64_t& sj, ContactMemory* memory = nullptr) {
  int64_t n = r.n;
  double minX = r.x[0], maxX = r.x[0], minY = r.y[0], maxY = r.y[0], perimeter = 0;
  for (int64_t k = 0; k < n; ++k) {
    minX = std::min(minX, r.x[k]);
    maxX = std::max(maxX, r.x[k]);
    minY = std::min(minY, r.y[k]);
    maxY = std::max(maxY, r.y[k]);
    int64_t k1 = NextPoint(r, k);
    double dx = r.x[k1] - r.x[k], dy = r.y[k1] - r.y[k];
    perimeter += std::sqrt(dx * dx + dy * dy);
  }
  double w = maxX - minX, h = maxY - minY;
  // Twice the mean segment, but never more cells than about three per
  // segment: clearing and walking the grid must not outweigh the test.
  double cell = std::max({2 * perimeter / static_cast<double>(n), std::max(w, h) / static_cast<double>(GRID_DIVISIONS),
                          std::sqrt(w * h / static_cast<double>(n))});
  std::vector<int64_t> all;
  const bool remembered = memory && memory->known;
  if (memory) memory->known = false;
  if (!(cell > 0) || !std::isfinite(cell)) {
    for (int64_t k = 0; k < n; ++k) all.push_back(k);
    return SweepForContact(r, all.data(), all.size(), si, sj);
  }
  int64_t gx = static_cast<int64_t>(w / cell) + 1, gy = static_cast<int64_t>(h / cell) + 1;
  auto column = [&](double v) { return std::min(static_cast<int64_t>((v - minX) / cell), gx - 1); };
  auto row = [&](double v) { return std::min(static_cast<int64_t>((v - minY) / cell), gy - 1); };
  std::vector<int64_t> start(static_cast<size_t>(gx * gy) + 1, 0), fill;
  // Cells before passEnd that hold no changed segment are passed.
  int64_t passEnd = 0;
  std::vector<char> changed;
  if (remembered && memory->yAbove >= minY) {
    passEnd = (memory->yAbove >= maxY ? gy - 1 : row(memory->yAbove)) * gx;
    changed.assign(static_cast<size_t>(passEnd), 0);
  }
  // Each segment's cells are worked out once, counted, then filed (the
  // grid has at most GRID_DIVISIONS + 1 cells a side).
  struct CellSpan {
    int32_t c0, c1, r0, r1;
  };
  std::vector<CellSpan> spans(static_cast<size_t>(n));
  for (int64_t k = 0; k < n; ++k) {
    int64_t k1 = NextPoint(r, k);
    int64_t c0 = column(std::min(r.x[k], r.x[k1])), c1 = column(std::max(r.x[k], r.x[k1]));
    int64_t r0 = row(std::min(r.y[k], r.y[k1])), r1 = row(std::max(r.y[k], r.y[k1]));
    spans[static_cast<size_t>(k)] = CellSpan{static_cast<int32_t>(c0), static_cast<int32_t>(c1),
                                             static_cast<int32_t>(r0), static_cast<int32_t>(r1)};
    const bool mark = r0 * gx < passEnd && ChangedSegment(*memory, k, k1);
    for (int64_t cy = r0; cy <= r1; ++cy)
      for (int64_t cx = c0; cx <= c1; ++cx) {
        size_t c = static_cast<size_t>(cy * gx + cx);
        ++start[c + 1];
        if (mark && static_cast<int64_t>(c) < passEnd) changed[c] = 1;
      }
  }
  for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
  all.resize(static_cast<size_t>(start.back()));
  fill.assign(start.begin(), start.end() - 1);
  for (int64_t k = 0; k < n; ++k) {
    const CellSpan& span = spans[static_cast<size_t>(k)];
    for (int64_t cy = span.r0; cy <= span.r1; ++cy)
      for (int64_t cx = span.c0; cx <= span.c1; ++cx)
        all[static_cast<size_t>(fill[static_cast<size_t>(cy * gx + cx)]++)] = k;
  }
  std::vector<int64_t> chain;
  std::vector<ChainRun> runs;
  // Every y below the lowest of row `at` lies in an earlier row.
  auto remember = [&](size_t c) {
    const int64_t at = static_cast<int64_t>(c) / gx;
    if (!memory || at == 0) return;
    const double lowest = LowestOfCell(CrossingGrid{minX, minY, cell, 1 / cell, gx, gy}, minY, at);
    if (std::isnan(lowest)) return;
    memory->known = true;
    memory->yAbove = std::nextafter(lowest, -INFINITY);
  };
  for (size_t c = 0; c + 1 < start.size(); ++c) {
    int64_t from = start[c];
    size_t m = static_cast<size_t>(start[c + 1] - from);
    if (m < 2) continue;
    if (static_cast<int64_t>(c) < passEnd && !changed[c]) continue;
    const int64_t* list = all.data() + from;
    int64_t chains = LabelChains(r.x, r.y, r.n, list, m, chain);
    if (chains < 2) continue;
    if (chains > MAX_CHAIN_PAIRS_CHAINS) {
      if (SweepForContact(r, list, m, si, sj)) {
        remember(c);
        return true;
      }
      continue;
    }
    ChainRuns(r, list, chain, runs);
    for (size_t p = 0; p < runs.size(); ++p)
      for (size_t q = p + 1; q < runs.size(); ++q)
        if (ChainsMeet(r, list, runs[p], runs[q], si, sj)) {
          remember(c);
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

// The ring turns straight back at b: a -> b -> c along one line.
bool FoldsBack(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c) {
  return OrientExact(a.x, a.y, b.x, b.y, c.x, c.y) == 0 && (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) > 0;
}

// The ring's coordinates as the two arrays the contact search reads.
RingArrays ViewRing(const PointList& points, std::vector<double>& x, std::vector<double>& y) {
  x.resize(points.size());
  y.resize(points.size());
  for (size_t k = 0; k < points.size(); ++k) {
    x[k] = points[k].x;
    y[k] = points[k].y;
  }
  return RingArrays{x.data(), y.data(), static_cast<int64_t>(points.size())};
}

// The point where segments i < j meet and the cut that joins them there,
// as the loop cut makes it; r views the same points, and area holds the
// ring's shoelace terms summed exactly (left as those of the part kept).
// origin gets each kept point's index in the ring cut, -1 for the new point.
void CutAtContact(PointList& points, const RingArrays& r, int64_t i, int64_t j, RingArea& area,
                  std::vector<int64_t>& origin) {
  int64_t n = r.n;
  int64_t i1 = i + 1, j1 = NextPoint(r, j);
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
      const double* x = r.x;
      const double* y = r.y;
      double rx = x[i1] - x[i], ry = y[i1] - y[i], sx = x[j1] - x[j], sy = y[j1] - y[j];
      double t = ((x[j] - x[i]) * sy - (y[j] - y[i]) * sx) / (rx * sy - ry * sx);
      t = std::clamp(t, 0.0, 1.0);
      p = OutlinePoint{x[i] + t * rx, y[i] + t * ry};
    }
  }
  std::vector<double> terms;
  const bool keepOuter = KeepOuterPartOfCut(area, r.x, r.y, n, i, j, p, terms);
  PointList kept;
  origin.clear();
  auto keep = [&](int64_t from, int64_t to) {
    kept.insert(kept.end(), points.begin() + from, points.begin() + to);
    for (int64_t k = from; k < to; ++k) origin.push_back(k);
  };
  auto keepNew = [&] {
    kept.push_back(p);
    origin.push_back(-1);
  };
  if (keepOuter) {
    keep(0, i + 1);
    keepNew();
    keep(j + 1, n);
  } else {
    keepNew();
    keep(i + 1, j + 1);
  }
  points.swap(kept);
}

}  // namespace

namespace {

// DropRepeatedPoints, with a tag for each point (when tags is not null)
// that stays with the point: its index in the ring the points were cut
// from, itself left by this function, or -1. Three points of that ring
// that follow each other were looked at there with the same two points
// kept before the third, so when they come again in a row the third is
// kept as it was then.
void DropRepeatedTagged(PointList& points, std::vector<int64_t>* tags, PointList* before = nullptr) {
  PointList kept;
  kept.reserve(points.size());
  std::vector<int64_t> keptTags;
  auto pop = [&] {
    kept.pop_back();
    if (tags) keptTags.pop_back();
  };
  for (size_t at = 0; at < points.size(); ++at) {
    const OutlinePoint& p = points[at];
    if (tags && kept.size() >= 2) {
      const int64_t from = (*tags)[at];
      if (from >= 2 && keptTags.back() == from - 1 && keptTags[keptTags.size() - 2] == from - 2) {
        kept.push_back(p);
        keptTags.push_back(from);
        continue;
      }
    }
    bool drop = false;
    while (!kept.empty()) {
      if (TooClose(kept.back(), p)) {
        drop = true;
        break;
      }
      // A spike that returns to within the distance of where it started
      // folds back as well, whatever the rounding of its tip.
      if (kept.size() < 2) break;
      const OutlinePoint& before = kept[kept.size() - 2];
      if (TooClose(before, p)) {
        pop();
        drop = true;
        break;
      }
      if (!FoldsBack(before, kept.back(), p)) break;
      pop();
    }
    if (!drop) {
      kept.push_back(p);
      if (tags) keptTags.push_back((*tags)[at]);
    }
  }
  // The same across the closing point, at its end and at its start.
  size_t head = 0;
  for (bool changed = true; changed && kept.size() - head >= 3;) {
    changed = false;
    size_t last = kept.size() - 1;
    if (TooClose(kept[last], kept[head]) || TooClose(kept[last - 1], kept[head]) ||
        FoldsBack(kept[last - 1], kept[last], kept[head])) {
      pop();
      changed = true;
    } else if (TooClose(kept[last], kept[head + 1]) || FoldsBack(kept[last], kept[head], kept[head + 1])) {
      ++head;
      changed = true;
    }
  }
  kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(head));
  points.swap(kept);
  if (before) before->swap(kept);
  if (tags) {
    keptTags.erase(keptTags.begin(), keptTags.begin() + static_cast<std::ptrdiff_t>(head));
    tags->swap(keptTags);
  }
}

// Brings the exact shoelace sum of the ring `before` to that of `after`,
// which DropRepeatedTagged left of it (a subsequence of its points): each
// run of segments between two points kept becomes the one segment joining
// them, so the sum changes only where points went.
void FollowDroppedPoints(ExactSum& sum, const PointList& before, const PointList& after) {
  const size_t nb = before.size(), na = after.size();
  if (na == nb || na == 0) return;
  std::vector<size_t> at(na);
  for (size_t k = 0, a = 0; k < na; ++k, ++a) {
    while (before[a].x != after[k].x || before[a].y != after[k].y) ++a;
    at[k] = a;
  }
  auto term = [](const OutlinePoint& a, const OutlinePoint& b) { return ShoelaceTerm(a.x, a.y, b.x, b.y); };
  std::vector<double> gone, joined;
  for (size_t k = 0; k < na; ++k) {
    const size_t from = at[k], to = k + 1 < na ? at[k + 1] : at[0] + nb;
    if (to == from + 1) continue;
    for (size_t c = from; c < to; ++c) gone.push_back(term(before[c % nb], before[(c + 1) % nb]));
    joined.push_back(term(after[k], after[k + 1 < na ? k + 1 : 0]));
  }
  TakeAllFromExactSum(sum, gone.data(), gone.size());
  AddAllToExactSum(sum, joined.data(), joined.size());
}

}  // namespace

void DropRepeatedPoints(PointList& points) { DropRepeatedTagged(points, nullptr); }

int64_t CutRingContacts(PointList& points, int64_t limit, bool& simple, bool remember) {
  simple = false;
  if (!AllFinite(points)) return 0;
  int64_t cuts = 0;
  std::vector<double> x, y;
  // Summed once, then kept with each cut and each point dropped.
  RingArea area;
  PointList before;
  ContactMemory memory;
  for (;;) {
    DropRepeatedTagged(points, remember && cuts > 0 ? &memory.origin : nullptr, &before);
    if (cuts > 0) FollowDroppedPoints(area.sum, before, points);
    if (points.size() < 3) return cuts;
    const RingArrays r = ViewRing(points, x, y);
    int64_t i = 0, j = 0;
    if (!FindRingContact(r, i, j, remember ? &memory : nullptr)) {
      simple = true;
      return cuts;
    }
    if (cuts >= limit) return cuts;
    if (cuts == 0) StartRingArea(area, r.x, r.y, r.n);
    memory.lastN = r.n;
    CutAtContact(points, r, i, j, area, memory.origin);
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
  std::vector<double> x, y;
  int64_t i = 0, j = 0;
  return FindRingContact(ViewRing(points, x, y), i, j) ? 0 : 1;
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
