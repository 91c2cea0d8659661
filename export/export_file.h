// Writing a finished export file in one go, and the path and text helpers
// that every writer shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/design.h"

// The reason of the last failed export write, in the build's language.
extern std::string gExportError;

// A file being written through a buffer; a failed write is remembered and
// reported when it is closed.
struct ExportFile {
  int fd = -1;
  std::string path;
  std::string buffer;
  bool failed = false;
};

// Creates or truncates the file; 0 with gExportError set when it cannot.
int64_t OpenExportFile(ExportFile& file, const std::string& path);
void PutExportBytes(ExportFile& file, const char* data, size_t size);
// 1 when every byte reached the file and it closed cleanly; else 0 with
// gExportError set and the file removed when it is a regular file.
int64_t CloseExportFile(ExportFile& file);

// Creates or truncates the file at path and writes the parts to it in order.
// 1 on success; 0 when it cannot be created, written or closed, with
// gExportError set and a partly written regular file removed.
int64_t WriteWholeFile(const std::string& path, std::initializer_list<std::string_view> parts);

// UTF-8 text as single-byte text: characters up to 255 become one byte,
// larger ones and malformed bytes are left out.
std::string ToSingleByteText(const std::string& text);

// The part of the path after the last "/" (the whole path without one).
std::string FileNameOfPath(const std::string& path);

// The file name without its extension (cut at the last ".") and without "'".
std::string ProductNameOfPath(const std::string& path);

// Removes every "'" from text.
std::string WithoutQuotes(const std::string& text);

// True when every coordinate of the ring is a finite number.
bool AllPointsFinite(const PointList& points);

// The outline thinned to the tolerance; false with gExportError set when it
// thins to a line or a point, which is no outline to write.
bool ThinExportOutline(const PointList& source, double tolerance, PointList& outline);

// The ring's coordinates as two arrays.
void RingToArrays(const PointList& ring, std::vector<double>& x, std::vector<double>& y);
