// The DXF import: the ENTITIES sections of a drawing become one closed,
// normalised outline.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

constexpr double JOIN_TOL_MIN = 1e-6;
constexpr double JOIN_TOL_REL = 1e-5;

// Reads the entity named by pair i (code 0) into at most one import piece;
// returns the index of the next code-0 pair, or gDxfPairCount.
int64_t ReadDxfEntity(int64_t i);
// 1 with the outline and its bounding-box size; 0 with the reason in
// gImportMessage and the outputs untouched.
int64_t ImportDxfOutline(const std::string& path, PointList& points, double& width, double& height);
