// Which diagonal splits each quad of a wall between two turned slices.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"
#include "vase/vase_params.h"

// A quad over ring edge j (j2 = j + 1 mod n) between lower slice i and
// upper slice i + 1 is split on (lower j, upper j2) when flips[j] is 0, on
// (lower j2, upper j) when it is 1. Between slices turned by the angle turn
// (radians) each split folds the wall off the straight cut to one side of
// the edge; the side away from the material (right of the ring when
// materialLeft, else left) is taken where the fold has room there, else the
// other side. Returns 0 when some edge has room on neither side: the wall
// would cross itself.
int64_t ChooseQuadDiagonals(const PointList& ring, double turn, bool materialLeft, std::vector<uint8_t>& flips);
// The longest ring edge whose quads fold towards the side given (left of
// the ring when left is set) between slices turned by turn.
double LongestEdgeFoldingTo(const PointList& ring, double turn, const std::vector<uint8_t>& flips, bool left);
// The splits of a vase's outer wall (inner false) or inner wall meshed
// from steps + 1 slices of ring, and the turn between two of its slices;
// 0 as ChooseQuadDiagonals.
int64_t WallDiagonals(const VaseParams& vase, int64_t steps, const PointList& ring, bool inner,
                      std::vector<uint8_t>& flips, double& turn);

// The splits of a vase's two walls, worked out once for the checks and the
// mesh that read them; ok as WallDiagonals returns it.
struct WallSplits {
  std::vector<uint8_t> outerFlips, innerFlips;
  double outerTurn = 0, innerTurn = 0;
  int64_t outerOk = 0, innerOk = 0;
};
// WallDiagonals of one wall into its side of splits; returns its ok.
int64_t SplitWall(const VaseParams& vase, int64_t steps, const PointList& ring, bool inner, WallSplits& splits);

// A corner of a wall quad: of the lower or the upper slice, at the edge's
// first end j or its second end j2.
struct QuadCorner {
  uint8_t upper, second;
};
// The six corners of the two triangles that the split flip makes of a wall
// quad, wound to face out of the outer wall, or into the hollow for the
// inner wall.
const QuadCorner* WallQuadCorners(uint8_t flip, bool inner);
