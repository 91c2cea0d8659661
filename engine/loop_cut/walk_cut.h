// What a cut does to the walk: the cut itself, made in place on the walk's
// arrays, and the caches the walk keeps through a cut or learns from the
// crossing set's cuts. Only the walk and these functions write the walk's
// caches.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"
#include "engine/exact_sum.h"
#include "engine/loop_cut/crossing_grid.h"
#include "engine/loop_cut/crossing_walk.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/ring_segments.h"

// Cuts the ring of n points on the arrays at the crossing p of segments
// i < j as the plain search would, keeping the part `area` chooses (its sum
// becomes that part's), and carries the walk's box, lengths, cover and
// passed pairs through the cut; the next search resumes after it.
void CutWalkRing(CrossingSearch& work, std::vector<double>& x, std::vector<double>& y, int64_t& n, int64_t i,
                 int64_t j, const OutlinePoint& p, RingArea& area);
// Carries the swept cell's segments that met none through a walk cut at
// segments i < j (keptStart: points 0..i, the crossing, j + 1.. remain;
// else the crossing and points i + 1..j).
void KeepCoverThroughCut(CrossingSearch& work, int64_t i, int64_t j, bool keptStart);
// Carries the passed pairs through a cut at segments i < j and adds those of
// the search that found its crossing, whose cell ended at `above` and
// `right`; a cut that kept the other part drops them all.
void KeepPassedThroughCut(CrossingSearch& work, int64_t i, int64_t j, bool keptStart, double above, double right);

// The walk's lengths where they are those of the ring as it stands.
RingLengths WalkLengths(const CrossingSearch& work);
// Drops all the walk knows: the ring was changed by another route.
void ForgetWalkCaches(CrossingSearch& work);
// The crossing set cut the ring at a crossing in `cell`, and the two
// segments the cut made start at points made0 and made1: the next walk
// resumes there.
void ResumeWalkAfterSetCut(CrossingSearch& work, const SegmentBounds& cell, int64_t made0, int64_t made1);
// The ring's box and lengths are no longer the walk's: measure them again.
void ForgetWalkRing(CrossingSearch& work);
// The set hands over the ring's box and lengths' sum (the walk's lengths
// are not needed while the set cuts).
void TakeRingFromSet(CrossingSearch& work, const SegmentBounds& box, const ExactSum& perimeter);
