// The vase as a closed binary STL triangle mesh.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"
#include "export/export_file.h"
#include "vase/vase_params.h"

constexpr double VASE_STL_TOLERANCE = 0.005;
constexpr int64_t STL_HEADER_SIZE = 80;
constexpr int64_t STL_RECORD_SIZE = 50;

// The number of triangles written, or 0 with the reason in gLastError.
int64_t ExportVaseStl(const std::string& path, const PointList& outline, const PointList& baseLine,
                      const VaseParams& vase, double tolerance);

// Fills the 50-byte record in buffer (normal from the right-hand rule, zero
// for a degenerate facet) and puts it into the file.
void WriteStlTriangle(ExportFile& file, char* buffer, double x1, double y1, double z1, double x2, double y2,
                      double z2, double x3, double y3, double z3);
