// The next crossing after a cut, found from what the search before the cut
// showed instead of by a walk over the whole ring: where the loop cut eats
// into one crowded place cut after cut, the answer lies next to the two
// segments the cut made.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/loop_cut/crossing_set.h"
#include "engine/loop_cut/meeting_sweep.h"

// What the last search found and the cut after it did.
struct LastCrossing {
  bool known = false;
  // The last search's grid and the cell of its crossing; the keys of the
  // two crossing segments (a before b).
  CrossingGrid grid{};
  int64_t row = 0, col = 0, keyA = 0, keyB = 0;
  // The cut kept the part with the ring's start; the two segments it made.
  bool keptOuter = false;
  int64_t made[2] = {0, 0};
  // Segments by box left side or bottom near the bounds the searches met
  // lately (the bounds move little from cut to cut), each entry valid while
  // its slot's version holds.
  struct Entry {
    double value;
    int64_t slot;
    uint32_t version;
  };
  // Entries in order of their values, and those the latest cuts filed.
  struct Window {
    StartSide side;
    double low, high;
    std::vector<Entry> entries, recent;
  };
  std::vector<Window> windows;
  // Working lists.
  std::vector<int64_t> anchors, partners;
  std::vector<SegmentBounds> boxes;
  MeetingSweep meeting;
  std::vector<size_t> hot;
};

// Files the two segments the last cut made in the windows.
void NoteCut(const CrossingSet& set, LastCrossing& last);

// The crossing the plain grid search would report first in `grid`: 1 with
// the slots of the two segments (a before b), the point and its cell; -1
// when it could not be settled near the last cut within a small budget.
int64_t NearbyCrossing(const CrossingSet& set, LastCrossing& last, const CrossingGrid& grid, int64_t& a, int64_t& b,
                       OutlinePoint& point, int64_t& row, int64_t& col);
