// The vase as one closed STEP solid: B-spline side faces through every
// slice, a planar bottom, and a planar top or, when hollow, an inner wall,
// an inner floor and a rim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/design.h"
#include "vase/vase_params.h"

constexpr double VASE_STEP_TOLERANCE = 0.001;
constexpr double VASE_CTRL_SPACING = 0.25;

// The number of faces written, or 0 with the reason in gLastError.
int64_t ExportVaseStep(const std::string& path, const PointList& outline, const PointList& baseLine,
                       const VaseParams& vase, double tolerance);

// One wall of the ring (closed, counter-clockwise) from zB to zT: appends a
// reference per side face to faceText and fills the bottom and top edge ids
// (m + 1 entries) for the planar faces; returns the piece count m.
int64_t AddVaseSideFaces(const double* x, const double* y, int64_t n, const VaseParams& vase, int64_t rows,
                         int64_t degreeV, double zB, double zT, const double* parameters,
                         const std::vector<double>& matrix, const std::vector<double>& heightKnots,
                         const std::string& heightMultiplicities, const std::string& heightValues, int64_t inner,
                         std::string& faceText, std::vector<int64_t>& bottomEdges, std::vector<int64_t>& topEdges);
