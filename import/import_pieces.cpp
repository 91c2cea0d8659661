#include "import/import_pieces.h"

#include <cmath>

#include "import/import_state.h"

std::vector<ImportPiece> gImportPieces;

void BeginImportPiece(int64_t closed) {
  gImportPieces.emplace_back();
  gImportPieces.back().closed = closed;
}

void AppendImportPoint(PointList& list, double x, double y) {
  // Every sampled point counts against the budget; past it nothing grows.
  if (gImportPointsLeft <= 0) {
    gImportOverBudget = 1;
    return;
  }
  --gImportPointsLeft;
  list.push_back(OutlinePoint{x, y});
}

double ComputeSignedArea(const PointList& points) {
  if (points.size() < 3) return 0;
  double px = points.back().x, py = points.back().y;
  double sum = 0;
  for (const OutlinePoint& p : points) {
    sum += px * p.y - p.x * py;
    px = p.x;
    py = p.y;
  }
  return sum / 2;
}

int64_t PickLargestLoop(PointList& destination) {
  double best = -1;
  const ImportPiece* kept = nullptr;
  for (const ImportPiece& piece : gImportPieces) {
    double a = std::fabs(ComputeSignedArea(piece.points));
    if (a > best) {
      best = a;
      kept = &piece;
    }
  }
  destination.clear();
  if (kept == nullptr || !(best > 0)) return 0;
  destination = kept->points;
  return 1;
}
