// One DXF import as a whole process, to set beside another reader's
// process: ribbelo_dxf_import FILE exits 0 when an outline was found.
#include "import/dxf_reader.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  PointList points;
  double width = 0, height = 0;
  return ImportDxfOutline(argv[1], points, width, height) == 1 ? 0 : 1;
}
