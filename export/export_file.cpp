#include "export/export_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/text_helpers.h"
#include "text/texts.h"

std::string gExportError;

namespace {

constexpr size_t EXPORT_BUFFER_SIZE = size_t{1} << 20;

bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void FlushExportFile(ExportFile& file) {
  if (!file.failed && !WriteAll(file.fd, file.buffer.data(), file.buffer.size())) file.failed = true;
  file.buffer.clear();
}

// The file a write really replaces: a symbolic link stays a link and its
// target gets the new content.
std::string ResolveLink(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  // A dangling link: write where it points.
  std::string target(PATH_MAX, '\0');
  ssize_t n = readlink(path.c_str(), target.data(), target.size());
  if (n <= 0) return path;
  target.resize(static_cast<size_t>(n));
  if (target[0] == '/') return target;
  return FolderPart(path) + target;
}

// Temporaries that an earlier write of the same file left behind when the
// program was killed half-way.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix) stale.emplace_back(name);
  }
  closedir(dir);
  for (const std::string& name : stale) {
    struct stat st;
    std::string path = folder + name;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
  }
}

// The replacement keeps the old file's owner (the superuser saving someone
// else's file) and group where the user may set them.
void KeepOwner(int fd, uid_t owner, gid_t group) {
  if (fchown(fd, owner, group) == 0) return;
  if (fchown(fd, static_cast<uid_t>(-1), group) == 0) return;
}

int64_t FailOpen(ExportFile& file) {
  if (file.fd >= 0) close(file.fd);
  file.fd = -1;
  if (!file.tempPath.empty()) unlink(file.tempPath.c_str());
  file.tempPath.clear();
  gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}

}  // namespace

std::string TemporaryPrefixFor(const std::string& fileName) {
  // FNV-1a: the same name gives the same prefix in every run, and the
  // prefix stays short whatever the length of the name.
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : fileName) hash = (hash ^ c) * 1099511628211ull;
  char text[40];
  std::snprintf(text, sizeof text, ".ribbelo-%016llx.", static_cast<unsigned long long>(hash));
  return text;
}

ExportFile::~ExportFile() {
  if (fd >= 0) close(fd);
  if (!tempPath.empty()) unlink(tempPath.c_str());
}

int64_t OpenExportFile(ExportFile& file, const std::string& path) {
  file.path = ResolveLink(path);
  file.tempPath.clear();
  file.failed = false;
  file.buffer.clear();
  file.fd = -1;
  file.owner = static_cast<uid_t>(-1);
  file.group = static_cast<gid_t>(-1);
  struct stat old;
  const bool existed = stat(file.path.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) return FailOpen(file);
  if (existed && !S_ISREG(old.st_mode)) {
    // A device or a pipe cannot be replaced: it is written in place. A pipe
    // that nobody reads fails at once instead of blocking the program.
    file.fd = open(file.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) return FailOpen(file);
    fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
  } else {
    if (existed) {
      // A write-protected file stays as it is, as it would for a write in
      // place; one without any write permission also for the superuser.
      if ((old.st_mode & 0222) == 0 || faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0)
        return FailOpen(file);
      file.mode = old.st_mode & 07777;
      file.owner = old.st_uid;
      file.group = old.st_gid;
    } else {
      mode_t mask = umask(0);
      umask(mask);
      file.mode = 0666 & ~mask;
    }
    const std::string folder = FolderPart(file.path);
    const std::string prefix = TemporaryPrefixFor(FilePart(file.path));
    RemoveStaleTemporaries(folder, prefix);
    std::string temp = folder + prefix + "XXXXXX";
    file.fd = mkostemp(temp.data(), O_CLOEXEC);
    if (file.fd < 0) return FailOpen(file);
    file.tempPath = temp;
  }
  file.buffer.reserve(EXPORT_BUFFER_SIZE);
  return 1;
}

void PutExportBytes(ExportFile& file, const char* data, size_t size) {
  if (file.buffer.size() + size > EXPORT_BUFFER_SIZE) FlushExportFile(file);
  if (size >= EXPORT_BUFFER_SIZE) {
    // Large blocks go straight out instead of through the buffer.
    if (!file.failed && !WriteAll(file.fd, data, size)) file.failed = true;
    return;
  }
  file.buffer.append(data, size);
}

int64_t CloseExportFile(ExportFile& file) {
  if (file.fd < 0) return 0;
  FlushExportFile(file);
  std::string().swap(file.buffer);
  if (!file.tempPath.empty()) {
    KeepOwner(file.fd, file.owner, file.group);
    if (fchmod(file.fd, file.mode) != 0 || fsync(file.fd) != 0) file.failed = true;
  }
  if (close(file.fd) != 0) file.failed = true;
  file.fd = -1;
  if (!file.failed && !file.tempPath.empty() && rename(file.tempPath.c_str(), file.path.c_str()) != 0)
    file.failed = true;
  if (!file.failed) {
    file.tempPath.clear();
    return 1;
  }
  // The temporary goes; a device written in place stays.
  if (!file.tempPath.empty()) unlink(file.tempPath.c_str());
  file.tempPath.clear();
  gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}

int64_t WriteWholeFile(const std::string& path, std::initializer_list<std::string_view> parts) {
  ExportFile file;
  if (OpenExportFile(file, path) == 0) return 0;
  for (std::string_view part : parts) PutExportBytes(file, part.data(), part.size());
  return CloseExportFile(file);
}
