#include "tests/support/ring_checks.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

double SignedArea(const PointList& ring) {
  double sum = 0;
  size_t n = ring.size();
  for (size_t i = 0; i < n; i++) {
    const OutlinePoint& p = ring[i];
    const OutlinePoint& q = ring[(i + 1) % n];
    sum += p.x * q.y - q.x * p.y;
  }
  return sum / 2;
}

PointList BaseLineRing(const BaseLine& line) {
  PointList ring;
  for (int64_t i = 0; i + 1 < line.count; i++) ring.push_back(OutlinePoint{line.x[i], line.y[i]});
  return ring;
}

namespace {

double Orient(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool OnSegment(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

bool SegmentsMeet(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c, const OutlinePoint& d) {
  double o1 = Orient(a, b, c), o2 = Orient(a, b, d), o3 = Orient(c, d, a), o4 = Orient(c, d, b);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0))) return true;
  if (o1 == 0 && OnSegment(a, b, c)) return true;
  if (o2 == 0 && OnSegment(a, b, d)) return true;
  if (o3 == 0 && OnSegment(c, d, a)) return true;
  if (o4 == 0 && OnSegment(c, d, b)) return true;
  return false;
}

}  // namespace

bool IsSimpleRing(const PointList& ring) {
  size_t n = ring.size();
  if (n < 3) return false;
  double minX = ring[0].x, maxX = minX, minY = ring[0].y, maxY = minY;
  for (const OutlinePoint& p : ring) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  // Buckets of a grid about as fine as the average edge.
  int cells = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(n))));
  double cw = (maxX - minX) / cells + 1e-12, ch = (maxY - minY) / cells + 1e-12;
  std::unordered_map<int64_t, std::vector<size_t>> grid;
  auto cell = [&](double x, double y, int& cx, int& cy) {
    cx = std::min(cells - 1, static_cast<int>((x - minX) / cw));
    cy = std::min(cells - 1, static_cast<int>((y - minY) / ch));
  };
  for (size_t i = 0; i < n; i++) {
    const OutlinePoint& a = ring[i];
    const OutlinePoint& b = ring[(i + 1) % n];
    int x0, y0, x1, y1;
    cell(std::min(a.x, b.x), std::min(a.y, b.y), x0, y0);
    cell(std::max(a.x, b.x), std::max(a.y, b.y), x1, y1);
    for (int cx = x0; cx <= x1; cx++)
      for (int cy = y0; cy <= y1; cy++) grid[static_cast<int64_t>(cx) * cells + cy].push_back(i);
  }
  for (auto& [key, edges] : grid) {
    for (size_t u = 0; u < edges.size(); u++) {
      for (size_t v = u + 1; v < edges.size(); v++) {
        size_t i = edges[u], j = edges[v];
        if ((i + 1) % n == j || (j + 1) % n == i) continue;  // neighbours share a point
        if (SegmentsMeet(ring[i], ring[(i + 1) % n], ring[j], ring[(j + 1) % n])) return false;
      }
    }
  }
  return true;
}
