// The triangle mesh of the 3D preview, held in globals and replaced whole by
// every build.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"
#include "vase/vase_params.h"

enum TriangleKind : uint8_t { TRI_WALL = 0, TRI_FLOOR = 1 };

constexpr int64_t FINE_POINT_BUDGET = 1500;
constexpr int64_t COARSE_POINT_BUDGET = 400;
constexpr int64_t COARSE_MAX_STEPS = 40;
constexpr int64_t COARSE_MESH_THRESHOLD = 30000;

extern std::vector<double> gVertX, gVertY, gVertZ;
extern std::vector<int64_t> gTriIndex;
extern std::vector<uint8_t> gTriKind;
extern int64_t gVertexCount;
extern int64_t gTriangleCount;
extern int64_t gMeshSteps;
extern int64_t gRingSize;
extern double gMeshRadius;
extern double gMeshHeight;
extern int64_t gMeshCoarse;

// The rebuild without the form: empty mesh for an invalid result, else a fine
// (budget 1500) or coarse (budget 400, steps <= 40) build.
void RebuildPreviewMeshFor(const DesignResult& result, const VaseParams& vase, int64_t coarse);
// A height the preview can build: positive, and small enough that its square
// (which the view's bounding radius takes) stays finite. Any other height
// gives an empty mesh and the red height hint.
bool IsPreviewHeight(double height);
void BuildPreviewMesh(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                      int64_t pointBudget);
void AddMeshTriangle(int64_t a, int64_t b, int64_t c, uint8_t kind);
