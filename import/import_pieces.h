// The import pieces that both imports gather, the largest loop and the
// normalised form every imported outline takes.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"

struct ImportPiece {
  int64_t closed = 0;
  PointList points;
};

// The last piece is the current one, filled by the readers.
extern std::vector<ImportPiece> gImportPieces;

// Tolerances of the STL chain close test and of the DXF spline end test.
constexpr double POINT_MATCH_TOL = 1e-9;
constexpr double IMPORT_SIMPLIFY_TOL = 0.0005;

void BeginImportPiece(int64_t closed);
void AppendImportPoint(PointList& list, double x, double y);
int64_t JoinPiecesIntoLoops(double tolerance);
int64_t PickLargestLoop(PointList& destination);
double ComputeSignedArea(const PointList& points);
void NormalizeImportedOutline(PointList& points, double& width, double& height);
// The shared end of both imports: the largest loop of gImportPieces,
// simplified and normalised into the three outputs, which change only on
// success. 0 when there is no loop or what is left is a sliver (fewer than
// 3 points, no width or height, not finite, or no area beyond rounding).
int64_t FinishImportedOutline(PointList& points, double& width, double& height);
