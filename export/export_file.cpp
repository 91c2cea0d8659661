#include "export/export_file.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/polyline.h"
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

}  // namespace

int64_t OpenExportFile(ExportFile& file, const std::string& path) {
  file.path = path;
  file.failed = false;
  file.buffer.clear();
  file.fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file.fd < 0) {
    gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
    return 0;
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
  // Only a regular file of our own making is removed, never a device.
  struct stat info;
  bool regular = fstat(file.fd, &info) == 0 && S_ISREG(info.st_mode);
  if (close(file.fd) != 0) file.failed = true;
  file.fd = -1;
  std::string().swap(file.buffer);
  if (!file.failed) return 1;
  if (regular) unlink(file.path.c_str());
  gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}

int64_t WriteWholeFile(const std::string& path, std::initializer_list<std::string_view> parts) {
  ExportFile file;
  if (OpenExportFile(file, path) == 0) return 0;
  for (std::string_view part : parts) PutExportBytes(file, part.data(), part.size());
  return CloseExportFile(file);
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

bool ThinExportOutline(const PointList& source, double tolerance, PointList& outline) {
  SimplifyClosedPolyline(source, tolerance, outline);
  if (outline.size() >= 3) return true;
  gExportError = Tx(TX_EXPORT_NO_OUTLINE);
  return false;
}

void RingToArrays(const PointList& ring, std::vector<double>& x, std::vector<double>& y) {
  x.resize(ring.size());
  y.resize(ring.size());
  for (size_t i = 0; i < ring.size(); ++i) {
    x[i] = ring[i].x;
    y[i] = ring[i].y;
  }
}
