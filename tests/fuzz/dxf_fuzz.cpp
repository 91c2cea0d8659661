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
#include "tests/fuzz/import_promises.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzInputPath("dxf", ".dxf");
  if (!WriteFuzzInput(path, data, size)) return 0;
  PointList points;
  double width, height;
  FillImportSentinels(points, width, height);
  if (ImportDxfOutline(path, points, width, height)) {
    if (!KeepsImportPromises(points, width, height)) __builtin_trap();
  } else if (gImportMessage.empty() || !SentinelsUntouched(points, width, height)) {
    __builtin_trap();
  }
  return 0;
}
