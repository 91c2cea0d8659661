#include "app/file_names.h"

std::string AddMissingExtension(const std::string& path, const std::string& extension) {
  size_t dot = path.rfind('.');
  bool hasDot = dot != std::string::npos && path.find_first_of(" /", dot + 1) == std::string::npos &&
                !(dot > 0 && path[dot - 1] == '/');
  if (hasDot && dot + 1 < path.size()) return path;
  return path + "." + extension;
}
