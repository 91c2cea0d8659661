// Clipping of screen polylines and polygons to the canvas plus a margin, so
// that only coordinates near the canvas reach the drawing surface. The
// clipped path is collected in gClipPath (no cairo here) and handed to the
// surface by the drawing code.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"

constexpr double CLIP_MARGIN_PX = 40;

enum ClipEdge : int64_t { CLIP_EDGE_LEFT = 0, CLIP_EDGE_RIGHT = 1, CLIP_EDGE_TOP = 2, CLIP_EDGE_BOTTOM = 3 };
enum ClipPathOp : uint8_t { CLIP_MOVE_TO = 0, CLIP_LINE_TO = 1, CLIP_CLOSE_PATH = 2 };

// The current drawing path: one op per entry; move-to and line-to take the
// next point of points, close-path takes none.
struct ClipPath {
  std::vector<uint8_t> ops;
  PointList points;
};

extern double gClipX0, gClipX1, gClipY0, gClipY1;
extern double gClipT0, gClipT1;
extern ClipPath gClipPath;

void SetClipRect(double w, double h);
void ClearClipPath();

int64_t IsInsideClipEdge(const OutlinePoint& point, int64_t edge);
void IntersectClipEdge(const OutlinePoint& s, const OutlinePoint& p, int64_t edge, OutlinePoint& out);
int64_t ClipSegmentToRect(const OutlinePoint& a, const OutlinePoint& b);
void AddClippedSegment(const OutlinePoint& a, const OutlinePoint& b, int64_t& pen);
void AddClippedPolyline(const PointList& points, int64_t closed);
// Replaces points by the clipped polygon and adds it as one closed sub-path.
void AddClippedPolygon(PointList& points);
