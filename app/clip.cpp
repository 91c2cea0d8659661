#include "app/clip.h"

#include <cmath>

double gClipX0 = -CLIP_MARGIN_PX, gClipX1 = CLIP_MARGIN_PX, gClipY0 = -CLIP_MARGIN_PX, gClipY1 = CLIP_MARGIN_PX;
double gClipT0 = 0, gClipT1 = 1;
ClipPath gClipPath;

void SetClipRect(double w, double h) {
  gClipX0 = -CLIP_MARGIN_PX;
  gClipX1 = w + CLIP_MARGIN_PX;
  gClipY0 = -CLIP_MARGIN_PX;
  gClipY1 = h + CLIP_MARGIN_PX;
}

void ClearClipPath() {
  gClipPath.ops.clear();
  gClipPath.points.clear();
}

namespace {

void PathMoveTo(double x, double y) {
  gClipPath.ops.push_back(CLIP_MOVE_TO);
  gClipPath.points.push_back(OutlinePoint{x, y});
}

void PathLineTo(double x, double y) {
  gClipPath.ops.push_back(CLIP_LINE_TO);
  gClipPath.points.push_back(OutlinePoint{x, y});
}

bool IsFinitePoint(const OutlinePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// One Liang-Barsky edge test; false when the segment is wholly outside it.
bool ClipAgainstEdge(double p, double q) {
  if (p == 0) return q >= 0;
  double r = q / p;
  if (p < 0) {
    if (r > gClipT1) return false;
    if (r > gClipT0) gClipT0 = r;
  } else {
    if (r < gClipT0) return false;
    if (r < gClipT1) gClipT1 = r;
  }
  return true;
}

}  // namespace

int64_t IsInsideClipEdge(const OutlinePoint& point, int64_t edge) {
  // Written so that a NaN coordinate compares false: outside.
  switch (edge) {
    case CLIP_EDGE_LEFT: return point.x >= gClipX0 ? 1 : 0;
    case CLIP_EDGE_RIGHT: return point.x <= gClipX1 ? 1 : 0;
    case CLIP_EDGE_TOP: return point.y >= gClipY0 ? 1 : 0;
    default: return point.y <= gClipY1 ? 1 : 0;
  }
}

void IntersectClipEdge(const OutlinePoint& s, const OutlinePoint& p, int64_t edge, OutlinePoint& out) {
  double t;
  if (edge == CLIP_EDGE_LEFT || edge == CLIP_EDGE_RIGHT) {
    double x = edge == CLIP_EDGE_LEFT ? gClipX0 : gClipX1;
    t = (x - s.x) / (p.x - s.x);
  } else {
    double y = edge == CLIP_EDGE_TOP ? gClipY0 : gClipY1;
    t = (y - s.y) / (p.y - s.y);
  }
  out.x = s.x + t * (p.x - s.x);
  out.y = s.y + t * (p.y - s.y);
}

int64_t ClipSegmentToRect(const OutlinePoint& a, const OutlinePoint& b) {
  gClipT0 = 0;
  gClipT1 = 1;
  double dx = b.x - a.x, dy = b.y - a.y;
  // A NaN fails every comparison below and would count as visible.
  if (!IsFinitePoint(a) || !IsFinitePoint(b) || !std::isfinite(dx) || !std::isfinite(dy)) return 0;
  if (!ClipAgainstEdge(-dx, a.x - gClipX0)) return 0;
  if (!ClipAgainstEdge(dx, gClipX1 - a.x)) return 0;
  if (!ClipAgainstEdge(-dy, a.y - gClipY0)) return 0;
  if (!ClipAgainstEdge(dy, gClipY1 - a.y)) return 0;
  return 1;
}

void AddClippedSegment(const OutlinePoint& a, const OutlinePoint& b, int64_t& pen) {
  if (!ClipSegmentToRect(a, b)) {
    pen = 0;
    return;
  }
  double dx = b.x - a.x, dy = b.y - a.y;
  if (pen == 0 || gClipT0 > 0) PathMoveTo(a.x + gClipT0 * dx, a.y + gClipT0 * dy);
  PathLineTo(a.x + gClipT1 * dx, a.y + gClipT1 * dy);
  pen = gClipT1 >= 1 ? 1 : 0;
}

void AddClippedPolyline(const PointList& points, int64_t closed) {
  size_t n = points.size();
  if (n < 2) return;
  int64_t pen = 0;
  for (size_t i = 0; i + 1 < n; ++i) AddClippedSegment(points[i], points[i + 1], pen);
  if (closed != 0) AddClippedSegment(points[n - 1], points[0], pen);
}

void AddClippedPolygon(PointList& points) {
  PointList output;
  for (int64_t edge = CLIP_EDGE_LEFT; edge <= CLIP_EDGE_BOTTOM; ++edge) {
    if (points.empty()) return;
    output.clear();
    output.reserve(points.size() + 4);
    OutlinePoint s = points.back();
    int64_t sInside = IsInsideClipEdge(s, edge);
    for (const OutlinePoint& p : points) {
      int64_t pInside = IsInsideClipEdge(p, edge);
      if (pInside != sInside) {
        OutlinePoint crossing;
        IntersectClipEdge(s, p, edge, crossing);
        // A crossing with a non-finite end has no place on the edge.
        if (IsFinitePoint(crossing)) output.push_back(crossing);
      }
      if (pInside) output.push_back(p);
      s = p;
      sInside = pInside;
    }
    points.swap(output);
  }
  if (points.size() < 3) return;
  PathMoveTo(points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) PathLineTo(points[i].x, points[i].y);
  gClipPath.ops.push_back(CLIP_CLOSE_PATH);
}
