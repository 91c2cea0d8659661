#include "tests/gui/support/private_display.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/gui/support/shell_fixture.h"

namespace {

// A program's full path along PATH, "" when missing.
std::string Which(const std::string& program) {
  return CommandOutput("command -v " + program + " 2>/dev/null");
}

void EndProcess(int& pid) {
  if (pid > 0) StopProgram(pid);
  pid = -1;
}

}  // namespace

bool PrivateDisplay::Start(int width, int height) {
  std::string server = Which("Xvfb"), manager = Which("openbox");
  if (server.empty() || manager.empty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  serverPid_ = fork();
  if (serverPid_ == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    execl(server.c_str(), server.c_str(), "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
          "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // The server writes its display number once it accepts connections.
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (serverPid_ < 0 || number.empty()) {
    Stop();
    return false;
  }
  name_ = ":" + number;
  managerPid_ = StartProgram({manager}, {Environment()}, "/dev/null");
  for (int i = 0; i < 100; ++i) {
    if (CommandOutput("xprop -display " + name_ + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
        std::string::npos)
      return true;
    usleep(50000);
  }
  Stop();
  return false;
}

void PrivateDisplay::Stop() {
  EndProcess(managerPid_);
  EndProcess(serverPid_);
  name_.clear();
}

int RunChildTests(const std::string& filter, const std::vector<std::string>& extraEnv, std::string& out) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return -1;
  self[n] = '\0';
  std::vector<std::string> env = extraEnv;
  env.push_back("RIBBELO_CHILD_TESTS=1");
  std::string err;
  int status = RunProgram({self, "--gtest_filter=" + filter}, env, out, err);
  out += err;
  return status;
}

bool IsChildTestRun() { return std::getenv("RIBBELO_CHILD_TESTS") != nullptr; }
