// The sweep over a bundle of segments with exact predicates, and what the
// loop cut builds on it for its crowded cells: the segments that meet taken
// out (hot) so that only their pairs need the segment test, and chains of
// segments that cannot meet each other.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// A segment of a ring from (x0, y0) to (x1, y1); `next` is the id of the
// segment that starts where it ends.
struct ContactSegment {
  double x0, y0, x1, y1;
  int64_t id, next;
};

// Shamos and Hoey's sweep with exact predicates: true when two of the
// segments meet anywhere, apart from ring neighbours at their common point
// (a neighbour that folds straight back does meet), with their positions.
// Every segment must have some length (the sweep could not place one
// without).
bool FindSegmentContact(const std::vector<ContactSegment>& segments, size_t& first, size_t& second);
// The same sweep going on past every pair that meets, with both taken out:
// the positions taken out, after which the others meet nowhere, so every
// pair that meets has one of them. False when more than `most` were taken.
bool FindMeetingSegments(const std::vector<ContactSegment>& segments, std::vector<size_t>& met, size_t most);

// Working lists of the sweep over a crowded cell's segments.
struct MeetingSweep {
  std::vector<ContactSegment> contact;
  std::vector<size_t> contactAt, met;
};

// The cell's m segments, from point starts[a] to point next(starts[a]) of
// x, y, for the sweep (contact, with their positions in contactAt); the
// positions of those of no length, which the sweep cannot place, in
// noLength.
template <typename Next>
void ListContactSegments(const double* x, const double* y, const int64_t* starts, size_t m, Next next,
                         MeetingSweep& sweep, std::vector<size_t>& noLength) {
  sweep.contact.clear();
  sweep.contactAt.clear();
  noLength.clear();
  for (size_t a = 0; a < m; ++a) {
    const int64_t k = starts[a], k1 = next(k);
    if (x[k] == x[k1] && y[k] == y[k1]) {
      noLength.push_back(a);
      continue;
    }
    sweep.contact.push_back(ContactSegment{x[k], y[k], x[k1], y[k1], k, k1});
    sweep.contactAt.push_back(a);
  }
}

// The positions (ascending) of the cell's segments that the sweep takes out,
// and those of no length, in `hot`: every pair of the others meets nowhere.
// False when they are more than `most`.
template <typename Next>
bool FindHotPositions(const double* x, const double* y, const int64_t* starts, size_t m, Next next, size_t most,
                      MeetingSweep& sweep, std::vector<size_t>& hot) {
  ListContactSegments(x, y, starts, m, next, sweep, hot);
  if (hot.size() > most || !FindMeetingSegments(sweep.contact, sweep.met, most - hot.size())) return false;
  for (size_t c : sweep.met) hot.push_back(sweep.contactAt[c]);
  std::sort(hot.begin(), hot.end());
  hot.erase(std::unique(hot.begin(), hot.end()), hot.end());
  return true;
}

// Visits the pairs (a, b), a < b < m, with a position of `hot` (ascending)
// in them, in order, until visit(a, b) returns true; true then. Only pairs
// with a < firstEnd are visited.
template <typename Visit>
bool VisitPairsWithHot(size_t m, const std::vector<size_t>& hot, Visit visit, size_t firstEnd = SIZE_MAX) {
  size_t next = 0;
  for (size_t a = 0; a < m && a < firstEnd && next < hot.size(); ++a) {
    if (hot[next] == a) {
      ++next;
      for (size_t b = a + 1; b < m; ++b)
        if (visit(a, b)) return true;
    } else {
      for (size_t q = next; q < hot.size(); ++q)
        if (visit(a, hot[q])) return true;
    }
  }
  return false;
}

// +1, -1 or 0 as d is positive, negative or neither.
inline int Sign(double d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); }

// Splits segments of a ring of n points (given by index, in increasing
// order) into chains: runs of consecutive segments that all advance
// strictly the same way in x, or all strictly the same way in y. Two
// segments of one chain that are not neighbours have boxes strictly apart,
// so they never meet. Returns the number of chains.
int64_t LabelChains(const double* x, const double* y, int64_t n, const int64_t* segs, size_t m,
                    std::vector<int64_t>& chain);
// The signs of every segment's advance in x and in y, one byte each, so
// that chains can be labelled without reading the ring's points again.
void MeasureAdvances(const double* x, const double* y, int64_t n, std::vector<int8_t>& advance);
// LabelChains from those signs.
int64_t LabelChains(const std::vector<int8_t>& advance, const int64_t* segs, size_t m, std::vector<int64_t>& chain);
