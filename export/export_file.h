// Writing a finished export file in one go, so that a failed write leaves
// the old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>

// The reason of the last failed export write, in the build's language.
extern std::string gExportError;

// A file being written through a buffer. A regular file (or a new one) is
// written to a temporary file in the same folder that replaces it only once
// every byte is on disk, so a failed write leaves the old file untouched; a
// device is written in place. A failed write is remembered and reported when
// the file is closed.
struct ExportFile {
  int fd = -1;
  std::string path;      // the file that is replaced (a link's target)
  std::string tempPath;  // "" when written in place
  std::string buffer;
  mode_t mode = 0;
  uid_t owner = static_cast<uid_t>(-1);  // -1: as created
  gid_t group = static_cast<gid_t>(-1);
  bool failed = false;
  ExportFile() = default;
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;
  // A file left unfinished (by an exception) is dropped: the temporary goes.
  ~ExportFile();
};

// Prepares the write; 0 with gExportError set when the file cannot be
// written: a folder, a write-protected file, no room for the temporary.
int64_t OpenExportFile(ExportFile& file, const std::string& path);
void PutExportBytes(ExportFile& file, const char* data, size_t size);
// 1 when every byte reached the file and it replaced the old one; else 0
// with gExportError set, the temporary removed and the old file as it was.
int64_t CloseExportFile(ExportFile& file);

// Writes the parts in order as the whole new content of the file at path,
// the same way. 1 on success; 0 with gExportError set.
int64_t WriteWholeFile(const std::string& path, std::initializer_list<std::string_view> parts);

// The start of the name of every temporary file made for the file name.
std::string TemporaryPrefixFor(const std::string& fileName);
