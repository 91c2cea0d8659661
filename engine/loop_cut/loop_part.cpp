#include "engine/loop_cut/loop_part.h"

#include <cmath>

double ShoelaceTerm(double ax, double ay, double bx, double by) { return ax * by - bx * ay; }

void AppendShoelaceTerms(const double* x, const double* y, int64_t n, int64_t from, int64_t count,
                         std::vector<double>& terms) {
  for (int64_t c = 0, k = from; c < count; ++c) {
    const int64_t k1 = k + 1 == n ? 0 : k + 1;
    terms.push_back(ShoelaceTerm(x[k], y[k], x[k1], y[k1]));
    k = k1;
  }
}

void StartRingArea(RingArea& area, const double* x, const double* y, int64_t n) {
  std::vector<double> terms;
  terms.reserve(static_cast<size_t>(n));
  AppendShoelaceTerms(x, y, n, 0, n, terms);
  ClearExactSum(area.sum);
  AddAllToExactSum(area.sum, terms.data(), terms.size());
  area.whole = RoundedExactSum(area.sum);
}

bool KeepOuterPart(RingArea& ring, const std::vector<double>& dropped, bool innerFewer, const CutEnds& e) {
  ExactSum fewer, more = ring.sum;
  AddAllToExactSum(fewer, dropped.data(), dropped.size());
  TakeAllFromExactSum(more, dropped.data(), dropped.size());
  // The two crossing segments are split between the parts.
  TakeFromExactSum(more, ShoelaceTerm(e.i0.x, e.i0.y, e.i1.x, e.i1.y));
  TakeFromExactSum(more, ShoelaceTerm(e.j0.x, e.j0.y, e.j1.x, e.j1.y));
  ExactSum& inner = innerFewer ? fewer : more;
  ExactSum& outer = innerFewer ? more : fewer;
  AddToExactSum(inner, ShoelaceTerm(e.p.x, e.p.y, e.i1.x, e.i1.y));
  AddToExactSum(inner, ShoelaceTerm(e.j0.x, e.j0.y, e.p.x, e.p.y));
  AddToExactSum(outer, ShoelaceTerm(e.i0.x, e.i0.y, e.p.x, e.p.y));
  AddToExactSum(outer, ShoelaceTerm(e.p.x, e.p.y, e.j1.x, e.j1.y));
  // The part with fewer points stays only where it clearly is the ring's
  // main part: it runs the ring's way round (counter-clockwise) and holds
  // more than half of the area the ring held before its first cut, yet no
  // more than all of it, and more than the other part holds either way
  // round. So a loop turned inside out, however large, never takes the
  // place of the part it was cut from, nor does a part that is merely
  // larger than what a tangle of loops still nets; where the other part
  // is itself inside out, which part is the outline is unclear and the
  // rule by points stands. Equal roundings keep the rule by points too.
  const double areaFewer = RoundedExactSum(fewer), areaMore = RoundedExactSum(more);
  const bool keepFewer = std::isfinite(areaFewer) && std::isfinite(areaMore) && ring.whole > 0 &&
                         areaFewer > std::fabs(areaMore) && 2 * areaFewer > ring.whole && areaFewer <= ring.whole;
  ring.sum = keepFewer ? fewer : more;
  return innerFewer != keepFewer;
}

bool KeepOuterPartOfCut(RingArea& ring, const double* x, const double* y, int64_t n, int64_t i, int64_t j,
                        const OutlinePoint& p, std::vector<double>& terms) {
  const int64_t inner = j - i, outer = n - inner, j1 = j + 1 == n ? 0 : j + 1;
  terms.clear();
  if (inner <= outer) AppendShoelaceTerms(x, y, n, i + 1, inner - 1, terms);
  else AppendShoelaceTerms(x, y, n, j1, outer - 1, terms);
  return KeepOuterPart(ring, terms, inner <= outer,
                       CutEnds{{x[i], y[i]}, {x[i + 1], y[i + 1]}, {x[j], y[j]}, {x[j1], y[j1]}, p});
}
