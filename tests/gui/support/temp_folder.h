// A private folder under /tmp for one test, and whole-file reads and writes.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  // Removes the folder with everything in it (read-only parts too).
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
};

// The whole file; "" when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Runs body in a child process whose files may not grow past limit bytes
// (SIGXFSZ ignored, so writes fail instead); returns the child's exit
// code, the value body returned, or -1 when it did not exit normally.
int RunWithFileSizeLimit(long limit, const std::function<int()>& body);
