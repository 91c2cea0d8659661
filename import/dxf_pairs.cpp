#include "import/dxf_pairs.h"

#include <sys/stat.h>

#include <cstdio>

#include "engine/number_parse.h"
#include "engine/text_helpers.h"
#include "import/line_reader.h"
#include "import/number_text.h"

int64_t gDxfPairCount = 0;
std::vector<int64_t> gDxfCodes;
std::vector<std::string_view> gDxfValues;
bool gDxfBinary = false;
namespace {

// The first bytes of every binary DXF file.
constexpr std::string_view BINARY_DXF_SENTINEL{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// The whole file; gDxfValues are views into it.
std::string gDxfText;

constexpr size_t DXF_INITIAL_PAIRS = 1024;

// The whole file in text; false when it is no regular file, is larger than
// any drawing the reader keeps, or cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text) {
  struct stat info;
  text.clear();
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > DXF_MAX_FILE_BYTES) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  // The size is a first guess only: the file may grow while it is read.
  size_t length = 0;
  text.resize(static_cast<size_t>(info.st_size) + 1);
  for (;;) {
    length += std::fread(text.data() + length, 1, text.size() - length, file);
    if (length < text.size()) break;
    text.resize(2 * text.size());
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  text.resize(length);
  return !failed;
}

// The line at pos without its end (LF, CR, CR LF or NUL); pos moves past
// the end. Empty once pos is at the end of the text.
std::string_view TakeLine(std::string_view text, size_t& pos) {
  const size_t start = pos, n = text.size();
  size_t p = start;
  while (p < n && text[p] != '\n' && text[p] != '\r' && text[p] != '\0') ++p;
  pos = p < n ? p + 1 : n;
  if (p < n && text[p] == '\r' && pos < n && text[pos] == '\n') ++pos;
  return text.substr(start, p - start);
}

}  // namespace

bool ReadDxfPairs(const std::string& path) {
  gDxfPairCount = 0;
  gDxfValues.clear();
  gDxfBinary = false;
  if (!ReadWholeFile(path, gDxfText)) return false;
  const std::string_view text = gDxfText;
  // Its pairs are binary numbers: read as text they would only mislead.
  gDxfBinary = text.starts_with(BINARY_DXF_SENTINEL);
  if (gDxfBinary) {
    std::string().swap(gDxfText);
    return false;
  }
  size_t pos = ByteOrderMarkLength(text);
  gDxfCodes.assign(DXF_INITIAL_PAIRS, 0);
  gDxfValues.assign(DXF_INITIAL_PAIRS, std::string_view());
  while (pos < text.size() && gDxfPairCount < DXF_MAX_PAIRS) {
    std::string_view codeLine = TrimBlanks(TakeLine(text, pos));
    if (codeLine.empty() && pos == text.size()) break;
    std::string_view value = TrimBlanks(TakeLine(text, pos));
    size_t k = static_cast<size_t>(gDxfPairCount);
    if (k >= gDxfCodes.size()) {
      gDxfCodes.resize(2 * k + 1);
      gDxfValues.resize(2 * k + 1);
    }
    gDxfCodes[k] = ParseIntegerPrefix(codeLine);
    gDxfValues[k] = value;
    ++gDxfPairCount;
  }
  return gDxfPairCount > 0;
}

double ReadDxfDouble(int64_t k) {
  if (k < 0 || k >= gDxfPairCount) return 0;
  return ReadNumberPrefix(gDxfValues[static_cast<size_t>(k)], true);
}

void ReleaseDxfPairs() {
  std::vector<int64_t>(1, 0).swap(gDxfCodes);
  std::vector<std::string_view>(1).swap(gDxfValues);
  std::string().swap(gDxfText);
  gDxfPairCount = 0;
}
