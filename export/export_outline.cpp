#include "export/export_outline.h"

#include <cmath>

#include "engine/polyline.h"
#include "engine/sound_ring.h"
#include "export/export_file.h"
#include "text/texts.h"

bool AllPointsFinite(const PointList& points) {
  for (const OutlinePoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  return true;
}

bool KeepSoundOutline(const PointList& source, PointList& thinned) {
  if (CheckSoundOutline(thinned) != 0) return true;
  if (CheckSoundOutline(source) == 0) return false;
  thinned = source;
  return true;
}

bool ThinExportOutline(const PointList& source, double tolerance, PointList& outline) {
  SimplifyClosedPolyline(source, tolerance, outline);
  if (outline.size() < 3) {
    gExportError = Tx(TX_EXPORT_NO_OUTLINE);
    return false;
  }
  if (!KeepSoundOutline(source, outline)) {
    gExportError = Tx(TX_EXPORT_OUTLINE_UNSOUND);
    return false;
  }
  return true;
}

void RingToArrays(const PointList& ring, std::vector<double>& x, std::vector<double>& y) {
  x.resize(ring.size());
  y.resize(ring.size());
  for (size_t i = 0; i < ring.size(); ++i) {
    x[i] = ring[i].x;
    y[i] = ring[i].y;
  }
}
