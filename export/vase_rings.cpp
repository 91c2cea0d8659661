#include "export/vase_rings.h"

#include "engine/loop_cut/loop_cut.h"
#include "engine/polyline.h"
#include "export/export_outline.h"
#include "text/texts.h"
#include "vase/quad_diagonals.h"
#include "vase/vase_slices.h"

namespace {

// Thinning does not keep a ring from crossing itself where it runs close to
// itself; a ring that would cross itself is kept as it was.
bool CrossesItself(const PointList& ring) {
  std::vector<double> x, y;
  RingToArrays(ring, x, y);
  int64_t i = 0, j = 0;
  OutlinePoint crossing;
  return FindSelfIntersection(x.data(), y.data(), static_cast<int64_t>(ring.size()), i, j, crossing) == 1;
}

}  // namespace

int64_t PrepareVaseRings(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                         double tolerance, PointList& outer, PointList& inner, WallSplits* splits) {
  WallSplits own;
  WallSplits& s = splits ? *splits : own;
  s = WallSplits{};
  outer.clear();
  inner.clear();
  int64_t steps = ValidateVaseParams(outline, vase);
  if (steps == 0) return 0;
  if (!AllPointsFinite(outline)) {
    gLastError = Tx(TX_VASE_NO_OUTLINE);
    return 0;
  }
  SimplifyClosedPolyline(outline, tolerance, outer);
  // A ring thinned to a line or a point has no area to build on.
  if (outer.size() < 3) {
    gLastError = Tx(TX_VASE_NO_OUTLINE);
    return 0;
  }
  if (!KeepSoundOutline(outline, outer)) {
    gLastError = Tx(TX_EXPORT_OUTLINE_UNSOUND);
    return 0;
  }
  SplitWall(vase, steps, outer, false, s);
  if (vase.hollow != 0) {
    PointList ring;
    if (CheckWallThickness(outer, baseLine, vase, ring) == 0) return 0;
    // The offset ring can be far denser than the writer needs.
    SimplifyClosedPolyline(ring, tolerance, inner);
    if (inner.empty() || inner[0].x != ring[0].x || inner[0].y != ring[0].y) inner.insert(inner.begin(), ring[0]);
    if (inner.size() >= 3 && CrossesItself(inner)) inner = ring;
    // The meshes are built from these rings; an inner wall that would leave
    // the outer one between the slices is refused here, for both writers.
    if (inner.size() >= 3) SplitWall(vase, steps, inner, true, s);
    if (inner.size() < 3 || InnerWallStaysInside(vase, steps, outer, inner, s) == 0) {
      gLastError = Tx(TX_VASE_WALL_TOO_THICK);
      return 0;
    }
  }
  // A wall whose quads must fold into itself somewhere between two slices.
  if (s.outerOk == 0 || (vase.hollow != 0 && s.innerOk == 0)) {
    gLastError = Tx(TX_VASE_TWIST_TOO_LARGE);
    return 0;
  }
  return steps;
}
