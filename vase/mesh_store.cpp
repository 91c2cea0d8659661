// The preview mesh arrays live apart from the builder so that the renderer
// needs nothing else.
#include "vase/preview_mesh.h"

std::vector<double> gVertX(1), gVertY(1), gVertZ(1);
std::vector<int64_t> gTriIndex(1);
std::vector<uint8_t> gTriKind(1);
int64_t gVertexCount = 0;
int64_t gTriangleCount = 0;
int64_t gMeshSteps = 0;
int64_t gRingSize = 0;
double gMeshRadius = 1;
double gMeshHeight = 0;
int64_t gMeshCoarse = 0;

void AddMeshTriangle(int64_t a, int64_t b, int64_t c, uint8_t kind) {
  if (3 * gTriangleCount + 2 > static_cast<int64_t>(gTriIndex.size()) - 1) {
    // The kinds grow first: the size test reads the indices, which must not
    // grow alone when memory runs out in between.
    gTriKind.resize(static_cast<size_t>(2 * gTriangleCount + 1001));
    gTriIndex.resize(static_cast<size_t>(6 * gTriangleCount + 3001));
  }
  int64_t* t = gTriIndex.data() + 3 * gTriangleCount;
  t[0] = a;
  t[1] = b;
  t[2] = c;
  gTriKind[gTriangleCount] = kind;
  ++gTriangleCount;
}
