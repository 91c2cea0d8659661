// libFuzzer target: any bytes as a DXF file through the whole DXF import.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/dxf_reader.h"
#include "import/import_pieces.h"
#include "import/import_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // run_fuzzers.sh points TMPDIR at a folder it removes afterwards.
  static const char* root = std::getenv("TMPDIR");
  static const std::string path = std::string(root != nullptr && root[0] != '\0' ? root : "/tmp") +
                                  "/ribbelo_dxf_fuzz_" + std::to_string(getpid()) + ".dxf";
  // A smaller budget keeps each run short; the refusal path is the same.
  gImportPointLimit = 2'000'000;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  PointList points;
  double width = 0, height = 0;
  if (ImportDxfOutline(path, points, width, height)) {
    if (points.size() < 3 || !(width > 0) || !(height > 0)) __builtin_trap();
  } else if (gImportMessage.empty()) {
    __builtin_trap();
  }
  return 0;
}
