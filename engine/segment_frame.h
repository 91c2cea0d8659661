// A box turned to the main direction of the segments in it: around long,
// nearly parallel slanted segments it stays narrow where the upright box
// grows as wide as it is long.
#pragma once

#include <limits>

struct SegmentFrame {
  // The sum of the segments' directions at twice their angle (each as long
  // as the segment squared): half its angle is the frame's axis u.
  double c2 = 0, s2 = 0;
  // u = (ux, uy) and v = (-uy, ux); the extents along them, empty while
  // u0 > u1.
  double ux = 1, uy = 0;
  double u0 = std::numeric_limits<double>::infinity(), u1 = -std::numeric_limits<double>::infinity();
  double v0 = std::numeric_limits<double>::infinity(), v1 = -std::numeric_limits<double>::infinity();
};

// Adds a segment's direction to the sum; SetFrameAxis then turns the frame.
void AddDirection(SegmentFrame& f, double dx, double dy);
void SetFrameAxis(SegmentFrame& f);
// Widens the frame to hold the point.
void AddFramePoint(SegmentFrame& f, double x, double y);
// A frame around both frames.
SegmentFrame JoinFrames(const SegmentFrame& a, const SegmentFrame& b);
// True when the segment from (ax, ay) to (bx, by) surely misses the frame:
// apart along u, along v or across the segment's line, by a margin far
// above the rounding of the projections.
bool SegmentMissesFrame(const SegmentFrame& f, double ax, double ay, double bx, double by);
// True when the upright box lies wholly on one side of the line through
// (ax, ay) and (bx, by), by the same margin.
bool LineMissesBox(double x0, double x1, double y0, double y1, double ax, double ay, double bx, double by);
