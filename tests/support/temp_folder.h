// A private folder for the files of one test, under TMPDIR (/tmp when it is
// unset), removed with everything in it when the object goes.
#pragma once

#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  // Removes the folder with everything in it (read-only parts too); only
  // the process that made it does, so a forked child that exits cannot
  // take it away from its parent.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder with a trailing "/"; "" when it could not be made.
  const std::string& Dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ + name; }
  // The names in the folder, in no particular order.
  std::vector<std::string> Entries() const;

 private:
  std::string dir_;
  int owner_ = 0;
};

// A folder that lasts as long as the test process, for helpers that hand
// out paths without an owner of their own.
const TempFolder& ProcessTempFolder();
