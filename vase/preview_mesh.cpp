#include "vase/preview_mesh.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/polyline.h"
#include "vase/cap_triangulation.h"
#include "vase/quad_diagonals.h"
#include "vase/vase_slices.h"


namespace {

constexpr int64_t THINNING_PASSES = 13;
constexpr double THINNING_START_DIVISOR = 5000;

// The thinned outline and the inner ring only change with a recompute or a
// wall setting, not while the view turns; one entry per point budget keeps
// the fine and the coarse build from evicting each other. Their floors and
// rim go with them: turning and scaling a slice about the axis keeps every
// triangle's winding, so the unmoved rings' triangulation serves each slice.
struct RingCache {
  bool filled = false;
  int64_t budget = 0;
  PointList source;
  PointList thinned;
  std::vector<int64_t> bottom;
  bool innerFilled = false;
  PointList baseLine;
  double innerKey[5] = {0, 0, 0, 0, 0};
  int64_t innerOk = 0;
  PointList inner;
  std::vector<int64_t> innerFloor, rim;
};

struct RingArrays {
  std::vector<double> x, y;
  explicit RingArrays(const PointList& ring) {
    for (const OutlinePoint& p : ring) {
      x.push_back(p.x);
      y.push_back(p.y);
    }
  }
  int64_t Size() const { return static_cast<int64_t>(x.size()); }
};

void TriangulateRing(const PointList& ring, std::vector<int64_t>& triangles) {
  RingArrays r(ring);
  TriangulateCap(r.x.data(), r.y.data(), r.Size(), triangles);
}

void TriangulateBand(const PointList& outer, const PointList& inner, std::vector<int64_t>& triangles) {
  RingArrays a(outer), b(inner);
  triangles.clear();
  StitchRings(a.x.data(), a.y.data(), a.Size(), b.x.data(), b.y.data(), b.Size(), triangles);
}

RingCache gRingCache[2];
int64_t gRingCacheNext = 0;

bool SameBits(const PointList& a, const PointList& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(OutlinePoint)) == 0);
}

void ThinOutline(const PointList& outline, int64_t budget, PointList& thinned) {
  double minX = outline[0].x, maxX = outline[0].x, minY = outline[0].y, maxY = outline[0].y;
  for (const OutlinePoint& p : outline) {
    minX = MinF(minX, p.x);
    maxX = MaxF(maxX, p.x);
    minY = MinF(minY, p.y);
    maxY = MaxF(maxY, p.y);
  }
  double t = MaxF(maxX - minX, maxY - minY) / THINNING_START_DIVISOR;
  SimplifyClosedPolylineToBudget(outline, t, THINNING_PASSES, budget, thinned);
}

RingCache& CachedThinning(const PointList& outline, int64_t budget) {
  for (RingCache& entry : gRingCache) {
    if (entry.filled && entry.budget == budget && SameBits(entry.source, outline)) return entry;
  }
  RingCache* entry = &gRingCache[gRingCacheNext];
  for (RingCache& candidate : gRingCache) {
    if (candidate.filled && candidate.budget == budget) entry = &candidate;
  }
  if (entry == &gRingCache[gRingCacheNext]) gRingCacheNext = (gRingCacheNext + 1) % 2;
  entry->filled = false;
  entry->innerFilled = false;
  entry->budget = budget;
  entry->source = outline;
  ThinOutline(outline, budget, entry->thinned);
  TriangulateRing(entry->thinned, entry->bottom);
  entry->filled = true;
  return *entry;
}

int64_t CachedInnerRing(RingCache& entry, const PointList& baseLine, const VaseParams& vase, PointList*& inner) {
  double key[5] = {MinVaseScale(vase), vase.wallThickness, static_cast<double>(vase.innerWallMode),
                   vase.patternDepth, vase.inwardDepth};
  if (!entry.innerFilled || std::memcmp(key, entry.innerKey, sizeof key) != 0 ||
      !SameBits(entry.baseLine, baseLine)) {
    entry.innerFilled = false;
    entry.baseLine = baseLine;
    std::memcpy(entry.innerKey, key, sizeof key);
    entry.innerOk = BuildInnerWallRing(entry.thinned, baseLine, vase, entry.inner);
    if (entry.innerOk) {
      TriangulateRing(entry.inner, entry.innerFloor);
      TriangulateBand(entry.thinned, entry.inner, entry.rim);
    }
    entry.innerFilled = true;
  }
  inner = &entry.inner;
  return entry.innerOk;
}

// The two wall triangles of the quad over edge j..j2 between the slices
// whose first vertices are lo and up.
void AddWallQuad(const QuadCorner* c, int64_t lo, int64_t up, int64_t j, int64_t j2) {
  auto at = [&](const QuadCorner& k) { return (k.upper ? up : lo) + (k.second ? j2 : j); };
  AddMeshTriangle(at(c[0]), at(c[1]), at(c[2]), TRI_WALL);
  AddMeshTriangle(at(c[3]), at(c[4]), at(c[5]), TRI_WALL);
}

// Writes the S + 1 slices of a ring from vertex index first on; returns the
// largest x^2 + y^2 of the moved points, or infinity as soon as one is not
// finite (a twist, scale or bulge beyond double range).
double AddSlices(const PointList& ring, const VaseParams& vase, int64_t steps, int64_t first, bool inner) {
  int64_t n = static_cast<int64_t>(ring.size());
  double h = vase.height;
  double b = vase.bottomThickness;
  double largest = 0;
  for (int64_t i = 0; i <= steps; ++i) {
    double z, t;
    if (inner) {
      z = b + (h - b) * static_cast<double>(i) / static_cast<double>(steps);
      t = z / h;
    } else {
      t = static_cast<double>(i) / static_cast<double>(steps);
      z = h * t;
    }
    double s = VaseScaleAt(vase, t);
    double a = SliceAngle(vase, t);
    double ca = std::cos(a), sa = std::sin(a);
    double* vx = gVertX.data() + first + i * n;
    double* vy = gVertY.data() + first + i * n;
    double* vz = gVertZ.data() + first + i * n;
    for (int64_t j = 0; j < n; ++j) {
      double x = ring[j].x, y = ring[j].y;
      double px = s * (x * ca - y * sa);
      double py = s * (x * sa + y * ca);
      vx[j] = px;
      vy[j] = py;
      vz[j] = z;
      double r2 = px * px + py * py;
      if (!std::isfinite(r2)) return std::numeric_limits<double>::infinity();
      if (r2 > largest) largest = r2;
    }
  }
  return largest;
}

}  // namespace

bool IsPreviewHeight(double height) { return height > 0 && std::isfinite(height * height / 4); }

void BuildPreviewMesh(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                      int64_t pointBudget) {
  gVertexCount = 0;
  gTriangleCount = 0;
  if (outline.size() < 3 || !IsPreviewHeight(vase.height)) return;

  RingCache& rings = CachedThinning(outline, pointBudget);
  const PointList& ring = rings.thinned;
  int64_t n = static_cast<int64_t>(ring.size());
  int64_t steps = ClampVaseSteps(vase.steps);
  gRingSize = n;
  gMeshSteps = steps;

  // The quads are cut as the STL writer cuts them.
  WallSplits splits;
  SplitWall(vase, steps, ring, false, splits);
  const PointList* inner = nullptr;
  bool hollow = false;
  if (vase.hollow != 0 && vase.wallThickness > 0 && vase.bottomThickness > 0 &&
      vase.height > vase.bottomThickness) {
    PointList* built = nullptr;
    // Drawn solid where the export refuses the inner wall.
    hollow = CachedInnerRing(rings, baseLine, vase, built) != 0 && SplitWall(vase, steps, *built, true, splits) != 0 &&
             InnerWallStaysInside(vase, steps, ring, *built, splits) != 0;
    inner = built;
  }
  int64_t m = hollow ? static_cast<int64_t>(inner->size()) : 0;

  int64_t vertexCount = (steps + 1) * n + 1 + (hollow ? (steps + 1) * m + 1 : 0);
  gVertX.resize(static_cast<size_t>(vertexCount));
  gVertY.resize(static_cast<size_t>(vertexCount));
  gVertZ.resize(static_cast<size_t>(vertexCount));
  gMeshHeight = vase.height;

  double largest = AddSlices(ring, vase, steps, 0, false);
  int64_t centre = (steps + 1) * n;
  gVertX[centre] = 0;
  gVertY[centre] = 0;
  gVertZ[centre] = 0;

  for (int64_t i = 0; i < steps; ++i) {
    int64_t lo = i * n, up = (i + 1) * n;
    for (int64_t j = 0; j < n; ++j) {
      int64_t jn = j + 1 == n ? 0 : j + 1;
      AddWallQuad(WallQuadCorners(splits.outerFlips[static_cast<size_t>(j)], false), lo, up, j, jn);
    }
  }
  // A fan where the outline is star-shaped about the axis, else ear-clipped
  // as the STL writer does; index n is the centre. Turned over to face down.
  auto atBottom = [&](int64_t k) { return k == n ? centre : k; };
  for (size_t k = 0; k + 2 < rings.bottom.size(); k += 3)
    AddMeshTriangle(atBottom(rings.bottom[k]), atBottom(rings.bottom[k + 2]), atBottom(rings.bottom[k + 1]), TRI_FLOOR);

  if (hollow) {
    int64_t i0 = centre + 1;
    largest = MaxF(largest, AddSlices(*inner, vase, steps, i0, true));
    int64_t floor = i0 + (steps + 1) * m;
    gVertX[floor] = 0;
    gVertY[floor] = 0;
    gVertZ[floor] = vase.bottomThickness;
    for (int64_t i = 0; i < steps; ++i) {
      int64_t lo = i0 + i * m, up = i0 + (i + 1) * m;
      for (int64_t j = 0; j < m; ++j) {
        int64_t jn = j + 1 == m ? 0 : j + 1;
        AddWallQuad(WallQuadCorners(splits.innerFlips[static_cast<size_t>(j)], true), lo, up, j, jn);
      }
    }
    const std::vector<int64_t>& innerFloor = rings.innerFloor;
    auto atFloor = [&](int64_t k) { return k == m ? floor : i0 + k; };
    for (size_t k = 0; k + 2 < innerFloor.size(); k += 3)
      AddMeshTriangle(atFloor(innerFloor[k]), atFloor(innerFloor[k + 1]), atFloor(innerFloor[k + 2]), TRI_FLOOR);

    int64_t outerTop = steps * n, innerTop = i0 + steps * m;
    const std::vector<int64_t>& rim = rings.rim;
    auto atRim = [&](int64_t k) { return k < n ? outerTop + k : innerTop + (k - n); };
    for (size_t k = 0; k + 2 < rim.size(); k += 3)
      AddMeshTriangle(atRim(rim[k]), atRim(rim[k + 1]), atRim(rim[k + 2]), TRI_WALL);
  }

  double radius = std::sqrt(largest + vase.height * vase.height / 4);
  // A mesh the view cannot hold in doubles is no picture at all.
  if (!std::isfinite(radius)) {
    gTriangleCount = 0;
    return;
  }
  gVertexCount = vertexCount;
  gMeshRadius = radius > 0 ? radius : 1;
}

void RebuildPreviewMeshFor(const DesignResult& result, const VaseParams& vase, int64_t coarse) {
  if (!result.valid) {
    gVertexCount = 0;
    gTriangleCount = 0;
    return;
  }
  if (coarse) {
    VaseParams copy = vase;
    if (copy.steps > COARSE_MAX_STEPS) copy.steps = COARSE_MAX_STEPS;
    BuildPreviewMesh(result.outlinePoints, result.baseLinePoints, copy, COARSE_POINT_BUDGET);
  } else {
    BuildPreviewMesh(result.outlinePoints, result.baseLinePoints, vase, FINE_POINT_BUDGET);
  }
  gMeshCoarse = coarse;
}
