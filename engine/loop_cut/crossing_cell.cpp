#include "engine/loop_cut/crossing_cell.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/loop_cut/crowded_cells.h"
#include "engine/loop_cut/meeting_sweep.h"

namespace crossing_cell {

namespace {

// What keeping a crossing pair costs, in pair tests.
constexpr int64_t PAIR_COST = 16;

}  // namespace

CellOutcome WalkCellPairs(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m, size_t budget,
                          PairResult& found) {
  LoadCellBoxes(ring, work, segs, m);
  size_t chainEnd = 0;
  for (size_t a = 0; a < m; ++a) {
    if (m - a - 1 > budget) return CellOutcome::GAVE_UP;
    budget -= m - a - 1;
    chainEnd = EndOfChain(work, m, a, chainEnd);
    for (size_t b = chainEnd; b < m; ++b) {
      OutlinePoint p;
      if (CellPairCrosses(ring, work, segs, a, b, p)) {
        found.s1 = segs[a];
        found.s2 = segs[b];
        found.point = p;
        return CellOutcome::FOUND;
      }
    }
  }
  return CellOutcome::NONE;
}

bool SweepCell(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m, PairResult& found,
               std::vector<CrossingPair>* all) {
  LoadCellBoxes(ring, work, segs, m);
  double spreadX = 0, spreadY = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (size_t a = 0; a < m; ++a) {
    const SegmentBounds& b = work.cellBox[a];
    spreadX += b.x1 - b.x0;
    spreadY += b.y1 - b.y0;
    if (a == 0 || b.x0 < minX) minX = b.x0;
    if (a == 0 || b.x0 > maxX) maxX = b.x0;
    if (a == 0 || b.y0 < minY) minY = b.y0;
    if (a == 0 || b.y0 > maxY) maxY = b.y0;
  }
  // Spread of the starts against the mean extent; the larger ratio keeps the
  // active list short.
  bool alongX = (maxX - minX) * (spreadY + 1e-300) >= (maxY - minY) * (spreadX + 1e-300);
  work.sweep.clear();
  for (size_t a = 0; a < m; ++a) {
    const SegmentBounds& b = work.cellBox[a];
    if (alongX)
      work.sweep.push_back(SweepEntry{b.x0, b.x1, b.y0, b.y1, segs[a], work.chain[a]});
    else
      work.sweep.push_back(SweepEntry{b.y0, b.y1, b.x0, b.x1, segs[a], work.chain[a]});
  }
  std::sort(work.sweep.begin(), work.sweep.end(),
            [](const SweepEntry& a, const SweepEntry& b) { return a.lo < b.lo || (a.lo == b.lo && a.seg < b.seg); });
  PairResult best;
  work.sweepActive.clear();
  for (size_t e = 0; e < work.sweep.size(); ++e) {
    const SweepEntry& cur = work.sweep[e];
    if (all && work.collectBudget < 0) return false;
    size_t kept = 0;
    for (size_t k = 0; k < work.sweepActive.size(); ++k) {
      const SweepEntry& other = work.sweep[work.sweepActive[k]];
      if (other.hi < cur.lo) continue;
      work.sweepActive[kept++] = work.sweepActive[k];
      if (other.chain == cur.chain || other.lo2 > cur.hi2 || cur.lo2 > other.hi2) continue;
      int64_t s1 = std::min(cur.seg, other.seg), s2 = std::max(cur.seg, other.seg);
      OutlinePoint p;
      if (all) {
        --work.collectBudget;
        if (TestPair(ring, s1, s2, p)) {
          all->push_back(CrossingPair{s1, s2});
          work.collectBudget -= PAIR_COST;
        }
        continue;
      }
      if (!Before(s1, s2, best)) continue;
      if (TestPair(ring, s1, s2, p)) {
        best.s1 = s1;
        best.s2 = s2;
        best.point = p;
      }
    }
    work.sweepActive.resize(kept);
    work.sweepActive.push_back(e);
  }
  if (all) return work.collectBudget >= 0;
  if (best.s1 == std::numeric_limits<int64_t>::max()) return false;
  found = best;
  return true;
}

bool CellIsClear(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m) {
  ListContactSegments(ring.x, ring.y, segs, m, [&ring](int64_t k) { return NextPoint(ring, k); }, work.meeting,
                      work.hotAt);
  size_t a = 0, b = 0;
  return work.hotAt.empty() && !FindSegmentContact(work.meeting.contact, a, b);
}

bool FindHotPair(const RingArrays& ring, const int64_t* segs, size_t m, const std::vector<size_t>& hotAt,
                 PairResult& found, size_t firstEnd) {
  size_t boxAt = m;
  SegmentBounds box{};
  return VisitPairsWithHot(m, hotAt, [&](size_t a, size_t b) {
    if (a != boxAt) {
      box = BoxOf(ring, segs[a]);
      boxAt = a;
    }
    OutlinePoint p;
    if (!BoundsMeet(box, BoxOf(ring, segs[b])) || !TestPair(ring, segs[a], segs[b], p)) return false;
    found.s1 = segs[a];
    found.s2 = segs[b];
    found.point = p;
    return true;
  }, firstEnd);
}

CellOutcome CrowdedCellPair(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m,
                            PairResult& found) {
  work.coverCold.clear();
  if (!FindHotPositions(ring.x, ring.y, segs, m, [&ring](int64_t k) { return NextPoint(ring, k); },
                        m / HOT_SHARE_MAX, work.meeting, work.hotAt))
    return SweepCell(ring, work, segs, m, found) ? CellOutcome::FOUND : CellOutcome::NONE;
  work.sweptEntries += m;
  // The segments the sweep left meet none of each other, wherever they go.
  for (size_t a = 0, q = 0; a < m; ++a) {
    if (q < work.hotAt.size() && work.hotAt[q] == a)
      ++q;
    else
      work.coverCold.push_back(segs[a]);
  }
  return FindHotPair(ring, segs, m, work.hotAt, found) ? CellOutcome::FOUND : CellOutcome::NONE;
}

bool HotBesideCover(CrossingSearch& work, const int64_t* segs, size_t m) {
  const std::vector<int64_t>& cold = work.coverCold;
  if (cold.empty()) return false;
  work.hotAt.clear();
  size_t q = std::lower_bound(cold.begin(), cold.end(), segs[0]) - cold.begin();
  for (size_t a = 0; a < m; ++a) {
    while (q < cold.size() && cold[q] < segs[a]) ++q;
    if (q == cold.size() || cold[q] != segs[a]) {
      work.hotAt.push_back(a);
      if (work.hotAt.size() > WALK_BUDGET_PER_ENTRY) return false;
    }
  }
  return true;
}

bool CollectCellPairs(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m,
                      std::vector<CrossingPair>& all) {
  if (m > COLLECT_WALK_MAX) {
    PairResult unused;
    return CellIsClear(ring, work, segs, m) || SweepCell(ring, work, segs, m, unused, &all);
  }
  work.collectBudget -= static_cast<int64_t>(m * (m - 1) / 2);
  LoadCellBoxes(ring, work, segs, m);
  size_t chainEnd = 0;
  for (size_t a = 0; a < m; ++a) {
    chainEnd = EndOfChain(work, m, a, chainEnd);
    for (size_t b = chainEnd; b < m; ++b) {
      OutlinePoint p;
      if (CellPairCrosses(ring, work, segs, a, b, p)) {
        all.push_back(CrossingPair{segs[a], segs[b]});
        work.collectBudget -= PAIR_COST;
      }
    }
  }
  return work.collectBudget >= 0;
}
}  // namespace crossing_cell
