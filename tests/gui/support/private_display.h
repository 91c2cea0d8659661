// An X server of its own with the openbox window manager, for window tests
// that need a window manager without disturbing the suite's X server.
#pragma once

#include <string>
#include <vector>

class PrivateDisplay {
 public:
  PrivateDisplay() = default;
  ~PrivateDisplay() { Stop(); }
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;
  // Starts Xvfb with one screen of width x height and openbox on it, and
  // waits until the window manager runs. False when either is missing.
  bool Start(int width, int height);
  void Stop();
  // ":N"
  const std::string& Name() const { return name_; }
  // "DISPLAY=:N", for the environment of a program.
  std::string Environment() const { return "DISPLAY=" + name_; }

 private:
  std::string name_;
  int serverPid_ = -1;
  int managerPid_ = -1;
};

// Runs the tests of this binary that match filter in a child process with
// the extra environment; their gtest output is returned in out. Returns the
// child's exit status.
int RunChildTests(const std::string& filter, const std::vector<std::string>& extraEnv, std::string& out);
// The child-side guard: true when this process is such a child.
bool IsChildTestRun();
