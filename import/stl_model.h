// The loaded STL model: a triangle soup kept in memory so that it can be
// cut again at another height.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int64_t STL_MIN_FILE_SIZE = 15;
constexpr int64_t STL_MAX_TRIANGLES = 20'000'000;
constexpr int64_t STL_ASCII_INITIAL_VERTICES = 12289;
constexpr int64_t STL_MAX_ASCII_VERTICES = 60'000'000;
// A binary model holds at most 1 GB; STL_MAX_ASCII_VERTICES vertex lines
// with their facet lines about 6 GB. A larger file is refused unread.
constexpr int64_t STL_MAX_FILE_BYTES = int64_t{8} << 30;

// Vertex v of triangle t is at index 3t + v; only the first
// 3 * gStlTriangleCount entries count.
extern std::vector<float> gStlX, gStlY, gStlZ;
// 0 means no model is loaded.
extern int64_t gStlTriangleCount;
extern double gStlMinZ, gStlMaxZ;
// The path the loaded model came from; "" when none is loaded.
extern std::string gStlModelPath;

// 1 when at least one triangle was read; 0 with the reason in gImportMessage.
int64_t LoadStlModel(const std::string& path);
// Forgets the loaded model and releases its memory.
void UnloadStlModel();
