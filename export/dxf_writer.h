// The outline (and on request its base line) as a DXF R12 file: a HEADER
// with version, unit and extents and one closed POLYLINE per curve.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

constexpr double OUTLINE_EXPORT_TOLERANCE = 0.001;

// The number of outline vertices written, or 0 with gExportError set.
int64_t ExportOutlineDxf(const std::string& path, const DesignResult& result, int64_t withBaseLine, double tolerance);

// The file is built in out; every DXF line ends in CR LF and characters
// above one byte are left out.
void WriteDxfPolyline(std::string& out, const PointList& points, const std::string& layer, int64_t colour);
void WriteDxfLine(std::string& out, const std::string& text);
