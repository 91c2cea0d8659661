#include "export/vase_stl.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "export/export_outline.h"
#include "export/vase_rings.h"
#include "text/texts.h"
#include "vase/cap_triangulation.h"
#include "vase/quad_diagonals.h"
#include "vase/vase_slices.h"

namespace {

void PutLittleEndian32(char* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutFloat(char* out, double value) {
  float f = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutLittleEndian32(out, bits);
}

// Slice rows of a ring: row i holds the ring's points moved to the slice at
// height fraction t(i); column n is the centre (0, 0) of a fan.
struct SliceTable {
  int64_t width = 0;
  std::vector<double> x, y;
  double X(int64_t i, int64_t j) const { return x[static_cast<size_t>(i * width + j)]; }
  double Y(int64_t i, int64_t j) const { return y[static_cast<size_t>(i * width + j)]; }
};

template <typename FractionOf>
void BuildSliceTable(const VaseParams& vase, const PointList& ring, int64_t steps, FractionOf fraction,
                     SliceTable& table) {
  const int64_t n = static_cast<int64_t>(ring.size());
  table.width = n + 1;
  table.x.assign(static_cast<size_t>((steps + 1) * (n + 1)), 0.0);
  table.y.assign(table.x.size(), 0.0);
  for (int64_t i = 0; i <= steps; ++i) {
    // Scale and turn are the same for the whole row: worked out once, not
    // per point, with the same arithmetic as TransformSlicePoint.
    double t = fraction(i);
    double s = VaseScaleAt(vase, t);
    double a = SliceAngle(vase, t);
    double c = std::cos(a), sn = std::sin(a);
    for (int64_t j = 0; j < n; ++j) {
      double x = ring[static_cast<size_t>(j)].x, y = ring[static_cast<size_t>(j)].y;
      table.x[static_cast<size_t>(i * (n + 1) + j)] = s * (x * c - y * sn);
      table.y[static_cast<size_t>(i * (n + 1) + j)] = s * (x * sn + y * c);
    }
  }
}

}  // namespace

void WriteStlTriangle(ExportFile& file, char* buffer, double x1, double y1, double z1, double x2, double y2,
                      double z2, double x3, double y3, double z3) {
  double nx = (y2 - y1) * (z3 - z1) - (z2 - z1) * (y3 - y1);
  double ny = (z2 - z1) * (x3 - x1) - (x2 - x1) * (z3 - z1);
  double nz = (x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1);
  double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (length > 0) {
    nx /= length;
    ny /= length;
    nz /= length;
  }
  const double values[12] = {nx, ny, nz, x1, y1, z1, x2, y2, z2, x3, y3, z3};
  for (int i = 0; i < 12; ++i) PutFloat(buffer + 4 * i, values[i]);
  buffer[48] = 0;
  buffer[49] = 0;
  PutExportBytes(file, buffer, STL_RECORD_SIZE);
}

namespace {

// The two triangles of the wall quad over edge j..j2 between slices i and
// i + 1 (at heights zL and zU) of a slice table.
void WriteWallQuad(ExportFile& file, char* buffer, const SliceTable& t, const QuadCorner* c, int64_t i, int64_t j,
                   int64_t j2, double zL, double zU) {
  for (int k = 0; k < 6; k += 3) {
    double v[9];
    for (int m = 0; m < 3; ++m) {
      const QuadCorner& q = c[k + m];
      const int64_t row = i + q.upper, col = q.second ? j2 : j;
      v[3 * m] = t.X(row, col);
      v[3 * m + 1] = t.Y(row, col);
      v[3 * m + 2] = q.upper ? zU : zL;
    }
    WriteStlTriangle(file, buffer, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
  }
}

}  // namespace

int64_t ExportVaseStl(const std::string& path, const PointList& outline, const PointList& baseLine,
                      const VaseParams& vase, double tolerance) {
  PointList outer, inner;
  WallSplits splits;
  const int64_t S = PrepareVaseRings(outline, baseLine, vase, tolerance, outer, inner, &splits);
  if (S == 0) return 0;
  const double H = vase.height;
  // The file holds 32-bit floats: a top beyond their range, or one that
  // rounds onto the bottom, is no height.
  if (!(H <= std::numeric_limits<float>::max()) || !(static_cast<float>(H) > 0)) {
    gLastError = Tx(TX_VASE_HEIGHT);
    return 0;
  }
  const int64_t N = static_cast<int64_t>(outer.size());
  std::vector<double> X, Y;
  RingToArrays(outer, X, Y);
  std::vector<int64_t> K;
  TriangulateCap(X.data(), Y.data(), N, K);
  const int64_t TK = static_cast<int64_t>(K.size() / 3);
  SliceTable P;
  BuildSliceTable(vase, outer, S, [&](int64_t i) { return static_cast<double>(i) / static_cast<double>(S); }, P);
  uint64_t count = 2 * static_cast<uint64_t>(N) * static_cast<uint64_t>(S) + 2 * static_cast<uint64_t>(TK);

  const bool hollow = vase.hollow != 0;
  const double b = vase.bottomThickness;
  int64_t M = 0;
  std::vector<int64_t> F, R;
  SliceTable Q;
  if (hollow) {
    M = static_cast<int64_t>(inner.size());
    std::vector<double> IX, IY;
    RingToArrays(inner, IX, IY);
    TriangulateCap(IX.data(), IY.data(), M, F);
    BuildSliceTable(vase, inner, S, [&](int64_t i) { return InnerSliceZ(vase, i, S) / H; }, Q);
    // The top rows are the rings scaled and turned alike: the band is
    // triangulated once on the rings themselves, whose straight runs are
    // not yet bent by rounding.
    StitchRings(X.data(), Y.data(), N, IX.data(), IY.data(), M, R);
    count = 2 * static_cast<uint64_t>(N) * static_cast<uint64_t>(S) + static_cast<uint64_t>(TK) +
            2 * static_cast<uint64_t>(M) * static_cast<uint64_t>(S) + F.size() / 3 + R.size() / 3;
  }
  // The count field has 32 bits.
  if (count > 0xFFFFFFFFu) {
    gLastError = Tx(TX_EXPORT_CANNOT_WRITE);
    return 0;
  }

  ExportFile file;
  if (OpenExportFile(file, path) == 0) {
    gLastError = gExportError;
    return 0;
  }
  char record[STL_HEADER_SIZE] = {};
  std::memcpy(record, "Ribbelo vaas", 12);
  PutExportBytes(file, record, STL_HEADER_SIZE);
  char countBytes[4];
  PutLittleEndian32(countBytes, static_cast<uint32_t>(count));
  PutExportBytes(file, countBytes, 4);

  for (int64_t i = 0; i < S; ++i) {
    double zL = OuterSliceZ(vase, i, S), zU = OuterSliceZ(vase, i + 1, S);
    for (int64_t j = 0; j < N; ++j) {
      int64_t j2 = (j + 1) % N;
      // The quad lower j, lower j2, upper j2, upper j faces out; it is cut on
      // one of its diagonals.
      WriteWallQuad(file, record, P, WallQuadCorners(splits.outerFlips[static_cast<size_t>(j)], false), i, j, j2, zL, zU);
    }
  }
  for (size_t k = 0; k + 2 < K.size(); k += 3) {
    int64_t a = K[k], c1 = K[k + 1], c2 = K[k + 2];
    WriteStlTriangle(file, record, P.X(0, a), P.Y(0, a), 0, P.X(0, c2), P.Y(0, c2), 0, P.X(0, c1), P.Y(0, c1), 0);
    if (!hollow)
      WriteStlTriangle(file, record, P.X(S, a), P.Y(S, a), H, P.X(S, c1), P.Y(S, c1), H, P.X(S, c2), P.Y(S, c2), H);
  }
  if (hollow) {
    for (int64_t i = 0; i < S; ++i) {
      double zL = InnerSliceZ(vase, i, S), zU = InnerSliceZ(vase, i + 1, S);
      for (int64_t j = 0; j < M; ++j) {
        int64_t j2 = (j + 1) % M;
        WriteWallQuad(file, record, Q, WallQuadCorners(splits.innerFlips[static_cast<size_t>(j)], true), i, j, j2, zL, zU);
      }
    }
    for (size_t k = 0; k + 2 < F.size(); k += 3)
      WriteStlTriangle(file, record, Q.X(0, F[k]), Q.Y(0, F[k]), b, Q.X(0, F[k + 1]), Q.Y(0, F[k + 1]), b,
                       Q.X(0, F[k + 2]), Q.Y(0, F[k + 2]), b);
    auto rimX = [&](int64_t k) { return k < N ? P.X(S, k) : Q.X(S, k - N); };
    auto rimY = [&](int64_t k) { return k < N ? P.Y(S, k) : Q.Y(S, k - N); };
    for (size_t k = 0; k + 2 < R.size(); k += 3)
      WriteStlTriangle(file, record, rimX(R[k]), rimY(R[k]), H, rimX(R[k + 1]), rimY(R[k + 1]), H, rimX(R[k + 2]),
                       rimY(R[k + 2]), H);
  }
  if (CloseExportFile(file) == 0) {
    gLastError = gExportError;
    return 0;
  }
  return static_cast<int64_t>(count);
}
