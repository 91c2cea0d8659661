#include "tests/support/comma_locale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

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
  // Build one into a private folder when the machine has none installed.
  static std::string dir;
  if (dir.empty()) {
    char pattern[] = "/tmp/ribbelo_locale_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    dir = pattern;
    std::string cmd = "localedef -i nl_NL -f UTF-8 " + dir + "/nl_NL.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    setenv("LOCPATH", dir.c_str(), 1);
  }
  return TryLocale();
}

void RestoreCLocale() { std::setlocale(LC_NUMERIC, "C"); }
