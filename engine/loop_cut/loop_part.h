// Which of the two parts of a ring cut at a crossing survives: the one with
// more points, unless it holds clearly less area than the other (a ring
// whose loops outnumber its true outline in points must not be cut down to
// a loop). The areas are exact sums of the same shoelace terms on every
// route of the loop cut, so every route makes the same choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/design.h"
#include "engine/exact_sum.h"

// Twice the signed area that segment a -> b adds to a ring.
double ShoelaceTerm(double ax, double ay, double bx, double by);
// Appends the terms of `count` segments of a ring of n points from segment
// `from` on (segment k runs from point k to point (k + 1) mod n).
void AppendShoelaceTerms(const double* x, const double* y, int64_t n, int64_t from, int64_t count,
                         std::vector<double>& terms);

// The two crossing segments i < j (i0 -> i1 and j0 -> j1) and their
// crossing p.
struct CutEnds {
  OutlinePoint i0, i1, j0, j1, p;
};

// The shoelace terms of a ring as the loop cut goes, summed exactly, and
// their rounded sum before its first cut.
struct RingArea {
  ExactSum sum;
  double whole = 0;
};

// Starts on a ring of n points.
void StartRingArea(RingArea& area, const double* x, const double* y, int64_t n);
// True when the cut keeps the outer part (points 0..i, p, j + 1..), false
// for the inner one (p, points i + 1..j). innerFewer: the inner part has
// no more points than the outer one. `dropped` holds the terms of the
// segments wholly inside the part with fewer points (the inner one on a
// tie); the ring's sum becomes that of the part kept.
bool KeepOuterPart(RingArea& ring, const std::vector<double>& dropped, bool innerFewer, const CutEnds& ends);
// KeepOuterPart for a ring of n points held as arrays, cut where its
// segments i < j meet at p; terms is working space.
bool KeepOuterPartOfCut(RingArea& ring, const double* x, const double* y, int64_t n, int64_t i, int64_t j,
                        const OutlinePoint& p, std::vector<double>& terms);
