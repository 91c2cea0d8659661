// The project file (".omt"): UTF-8 key = value lines in groups, the same
// Dutch group names and keys in both builds, the imported outline stored
// as point lines.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"
#include "vase/vase_params.h"

struct ProjectExtras {
  int64_t showGrid = 0;
  int64_t showBaseLine = 0;
  int64_t showFill = 0;
  int64_t show3d = 0;
  int64_t stepAs = 0;
  double stepHeight = 0;
  int64_t exportBaseLine = 0;
  std::string importFile;
  int64_t importIsStl = 0;
  double stlZ = 0;
};

constexpr int64_t PROJECT_VERSION = 1;
constexpr int64_t POINTS_PER_LINE = 100;
constexpr int64_t MAX_PROJECT_POINTS = 10000000;
// A file without a group line in this many first bytes is not a project.
constexpr int64_t PROJECT_HEAD_BYTES = 65536;
// The most points with coordinates up to 10 km take about 400 MB; a larger
// file is refused before it is read.
constexpr int64_t PROJECT_MAX_FILE_BYTES = int64_t{512} << 20;

// Message of the last failed write or read, or the warning of a read.
extern std::string gFileErrorText;

// Nine decimals, "." whatever the locale; a value that rounds to zero is
// written without a sign.
std::string FormatProjectNumber(double x);
// The whole file as written, byte-order mark included.
std::string ComposeProjectText(const DesignParams& params, const VaseParams& vase, const ProjectExtras& extras);
// Replaces the file only once the new content is safely on disk: on any
// failure the old file stays as it was. 1 written, 0 failed.
int64_t WriteProjectFile(const std::string& path, const DesignParams& params, const VaseParams& vase,
                         const ProjectExtras& extras);
// Reads into records that already hold the current values (missing keys
// keep them). 1 read (possibly with a warning in gFileErrorText), 0 failed.
int64_t ReadProjectFile(const std::string& path, DesignParams& params, VaseParams& vase, ProjectExtras& extras);
// The same reading applied to a file's bytes.
int64_t ReadProjectText(const std::string& bytes, DesignParams& params, VaseParams& vase, ProjectExtras& extras);
