// Files, folders and processes of the window-system layer.
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "app/platform/window_system.h"

int64_t FileSize(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0) return -1;
  if (S_ISDIR(info.st_mode)) return -2;
  return static_cast<int64_t>(info.st_size);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (buffer.size() > (1u << 20)) return "/";
    buffer.resize(buffer.size() * 2);
  }
  std::string dir = buffer.data();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

int64_t RunDetached(const std::string& program, const std::string& argument) {
  // Without DO_NOT_REAP the child is started through an intermediate
  // process, so it never lingers as a zombie of ours.
  gchar* argv[] = {const_cast<gchar*>(program.c_str()), const_cast<gchar*>(argument.c_str()), nullptr};
  GError* error = nullptr;
  gboolean started = g_spawn_async(nullptr, argv, nullptr, static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL), nullptr, nullptr, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return started ? 1 : 0;
}
