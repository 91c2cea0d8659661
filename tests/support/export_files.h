// Scratch files for the export tests and reading them back.
#pragma once

#include <map>
#include <string>

#include "engine/design.h"

// A fresh path ending in name, in a folder of its own inside the test
// process's temporary folder (removed when the process ends).
std::string ExportTestPath(const std::string& name);
// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// How often part occurs in text (overlapping occurrences count).
size_t CountOf(const std::string& text, const std::string& part);
// Runs a shell command and returns its exit status and standard output.
int RunCommand(const std::string& command, std::string& output);

// Hand-made outlines, counter-clockwise, starting on the +y axis.
PointList SquareOutline(double side);
PointList CircleOutline(double radius, int count);
// A circle of radius r with n sine bumps of the given depth, count points.
PointList WavyOutline(double radius, double depth, int bumps, int count);
double RingPerimeter(const PointList& ring);

// The OpenCASCADE checker built next to the tests; empty when not built.
std::string StepCheckerPath();
// Runs the checker on a STEP file into key -> value; false when it fails.
// The volume comes from a mesh of the faces with the given deflection (mm).
bool CheckStepFile(const std::string& path, std::map<std::string, double>& values, double deflection = 5e-3);

// The CGAL mesh checker built next to the tests; empty when not built.
std::string StlCheckerPath();
// Runs it on a binary STL into key -> value (self_intersections, closed,
// volume, ...); false when it fails.
bool CheckStlFile(const std::string& path, std::map<std::string, double>& values);
