#include "tests/support/comma_locale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>

namespace {

bool TryLocale() {
  for (const char* name : {"nl_NL.UTF-8", "de_DE.UTF-8", "nl_NL.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      char text[32];
      std::snprintf(text, sizeof text, "%.1f", 1.5);
      if (std::string(text) == "1,5") return true;
    }
  }
  return false;
}

}  // namespace

bool UseCommaLocale() {
  if (TryLocale()) return true;
  // Build one once per build tree when none is installed, kept beside the
  // test programs rather than in the temporary folder; it is made under a
  // temporary name and renamed, so parallel tests never see half a locale.
  static const std::string dir = std::string(RIBBELO_BINARY_DIR) + "/tests/comma_locale";
  static bool tried = false;
  if (!tried) {
    tried = true;
    struct stat st;
    if (stat((dir + "/nl_NL.UTF-8").c_str(), &st) != 0) {
      std::string pattern = dir + "_XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) return false;
      std::string cmd = "localedef -i nl_NL -f UTF-8 '" + pattern + "/nl_NL.UTF-8' >/dev/null 2>&1";
      if (std::system(cmd.c_str()) != 0 || rename(pattern.c_str(), dir.c_str()) != 0) {
        std::string clean = "rm -rf '" + pattern + "'";
        if (std::system(clean.c_str()) != 0) return false;
      }
    }
    setenv("LOCPATH", dir.c_str(), 1);
  }
  return TryLocale();
}

void RestoreCLocale() { std::setlocale(LC_NUMERIC, "C"); }
