#include "tests/gui/support/temp_folder.h"

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

TempFolder::TempFolder() {
  char pattern[] = "/tmp/ribbelo_test_XXXXXX";
  if (mkdtemp(pattern) != nullptr) dir_ = std::string(pattern) + "/";
}

TempFolder::~TempFolder() {
  if (dir_.empty()) return;
  std::string cmd = "chmod -R u+rwx '" + dir_ + "' 2>/dev/null; rm -rf '" + dir_ + "'";
  if (std::system(cmd.c_str()) != 0) return;
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  DIR* d = opendir(dir_.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d))
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
  closedir(d);
  return names;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

int RunWithFileSizeLimit(long limit, const std::function<int()>& body) {
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit fileSize{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
