// libFuzzer target: any bytes as an STL file, loaded and cut at a few heights.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "import/import_state.h"
#include "import/stl_model.h"
#include "import/stl_section.h"
#include "tests/fuzz/import_promises.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzInputPath("stl", ".stl");
  if (!WriteFuzzInput(path, data, size)) return 0;
  if (!LoadStlModel(path)) {
    if (gStlTriangleCount != 0 || gImportMessage.empty()) __builtin_trap();
    return 0;
  }
  const double h = gStlMaxZ - gStlMinZ;
  for (double z : {h / 2, h / 3, h * 0.999, 0.0, h}) {
    PointList points;
    double width, height;
    FillImportSentinels(points, width, height);
    if (CutStlSection(z, points, width, height)) {
      if (!KeepsImportPromises(points, width, height)) __builtin_trap();
    } else if (gImportMessage.empty() || !SentinelsUntouched(points, width, height)) {
      __builtin_trap();
    }
  }
  return 0;
}
