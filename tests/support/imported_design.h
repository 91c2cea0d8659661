// The default design on an imported outline, as the import button leaves it.
#pragma once

#include <algorithm>

#include "engine/design.h"
#include "import/import_pieces.h"
#include "tests/support/default_design.h"

// The outline taken as it is, of the size the import gave.
inline DesignParams ImportedDesign(const PointList& points, double width, double height) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_IMPORTED;
  p.importPoints = points;
  p.importWidth = p.width = width;
  p.importHeight = p.height = height;
  return p;
}

// The outline put in place as the import does: centred, counter-clockwise.
inline DesignParams NormalizedImportedDesign(PointList points) {
  double width = 0, height = 0;
  NormalizeImportedOutline(points, width, height);
  return ImportedDesign(points, width, height);
}

// An outline already in place, its size that of its bounding box.
inline DesignParams ImportedDesignInBox(const PointList& points) {
  double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
  for (const OutlinePoint& q : points) {
    minX = std::min(minX, q.x);
    maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
  }
  return ImportedDesign(points, maxX - minX, maxY - minY);
}
