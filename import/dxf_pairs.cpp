#include "import/dxf_pairs.h"

#include "engine/number_parse.h"
#include "import/line_reader.h"
#include "import/number_text.h"

int64_t gDxfPairCount = 0;
std::vector<int64_t> gDxfCodes;
std::vector<std::string> gDxfValues;

namespace {

constexpr size_t DXF_INITIAL_PAIRS = 1024;

}  // namespace

bool ReadDxfPairs(const std::string& path) {
  LineReader reader;
  gDxfPairCount = 0;
  if (!OpenLineReader(reader, path)) return false;
  SkipByteOrderMark(reader);
  gDxfCodes.assign(DXF_INITIAL_PAIRS, 0);
  gDxfValues.assign(DXF_INITIAL_PAIRS, std::string());
  while (!LineReaderAtEnd(reader) && gDxfPairCount < DXF_MAX_PAIRS) {
    std::string_view codeLine = TrimBlanks(ReadTextLine(reader));
    // Parsed before the end test, which may refill the buffer the line lives in.
    const bool codeEmpty = codeLine.empty();
    const int64_t code = ParseIntegerPrefix(codeLine);
    if (codeEmpty && LineReaderAtEnd(reader)) break;
    std::string_view value = TrimBlanks(ReadTextLine(reader));
    size_t k = static_cast<size_t>(gDxfPairCount);
    if (k >= gDxfCodes.size()) {
      gDxfCodes.resize(2 * k + 1);
      gDxfValues.resize(2 * k + 1);
    }
    gDxfCodes[k] = code;
    gDxfValues[k].assign(value);
    ++gDxfPairCount;
  }
  CloseLineReader(reader);
  return gDxfPairCount > 0;
}

double ReadDxfDouble(int64_t k) {
  if (k < 0 || k >= gDxfPairCount) return 0;
  return ReadNumberPrefix(gDxfValues[static_cast<size_t>(k)], true);
}

void ReleaseDxfPairs() {
  std::vector<int64_t>(1, 0).swap(gDxfCodes);
  std::vector<std::string>(1).swap(gDxfValues);
  gDxfPairCount = 0;
}
