#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Opens every folder below for its owner first: a test may leave one
// read-only on purpose.
void MakeRemovable(const fs::path& dir) {
  std::error_code ec;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->symlink_status(kind).type() == fs::file_type::directory) MakeRemovable(it->path());
  }
}

}  // namespace

TempFolder::TempFolder() {
  const char* root = std::getenv("TMPDIR");
  std::string pattern = std::string(root != nullptr && root[0] != '\0' ? root : "/tmp") + "/ribbelo_test_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return;
  dir_ = pattern + "/";
  owner_ = getpid();
}

TempFolder::~TempFolder() {
  if (dir_.empty() || getpid() != owner_) return;
  MakeRemovable(dir_);
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  std::error_code ec;
  if (dir_.empty()) return names;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  return names;
}

const TempFolder& ProcessTempFolder() {
  static const TempFolder folder;
  return folder;
}
