// A hook for the tests: sends the loop cut down one route, so that each
// route and each hand-over can be held against the plain full search on
// the same rings. The program never sets it; as it stands (CHOSEN, no
// give-up, no turns) it changes nothing.
#pragma once

#include <cstdint>

enum class LoopCutRoute {
  // As the loop cut chooses.
  CHOSEN,
  // The walk alone, for every cut.
  WALK,
  // The crossing set, filled by collecting every crossing, from the first cut.
  COLLECTED_SET,
  // The crossing set, filled through a sweep over the whole ring, from the
  // first cut.
  SWEPT_SET,
  // The search near the last cut from the first cut, whatever the ring's size.
  NEARBY,
};

struct LoopCutRoutes {
  LoopCutRoute route = LoopCutRoute::CHOSEN;
  // Cuts the crossing set makes before it gives up on the ring as if they
  // had cost too much (-1: it gives up only when they do).
  int64_t setGivesUpAfter = -1;
  // The set takes turns between its heap by cell and its bands, whichever
  // sets the cell (both give the plain search's pair in any grid).
  bool alternateHeapAndBands = false;
  int64_t turns = 0;
};

extern LoopCutRoutes gLoopCutRoutes;
