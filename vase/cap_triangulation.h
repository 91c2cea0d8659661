// Planar meshing that closes the vase: caps of one ring, bands between two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Twice the signed area of a, b, c; positive when counter-clockwise.
inline double Cross2D(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// Clears the list, then n fan triangles around index n (the origin) when the
// ring is star-shaped about the origin, else n - 2 ear-clipped triangles.
void TriangulatePolygon(const double* x, const double* y, int64_t n, std::vector<int64_t>& triangles);

// TriangulatePolygon with the slivers of the ear clipping flipped away; the
// fan is kept as it is.
void TriangulateCap(const double* x, const double* y, int64_t n, std::vector<int64_t>& triangles);

// Appends N + M counter-clockwise triangles that tile the band between the
// first (outer) ring, indices 0..N-1, and the second (inner) ring inside it,
// indices N..N+M-1; every ring edge is an edge of exactly one triangle.
void StitchRings(const double* ax, const double* ay, int64_t n, const double* bx, const double* by, int64_t m,
                 std::vector<int64_t>& triangles);
