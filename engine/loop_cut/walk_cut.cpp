#include "engine/loop_cut/walk_cut.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/loop_cut/crowded_cells.h"

namespace {

// Passed pairs are kept for this many searches, while their cuts made at
// most WALK_BUDGET_PER_ENTRY segments.
constexpr size_t PASSED_KEPT = 4;

}  // namespace

void KeepCoverThroughCut(CrossingSearch& work, int64_t i, int64_t j, bool keptStart) {
  // The segments that start at i and j change, those between go.
  size_t kept = 0;
  for (int64_t k : work.coverCold) {
    if (keptStart && k < i)
      work.coverCold[kept++] = k;
    else if (keptStart && k > j)
      work.coverCold[kept++] = k - (j - i - 1);
    else if (!keptStart && k > i && k < j)
      work.coverCold[kept++] = k - i;
  }
  work.coverCold.resize(kept);
  work.coverKept = true;
  KeepPassedThroughCut(work, i, j, keptStart, work.clearBelowNext, work.clearRight);
}

void KeepPassedThroughCut(CrossingSearch& work, int64_t i, int64_t j, bool keptStart, double above, double right) {
  if (!keptStart) {
    work.passed.clear();
    return;
  }
  // Segments i and j change and those between go; those after move down.
  const int64_t shift = j - i - 1;
  size_t kept = 0;
  for (size_t q = 0; q < work.passed.size(); ++q) {
    PassedPairs& p = work.passed[q];
    p.before = p.before <= i ? p.before : p.before <= j + 1 ? i : p.before - shift;
    size_t made = 0;
    for (int64_t k : p.made)
      if (k < i || k > j) p.made[made++] = k < i ? k : k - shift;
    p.made.resize(made);
    p.made.insert(std::lower_bound(p.made.begin(), p.made.end(), i), {i, i + 1});
    if (p.before == 0 || p.made.size() > WALK_BUDGET_PER_ENTRY) continue;
    if (kept != q) work.passed[kept] = std::move(p);
    ++kept;
  }
  work.passed.resize(kept);
  if (std::isnan(above) || std::isnan(right) || i == 0) return;
  if (work.passed.size() == PASSED_KEPT) work.passed.erase(work.passed.begin());
  work.passed.push_back(PassedPairs{above, right, i, {i, i + 1}});
}

RingLengths WalkLengths(const CrossingSearch& work) {
  if (!work.lengthsKept) return {nullptr, nullptr};
  return {&work.length, &work.perimeter};
}

void ForgetWalkCaches(CrossingSearch& work) { work = CrossingSearch{}; }

void ResumeWalkAfterSetCut(CrossingSearch& work, const SegmentBounds& cell, int64_t made0, int64_t made1) {
  work.resume = true;
  work.clearBelow = cell.y0;
  work.clearBelowNext = cell.y1;
  work.clearLeft = cell.x0;
  work.newSeg[0] = made0;
  work.newSeg[1] = made1;
}

void ForgetWalkRing(CrossingSearch& work) {
  work.boxKept = work.lengthsKept = false;
  work.rowsFrom = -1;
}

void TakeRingFromSet(CrossingSearch& work, const SegmentBounds& box, const ExactSum& perimeter) {
  work.box = box;
  work.perimeter = perimeter;
  work.boxKept = work.lengthsKept = true;
  work.rowsFrom = -1;
}

void CutWalkRing(CrossingSearch& work, std::vector<double>& x, std::vector<double>& y, int64_t& n, int64_t i,
                 int64_t j, const OutlinePoint& p, RingArea& area) {
  const int64_t inner = j - i;
  const bool keepOuter = KeepOuterPartOfCut(area, x.data(), y.data(), n, i, j, p, work.terms);
  // The box stays unless a removed point lay on it; the crossing is added
  // as the full pass would.
  auto onBox = [&](int64_t from, int64_t to) {
    for (int64_t k = from; k < to; ++k)
      if (x[k] == work.box.x0 || x[k] == work.box.x1 || y[k] == work.box.y0 || y[k] == work.box.y1) return true;
    return false;
  };
  bool keepBox = keepOuter ? !onBox(i + 1, j + 1) : !onBox(0, i + 1) && !onBox(j + 1, n);
  if (keepBox) work.box = SegmentBounds{std::min(work.box.x0, p.x), std::max(work.box.x1, p.x),
                                     std::min(work.box.y0, p.y), std::max(work.box.y1, p.y)};
  work.boxKept = keepBox;
  KeepCoverThroughCut(work, i, j, keepOuter);
  if (keepOuter) {
    TakeAllFromExactSum(work.perimeter, work.length.data() + i, static_cast<size_t>(j - i + 1));
    // Keep points 0..i, the crossing, then j+1..n-1.
    size_t tail = static_cast<size_t>(n - 1 - j);
    std::memmove(x.data() + i + 2, x.data() + j + 1, tail * sizeof(double));
    std::memmove(y.data() + i + 2, y.data() + j + 1, tail * sizeof(double));
    std::memmove(work.length.data() + i + 2, work.length.data() + j + 1, tail * sizeof(double));
    x[i + 1] = p.x;
    y[i + 1] = p.y;
    n = n - inner + 1;
    work.newSeg[0] = i;
    work.newSeg[1] = i + 1;
  } else {
    // Keep the crossing, then points i+1..j.
    TakeAllFromExactSum(work.perimeter, work.length.data(), static_cast<size_t>(i + 1));
    TakeAllFromExactSum(work.perimeter, work.length.data() + j, static_cast<size_t>(n - j));
    std::memmove(x.data() + 1, x.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
    std::memmove(y.data() + 1, y.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
    std::memmove(work.length.data() + 1, work.length.data() + i + 1,
                 static_cast<size_t>(inner - 1) * sizeof(double));
    x[0] = p.x;
    y[0] = p.y;
    n = inner + 1;
    work.newSeg[0] = 0;
    work.newSeg[1] = n - 1;
  }
  for (int64_t k : work.newSeg) {
    work.length[k] = SegmentLength(x.data(), y.data(), n, k);
    AddToExactSum(work.perimeter, work.length[k]);
  }
  // The other segments keep their ends, so their lengths stay as they were.
  work.lengthsKept = true;
  work.resume = true;
}
