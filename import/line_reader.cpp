#include "import/line_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t LINE_BUFFER_BYTES = 1 << 20;

bool Refill(LineReader& r) {
  if (r.pos < r.length) return true;
  if (r.file == nullptr) return false;
  r.length = std::fread(r.buffer.data(), 1, r.buffer.size(), r.file);
  r.pos = 0;
  return r.length > 0;
}

}  // namespace

bool OpenLineReader(LineReader& reader, const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  reader.file = std::fopen(path.c_str(), "rb");
  if (reader.file == nullptr) return false;
  // Small files need no full-sized buffer.
  const size_t size = static_cast<size_t>(info.st_size);
  reader.buffer.resize(size < LINE_BUFFER_BYTES ? size + 1 : LINE_BUFFER_BYTES);
  reader.pos = reader.length = 0;
  return true;
}

void CloseLineReader(LineReader& reader) {
  if (reader.file != nullptr) std::fclose(reader.file);
  reader.file = nullptr;
  reader.buffer.clear();
  reader.buffer.shrink_to_fit();
  reader.pos = reader.length = 0;
}

size_t ByteOrderMarkLength(std::string_view t) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(t[i]); };
  const size_t n = t.size();
  if (n >= 4 && ((at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) ||
                 (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF)))
    return 4;
  if (n >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return 3;
  if (n >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) return 2;
  return 0;
}

bool LineReaderAtEnd(LineReader& reader) { return !Refill(reader); }

std::string_view ReadTextLine(LineReader& r) {
  r.spill.clear();
  while (Refill(r)) {
    const char* start = r.buffer.data() + r.pos;
    const char* end = r.buffer.data() + r.length;
    const char* p = start;
    while (p < end && *p != '\n' && *p != '\r' && *p != '\0') ++p;
    if (p == end) {
      r.spill.append(start, end);
      r.pos = r.length;
      continue;
    }
    const char stop = *p;
    std::string_view line;
    if (r.spill.empty()) {
      line = std::string_view(start, static_cast<size_t>(p - start));
    } else {
      r.spill.append(start, p);
      line = r.spill;
    }
    r.pos = static_cast<size_t>(p - r.buffer.data()) + 1;
    if (stop == '\r') {
      // A CR LF split across a refill: keep the line in spill, since the
      // refill overwrites the buffer it points into.
      if (r.pos == r.length && r.spill.empty()) {
        r.spill.assign(line);
        line = r.spill;
      }
      if (Refill(r) && r.buffer[r.pos] == '\n') ++r.pos;
    }
    return line;
  }
  return r.spill;
}

void SkipBlankBytes(LineReader& r) {
  while (Refill(r)) {
    const char* p = r.buffer.data() + r.pos;
    const char* end = r.buffer.data() + r.length;
    while (p < end) {
      if (*p == '\0') {
        // Eight zero bytes at a time.
        uint64_t word;
        while (end - p >= 8 && (std::memcpy(&word, p, 8), word == 0)) p += 8;
        if (p < end && *p == '\0') ++p;
      } else if (*p == '\n' || *p == '\r' || *p == ' ') {
        ++p;
      } else {
        break;
      }
    }
    r.pos = static_cast<size_t>(p - r.buffer.data());
    if (p < end) return;
    // The buffer ended blank: whatever hole follows holds only zero bytes.
    const off_t at = ftello(r.file);
    if (at < 0) continue;
    off_t data = lseek(fileno(r.file), at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) data = lseek(fileno(r.file), 0, SEEK_END);
    if (data >= 0) fseeko(r.file, data > at ? data : at, SEEK_SET);
  }
}
