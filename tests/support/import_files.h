// Input files for the import tests, written at test time: raw bytes, or a
// DXF drawing made by an independent writer (python with ezdxf).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A path in the test process's temporary folder (removed when the
// process ends).
std::string ImportTestPath(const std::string& name);
void WriteTestFile(const std::string& path, const std::string& bytes);
// Runs a python body with `doc = ezdxf.new()`, `msp = doc.modelspace()`
// and `math` in scope, then saves the drawing to path. False on failure.
bool WriteEzdxfFile(const std::string& path, const std::string& body);
// A DXF file from group code / value lines given as "code\nvalue\n..." text
// inside an ENTITIES section.
std::string DxfEntities(const std::string& pairs);

using StlVertex = std::array<float, 3>;
using StlTriangle = std::array<StlVertex, 3>;
// A closed box with outward-facing triangles, two per side.
std::vector<StlTriangle> StlBox(float x0, float y0, float z0, float x1, float y1, float z1);
// Binary STL bytes: a header that starts with "solid", the given count,
// the records, then `trailing` extra bytes.
std::string BinaryStl(const std::vector<StlTriangle>& triangles, uint32_t count, size_t trailing = 0);
