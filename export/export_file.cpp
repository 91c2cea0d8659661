#include "export/export_file.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/texts.h"

std::string gExportError;

namespace {

int64_t FailWrite(int fd, const std::string& path) {
  // Only a regular file of our own making is removed, never a device.
  struct stat info;
  bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  if (regular) unlink(path.c_str());
  gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}

}  // namespace

int64_t WriteWholeFile(const std::string& path, std::initializer_list<std::string_view> parts) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
    return 0;
  }
  for (std::string_view part : parts) {
    size_t done = 0;
    while (done < part.size()) {
      ssize_t n = write(fd, part.data() + done, part.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return FailWrite(fd, path);
      done += static_cast<size_t>(n);
    }
  }
  if (close(fd) != 0) {
    // The descriptor is gone either way; a file left behind is incomplete.
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(path.c_str());
    gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
    return 0;
  }
  return 1;
}

std::string ToSingleByteText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c >= 0xF8) {
      ++i;  // a stray continuation or invalid lead byte
      continue;
    }
    unsigned code = c & (0x3F >> extra);
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra) && i + j < n; ++j) {
      unsigned char d = static_cast<unsigned char>(text[i + j]);
      if ((d & 0xC0) != 0x80) break;
      code = (code << 6) | (d & 0x3F);
    }
    if (j != static_cast<size_t>(extra) + 1) {
      i += j;  // truncated sequence
      continue;
    }
    if (code <= 0xFF && code >= 0x80) out += static_cast<char>(code);
    i += j;
  }
  return out;
}

std::string FileNameOfPath(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\'') out += c;
  return out;
}

std::string ProductNameOfPath(const std::string& path) {
  std::string name = FileNameOfPath(path);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return WithoutQuotes(name);
}

bool AllPointsFinite(const PointList& points) {
  for (const OutlinePoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  return true;
}
