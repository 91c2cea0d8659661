#include "import/stl_model.h"

#include <sys/stat.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

#include "engine/text_helpers.h"
#include "import/import_state.h"
#include "import/line_reader.h"
#include "import/number_text.h"
#include "text/texts.h"

std::vector<float> gStlX, gStlY, gStlZ;
int64_t gStlTriangleCount = 0;
double gStlMinZ = 0, gStlMaxZ = 0;
std::string gStlModelPath;

namespace {

constexpr int64_t STL_HEADER_BYTES = 84;
constexpr int64_t STL_RECORD_BYTES = 50;
constexpr size_t STL_RECORDS_PER_READ = 8192;

struct FileCloser {
  std::FILE* file;
  ~FileCloser() {
    if (file != nullptr) std::fclose(file);
  }
};

float LittleEndianFloat(const unsigned char* bytes) {
  uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                  static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return std::bit_cast<float>(bits);
}

// A number beyond the float range becomes an infinity, never undefined.
float ToFloat(double value) {
  if (std::isnan(value)) return NAN;
  if (value > FLT_MAX) return INFINITY;
  if (value < -FLT_MAX) return -INFINITY;
  return static_cast<float>(value);
}

// Drops the triangle just stored at t when one of its numbers is not finite.
bool TriangleFinite(int64_t t) {
  for (int64_t v = 3 * t; v < 3 * t + 3; ++v) {
    size_t i = static_cast<size_t>(v);
    if (!std::isfinite(gStlX[i]) || !std::isfinite(gStlY[i]) || !std::isfinite(gStlZ[i])) return false;
  }
  return true;
}

int64_t ReadBinaryStl(std::FILE* file, int64_t n) {
  gStlX.assign(static_cast<size_t>(3 * n), 0.0f);
  gStlY.assign(static_cast<size_t>(3 * n), 0.0f);
  gStlZ.assign(static_cast<size_t>(3 * n), 0.0f);
  std::vector<unsigned char> buffer(STL_RECORDS_PER_READ * STL_RECORD_BYTES);
  if (std::fseek(file, STL_HEADER_BYTES, SEEK_SET) != 0) return 0;
  int64_t count = 0, read = 0;
  while (read < n) {
    size_t want = static_cast<size_t>(n - read) < STL_RECORDS_PER_READ ? static_cast<size_t>(n - read)
                                                                         : STL_RECORDS_PER_READ;
    size_t got = std::fread(buffer.data(), STL_RECORD_BYTES, want, file);
    for (size_t r = 0; r < got; ++r) {
      const unsigned char* record = buffer.data() + r * STL_RECORD_BYTES;
      for (int v = 0; v < 3; ++v) {
        size_t i = static_cast<size_t>(3 * count + v);
        gStlX[i] = LittleEndianFloat(record + 12 + 12 * v);
        gStlY[i] = LittleEndianFloat(record + 16 + 12 * v);
        gStlZ[i] = LittleEndianFloat(record + 20 + 12 * v);
      }
      if (TriangleFinite(count)) ++count;
    }
    read += static_cast<int64_t>(got);
    if (got < want) break;  // a short read ends at the last complete record
  }
  return count;
}

// Spaces and tabs alike separate words in ASCII STL, as every reader takes
// them; CR ends the line before it gets here.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void StoreAsciiVertex(int64_t k, double x, double y, double z) {
  size_t i = static_cast<size_t>(k);
  if (i >= gStlX.size()) {
    gStlX.resize(2 * i + 1);
    gStlY.resize(2 * i + 1);
    gStlZ.resize(2 * i + 1);
  }
  gStlX[i] = ToFloat(x);
  gStlY[i] = ToFloat(y);
  gStlZ[i] = ToFloat(z);
}

int64_t ReadAsciiStl(const std::string& path) {
  LineReader reader;
  if (!OpenLineReader(reader, path)) return -1;
  gStlX.assign(STL_ASCII_INITIAL_VERTICES, 0.0f);
  gStlY.assign(STL_ASCII_INITIAL_VERTICES, 0.0f);
  gStlZ.assign(STL_ASCII_INITIAL_VERTICES, 0.0f);
  int64_t k = 0;
  while (!LineReaderAtEnd(reader) && k < STL_MAX_ASCII_VERTICES) {
    // Empty lines and leading blanks say nothing; runs of them (a file of
    // zero bytes) are passed over in bulk.
    SkipBlankBytes(reader);
    std::string_view line = TrimBlanksAndTabs(ReadTextLine(reader));
    if (line.size() < 6) continue;
    bool vertex = true;
    for (size_t c = 0; c < 6 && vertex; ++c) vertex = (line[c] | 0x20) == "vertex"[c];
    if (!vertex) continue;
    // Fields are the runs between blanks; runs of blanks count as one.
    double value[3] = {0, 0, 0};
    size_t p = 6;
    for (int f = 0; f < 3; ++f) {
      while (p < line.size() && IsBlank(line[p])) ++p;
      size_t start = p;
      while (p < line.size() && !IsBlank(line[p])) ++p;
      value[f] = ReadNumberPrefix(line.substr(start, p - start), false);
    }
    StoreAsciiVertex(k, value[0], value[1], value[2]);
    ++k;
    // Every third vertex completes a triangle; one with a non-finite number is dropped.
    if (k % 3 == 0 && !TriangleFinite(k / 3 - 1)) k -= 3;
  }
  CloseLineReader(reader);
  return k / 3;
}

int64_t Fail(TextKey key) {
  gStlTriangleCount = 0;
  gImportMessage = Tx(key);
  return 0;
}

int64_t RunStlLoad(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Fail(TX_IMPORT_CANNOT_READ);
  const int64_t size = static_cast<int64_t>(info.st_size);
  if (size < STL_MIN_FILE_SIZE || size > STL_MAX_FILE_BYTES) return Fail(TX_IMPORT_CANNOT_READ);
  FileCloser closer{std::fopen(path.c_str(), "rb")};
  if (closer.file == nullptr) return Fail(TX_IMPORT_CANNOT_READ);

  // Only size and count decide; the header text never does.
  int64_t count = -1;
  bool countMismatch = false;
  if (size >= STL_HEADER_BYTES) {
    unsigned char header[STL_HEADER_BYTES];
    if (std::fread(header, 1, sizeof header, closer.file) != sizeof header) return Fail(TX_IMPORT_CANNOT_READ);
    const int64_t n = static_cast<int64_t>(header[80]) | static_cast<int64_t>(header[81]) << 8 |
                      static_cast<int64_t>(header[82]) << 16 | static_cast<int64_t>(header[83]) << 24;
    const int64_t needed = STL_HEADER_BYTES + STL_RECORD_BYTES * n;
    const bool sizeFits = needed <= size && needed > size - STL_RECORD_BYTES;
    if (n > 0 && n <= STL_MAX_TRIANGLES && sizeFits) count = ReadBinaryStl(closer.file, n);
    // Bytes 80 to 83 of a text file are text, far above any binary count: a
    // count in range that the size does not match is a cut-off or padded
    // binary file. Its records are not guessed at; the user is told.
    countMismatch = n <= STL_MAX_TRIANGLES && !sizeFits;
  }
  if (count < 0) {
    std::fclose(closer.file);
    closer.file = nullptr;
    count = ReadAsciiStl(path);
    if (count < 0) return Fail(TX_IMPORT_CANNOT_READ);
  }
  if (count == 0) return Fail(countMismatch ? TX_IMPORT_STL_DAMAGED : TX_IMPORT_NO_TRIANGLES);

  double lo = gStlZ[0], hi = gStlZ[0];
  for (size_t i = 0; i < static_cast<size_t>(3 * count); ++i) {
    if (gStlZ[i] < lo) lo = gStlZ[i];
    if (gStlZ[i] > hi) hi = gStlZ[i];
  }
  gStlMinZ = lo;
  gStlMaxZ = hi;
  gStlTriangleCount = count;
  gStlModelPath = path;
  return 1;
}

}  // namespace

int64_t LoadStlModel(const std::string& path) {
  gStlTriangleCount = 0;
  gStlModelPath.clear();
  gImportMessage.clear();
  try {
    return RunStlLoad(path);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  UnloadStlModel();
  return Fail(TX_IMPORT_CANNOT_READ);
}

void UnloadStlModel() {
  gStlTriangleCount = 0;
  gStlModelPath.clear();
  std::vector<float>().swap(gStlX);
  std::vector<float>().swap(gStlY);
  std::vector<float>().swap(gStlZ);
}
