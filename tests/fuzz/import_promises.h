// What a successful import promises, checked by the DXF and STL targets.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/design.h"
#include "import/import_pieces.h"

// Outputs as the targets hand them in; a failed import must leave them so.
// A scratch file of this process for the inputs; run_fuzzers.sh points
// TMPDIR at a folder it removes afterwards.
inline std::string FuzzInputPath(const char* kind, const char* extension) {
  const char* root = std::getenv("TMPDIR");
  return std::string(root != nullptr && root[0] != '\0' ? root : "/tmp") + "/ribbelo_" + kind + "_fuzz_" +
         std::to_string(getpid()) + extension;
}

inline bool WriteFuzzInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  return true;
}

inline void FillImportSentinels(PointList& points, double& width, double& height) {
  points.assign(1, OutlinePoint{7, 7});
  width = -3;
  height = -4;
}

inline bool SentinelsUntouched(const PointList& points, double width, double height) {
  return points.size() == 1 && points[0].x == 7 && points[0].y == 7 && width == -3 && height == -4;
}

// At least three finite points, centred on their bounding box whose size is
// the one reported, counter-clockwise, starting on the y axis.
inline bool KeepsImportPromises(const PointList& points, double width, double height) {
  if (points.size() < 3 || !(width > 0) || !(height > 0)) return false;
  double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
  for (const OutlinePoint& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    minX = std::fmin(minX, p.x), maxX = std::fmax(maxX, p.x);
    minY = std::fmin(minY, p.y), maxY = std::fmax(maxY, p.y);
  }
  const double slackX = 1e-9 * (std::fabs(minX) + std::fabs(maxX)), slackY = 1e-9 * (std::fabs(minY) + std::fabs(maxY));
  if (std::fabs(minX + maxX) > slackX || std::fabs(minY + maxY) > slackY) return false;
  if (std::fabs(maxX - minX - width) > slackX || std::fabs(maxY - minY - height) > slackY) return false;
  if (!(std::fabs(points[0].x) <= 1e-12)) return false;
  // Counter-clockwise, with an area.
  if (!(ComputeSignedArea(points) > 0)) return false;
  return true;
}
