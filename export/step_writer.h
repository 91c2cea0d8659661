// The ISO 10303-21 (AP214) text engine of both STEP exports: entity ids,
// the fixed product and context block, the number format and the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The DATA lines of the model, held in one buffer: each line is
// "#id=text;" followed by LF, and ends[i] is the offset just past line i.
struct StepLineList {
  std::string text;
  std::vector<size_t> ends;
};

extern int64_t gStepNextId;
extern StepLineList gStepLines;

int64_t StepLineCount();
// Line index (0-based) without its LF.
std::string_view StepLine(int64_t index);

std::string FormatStepRef(int64_t id);
void AppendStepRef(std::string& out, int64_t id);
void AppendStepInt(std::string& out, int64_t value);

// Six decimals, "." whatever the locale, no exponent; magnitudes below 1e-12
// give "0.000000". Callers hand it finite values only.
std::string FormatStepReal(double x);
void AppendStepReal(std::string& out, double x);

int64_t AddStepEntity(const std::string& text);
// Composes an entity directly in the line buffer: BeginStepEntity writes
// "#id=" and returns the id, the caller appends the text to gStepLines.text,
// EndStepEntity closes the line. Nothing else may be added in between, so
// every referenced entity must already have its id in a local.
int64_t BeginStepEntity();
void EndStepEntity();

// head + the references joined by "," + tail, e.g. ("VERTEX_POINT('',", {p}, ")").
int64_t AddStepRefEntity(const char* head, const int64_t* refs, size_t count, const char* tail);
int64_t AddStepRefEntity(const char* head, std::initializer_list<int64_t> refs, const char* tail);
// head + the reference + "," + FormatStepReal(value) + ")", e.g. a VECTOR.
int64_t AddStepRefRealEntity(const char* head, int64_t ref, double value);

// "ADVANCED_FACE('',(" + bounds + ")," + surface + ",.T.)" or ",.F.)".
int64_t AddAdvancedFace(std::initializer_list<int64_t> bounds, int64_t surface, int64_t sameSense);

int64_t AddCartesianPoint(double x, double y, double z);
int64_t AddAxis2Placement3D(int64_t axis, int64_t reference, double x, double y, double z);
int64_t AddOrientedEdge(int64_t edge, int64_t forward);
int64_t AddEdgeLoop(const int64_t* edges, int64_t count, int64_t forward);

// Starts a new model with entities #1 to #13; shapeDefinition = 8, context = 13.
void BeginStepModel(const std::string& productName, int64_t& shapeDefinition, int64_t& context);
// Frees the lines of the model; the ids keep counting until the next begin.
void DiscardStepModel();
// 1 when written, else 0 with gExportError set; empties gStepLines either way.
int64_t WriteStepFile(const std::string& path, const std::string& description);
