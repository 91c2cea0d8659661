#include "export/vase_step.h"

#include <cmath>

#include "engine/text_helpers.h"
#include "export/bspline.h"
#include "export/export_file.h"
#include "export/export_outline.h"
#include "export/outline_step.h"
#include "export/step_writer.h"
#include "export/vase_rings.h"
#include "text/texts.h"
#include "vase/vase_slices.h"

namespace {

// The tallest vase written: far enough below the end of the double range
// that no control point overflows.
constexpr double MAX_STEP_VASE_HEIGHT = 1e300;

void AppendFaceRef(std::string& faceText, int64_t face) {
  if (!faceText.empty()) faceText += ',';
  AppendStepRef(faceText, face);
}

int64_t AddOuterBound(int64_t loop) { return AddStepRefEntity("FACE_OUTER_BOUND('',", {loop}, ",.T.)"); }

int64_t AddPlaneAt(int64_t dz, int64_t dx, double z) {
  int64_t placement = AddAxis2Placement3D(dz, dx, 0, 0, z);
  return AddStepRefEntity("PLANE('',", {placement}, ")");
}

// The data rows of one wall: D[r](x, y) = (sc·x − ss·y, ss·x + sc·y, z).
struct WallRows {
  std::vector<double> z, sc, ss, zc;
};

void BuildWallRows(const VaseParams& vase, int64_t rows, double zB, double zT, const double* v,
                   const std::vector<double>& matrix, WallRows& w) {
  w.z.assign(static_cast<size_t>(rows), 0.0);
  w.sc = w.z;
  w.ss = w.z;
  w.zc = w.z;
  for (int64_t r = 0; r < rows; ++r) {
    double z = zB + (zT - zB) * v[r];
    double t = z / vase.height;
    const SliceFactor f = SliceFactorAt(vase, t);
    w.z[static_cast<size_t>(r)] = z;
    w.sc[static_cast<size_t>(r)] = f.re;
    w.ss[static_cast<size_t>(r)] = f.im;
  }
  for (int64_t r = 0; r < rows; ++r) {
    double sum = 0;
    for (int64_t c = 0; c < rows; ++c) sum += matrix[static_cast<size_t>(r * rows + c)] * w.z[static_cast<size_t>(c)];
    w.zc[static_cast<size_t>(r)] = sum;
  }
}

// Control rows C[r] = Σc M[r][c]·D[c](x, y) of the column over (x, y).
void ControlColumn(const WallRows& w, int64_t rows, const std::vector<double>& matrix, double x, double y,
                   std::vector<double>& dx, std::vector<double>& dy, std::vector<double>& cx, std::vector<double>& cy) {
  dx.resize(static_cast<size_t>(rows));
  dy.resize(static_cast<size_t>(rows));
  cx.resize(static_cast<size_t>(rows));
  cy.resize(static_cast<size_t>(rows));
  for (int64_t r = 0; r < rows; ++r) {
    const size_t R = static_cast<size_t>(r);
    dx[R] = w.sc[R] * x - w.ss[R] * y;
    dy[R] = w.ss[R] * x + w.sc[R] * y;
  }
  // Four rows at a time: eight independent sums, each still added in column
  // order, so the results equal the plain loop's.
  int64_t r = 0;
  for (; r + 4 <= rows; r += 4) {
    const double* m0 = &matrix[static_cast<size_t>(r * rows)];
    const double* m1 = m0 + rows;
    const double* m2 = m1 + rows;
    const double* m3 = m2 + rows;
    double x0 = 0, x1 = 0, x2 = 0, x3 = 0, y0 = 0, y1 = 0, y2 = 0, y3 = 0;
    for (int64_t c = 0; c < rows; ++c) {
      double u = dx[static_cast<size_t>(c)], v = dy[static_cast<size_t>(c)];
      x0 += m0[c] * u;
      y0 += m0[c] * v;
      x1 += m1[c] * u;
      y1 += m1[c] * v;
      x2 += m2[c] * u;
      y2 += m2[c] * v;
      x3 += m3[c] * u;
      y3 += m3[c] * v;
    }
    const size_t R = static_cast<size_t>(r);
    cx[R] = x0;
    cy[R] = y0;
    cx[R + 1] = x1;
    cy[R + 1] = y1;
    cx[R + 2] = x2;
    cy[R + 2] = y2;
    cx[R + 3] = x3;
    cy[R + 3] = y3;
  }
  for (; r < rows; ++r) {
    const double* row = &matrix[static_cast<size_t>(r * rows)];
    double sx = 0, sy = 0;
    for (int64_t c = 0; c < rows; ++c) {
      sx += row[c] * dx[static_cast<size_t>(c)];
      sy += row[c] * dy[static_cast<size_t>(c)];
    }
    cx[static_cast<size_t>(r)] = sx;
    cy[static_cast<size_t>(r)] = sy;
  }
}

// About how many control columns the densified ring gives.
double ColumnEstimate(const PointList& ring) {
  double length = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const OutlinePoint& a = ring[i];
    const OutlinePoint& b = ring[(i + 1) % ring.size()];
    length += std::hypot(b.x - a.x, b.y - a.y);
  }
  return length / VASE_CTRL_SPACING + static_cast<double>(ring.size());
}

bool HasZeroEdge(const PointList& ring) {
  for (size_t i = 0; i < ring.size(); ++i) {
    const OutlinePoint& a = ring[i];
    const OutlinePoint& b = ring[(i + 1) % ring.size()];
    if (a.x == b.x && a.y == b.y) return true;
  }
  return false;
}

}  // namespace

int64_t AddVaseSideFaces(const double* x, const double* y, int64_t n, const VaseParams& vase, int64_t rows,
                         int64_t degreeV, double zB, double zT, const double* parameters,
                         const std::vector<double>& matrix, const std::vector<double>& heightKnots,
                         const std::string& heightMultiplicities, const std::string& heightValues, int64_t inner,
                         std::string& faceText, std::vector<int64_t>& bottomEdges, std::vector<int64_t>& topEdges) {
  std::vector<int64_t> breaks;
  const int64_t m = SplitAtCorners(x, y, n, breaks);
  WallRows w;
  BuildWallRows(vase, rows, zB, zT, parameters, matrix, w);
  const size_t last = static_cast<size_t>(rows - 1);
  std::vector<double> dx, dy, cx, cy;

  std::vector<int64_t> bottomVertex(static_cast<size_t>(m + 1)), topVertex(static_cast<size_t>(m + 1));
  std::vector<int64_t> verticalEdge(static_cast<size_t>(m + 1));
  for (int64_t k = 0; k < m; ++k) {
    const size_t K = static_cast<size_t>(k);
    double px = x[breaks[K]], py = y[breaks[K]];
    ControlColumn(w, rows, matrix, px, py, dx, dy, cx, cy);
    int64_t bottomPoint = AddCartesianPoint(dx[0], dy[0], w.z[0]);
    bottomVertex[K] = AddStepRefEntity("VERTEX_POINT('',", {bottomPoint}, ")");
    int64_t topPoint = AddCartesianPoint(dx[last], dy[last], w.z[last]);
    topVertex[K] = AddStepRefEntity("VERTEX_POINT('',", {topPoint}, ")");
    int64_t curve = AddBSplineCurve3D(degreeV, cx.data(), cy.data(), w.zc.data(), rows, heightKnots.data());
    verticalEdge[K] = AddStepRefEntity("EDGE_CURVE('',", {bottomVertex[K], topVertex[K], curve}, ",.T.)");
  }
  bottomVertex[static_cast<size_t>(m)] = bottomVertex[0];
  topVertex[static_cast<size_t>(m)] = topVertex[0];
  verticalEdge[static_cast<size_t>(m)] = verticalEdge[0];
  bottomEdges.assign(static_cast<size_t>(m + 1), 0);
  topEdges.assign(static_cast<size_t>(m + 1), 0);

  std::vector<double> ux, uy;
  std::vector<double> knots;
  std::string alongMultiplicities, alongValues;
  std::vector<int64_t> net;
  std::vector<double> bx, by, bz, tx, ty, tz;
  for (int64_t k = 0; k < m; ++k) {
    const size_t K = static_cast<size_t>(k);
    int64_t a = breaks[K];
    int64_t count = ((breaks[K + 1] - a + n) % n) + 1;
    int64_t nu = DensifyPolylinePiece(x, y, n, a, count, ux, uy, VASE_CTRL_SPACING);
    int64_t degreeU = nu - 1 < 3 ? nu - 1 : 3;
    BuildClampedUniformKnots(nu, degreeU, knots);
    FormatKnotVector(knots.data(), nu + degreeU + 1, alongMultiplicities, alongValues);

    net.resize(static_cast<size_t>(nu * rows));
    bx.resize(static_cast<size_t>(nu));
    by.resize(bx.size());
    bz.assign(bx.size(), w.z[0]);
    tx.resize(bx.size());
    ty.resize(bx.size());
    tz.assign(bx.size(), w.z[last]);
    for (int64_t i = 0; i < nu; ++i) {
      const size_t I = static_cast<size_t>(i);
      ControlColumn(w, rows, matrix, ux[I], uy[I], dx, dy, cx, cy);
      for (int64_t r = 0; r < rows; ++r)
        net[static_cast<size_t>(i * rows + r)] = AddCartesianPoint(cx[static_cast<size_t>(r)], cy[static_cast<size_t>(r)],
                                                                   w.zc[static_cast<size_t>(r)]);
      bx[I] = dx[0];
      by[I] = dy[0];
      tx[I] = dx[last];
      ty[I] = dy[last];
    }
    int64_t surface = BeginStepEntity();
    {
      std::string& t = gStepLines.text;
      t += "B_SPLINE_SURFACE_WITH_KNOTS('',";
      AppendStepInt(t, degreeU);
      t += ',';
      AppendStepInt(t, degreeV);
      t += ",(";
      for (int64_t i = 0; i < nu; ++i) {
        t += i > 0 ? ",(" : "(";
        for (int64_t r = 0; r < rows; ++r) {
          if (r > 0) t += ',';
          AppendStepRef(t, net[static_cast<size_t>(i * rows + r)]);
        }
        t += ')';
      }
      t += "),.UNSPECIFIED.,.F.,.F.,.F.,(";
      t += alongMultiplicities;
      t += "),(";
      t += heightMultiplicities;
      t += "),(";
      t += alongValues;
      t += "),(";
      t += heightValues;
      t += "),.UNSPECIFIED.)";
      EndStepEntity();
    }
    int64_t bottomCurve = AddBSplineCurve3D(degreeU, bx.data(), by.data(), bz.data(), nu, knots.data());
    bottomEdges[K] = AddStepRefEntity("EDGE_CURVE('',", {bottomVertex[K], bottomVertex[K + 1], bottomCurve}, ",.T.)");
    int64_t topCurve = AddBSplineCurve3D(degreeU, tx.data(), ty.data(), tz.data(), nu, knots.data());
    topEdges[K] = AddStepRefEntity("EDGE_CURVE('',", {topVertex[K], topVertex[K + 1], topCurve}, ",.T.)");
    int64_t sides[4];
    if (inner == 0) {
      sides[0] = AddOrientedEdge(bottomEdges[K], 1);
      sides[1] = AddOrientedEdge(verticalEdge[K + 1], 1);
      sides[2] = AddOrientedEdge(topEdges[K], 0);
      sides[3] = AddOrientedEdge(verticalEdge[K], 0);
    } else {
      sides[0] = AddOrientedEdge(verticalEdge[K], 1);
      sides[1] = AddOrientedEdge(topEdges[K], 1);
      sides[2] = AddOrientedEdge(verticalEdge[K + 1], 0);
      sides[3] = AddOrientedEdge(bottomEdges[K], 0);
    }
    int64_t loop = AddStepRefEntity("EDGE_LOOP('',(", sides, 4, "))");
    int64_t bound = AddOuterBound(loop);
    AppendFaceRef(faceText, AddAdvancedFace({bound}, surface, inner == 0 ? 1 : 0));
  }
  return m;
}

int64_t ExportVaseStep(const std::string& path, const PointList& outline, const PointList& baseLine,
                       const VaseParams& vase, double tolerance) {
  PointList outer, inner;
  const int64_t steps = PrepareVaseRings(outline, baseLine, vase, tolerance, outer, inner);
  if (steps == 0) return 0;
  // A height written as 0.000000 puts the top on the bottom; near the end of
  // the double range the interpolated control points overflow.
  if (!IsWritableStepHeight(vase.height) || !(vase.height <= MAX_STEP_VASE_HEIGHT)) {
    gLastError = Tx(TX_VASE_HEIGHT);
    return 0;
  }
  // Likewise a floor written onto the bottom or onto the rim.
  const std::string floorText = FormatStepReal(vase.bottomThickness);
  if (vase.hollow != 0 && (floorText == FormatStepReal(0.0) || floorText == FormatStepReal(vase.height))) {
    gLastError = Tx(TX_VASE_BOTTOM);
    return 0;
  }
  // An edge of no length would give a face without area.
  if (HasZeroEdge(outer) || HasZeroEdge(inner)) {
    gLastError = Tx(TX_VASE_NO_OUTLINE);
    return 0;
  }
  const double H = vase.height;
  const bool hollow = vase.hollow != 0;
  const double b = vase.bottomThickness;
  std::vector<double> X, Y, IX, IY;
  RingToArrays(outer, X, Y);
  RingToArrays(inner, IX, IY);

  const bool straight = vase.twist == 0 && vase.topScale == 1 && vase.bulge == 0;
  const int64_t rows = straight ? 2 : steps + 1;
  std::vector<double> v(static_cast<size_t>(rows));
  for (int64_t r = 0; r < rows; ++r) v[static_cast<size_t>(r)] = static_cast<double>(r) / static_cast<double>(rows - 1);
  std::vector<double> heightKnots, matrix;
  const int64_t degreeV = BuildInterpolationMatrix(rows, v.data(), heightKnots, matrix);
  std::string heightMultiplicities, heightValues;
  FormatKnotVector(heightKnots.data(), rows + degreeV + 1, heightMultiplicities, heightValues);

  const std::string name = ProductNameOfPath(path);
  int64_t shapeDefinition = 0, context = 0;
  BeginStepModel(name, shapeDefinition, context);
  // Each control point is a line of about 70 bytes; growing the buffer by
  // doubling would copy it several times.
  double estimate = (ColumnEstimate(outer) + ColumnEstimate(inner)) * static_cast<double>(rows + 2) * 72.0;
  if (estimate < 4e9) gStepLines.text.reserve(static_cast<size_t>(estimate));
  int64_t dz = AddStepEntity("DIRECTION('',(0.,0.,1.))");
  int64_t dx = AddStepEntity("DIRECTION('',(1.,0.,0.))");

  std::string faceText;
  std::vector<int64_t> outerBottom, outerTop, innerBottom, innerTop;
  const int64_t m = AddVaseSideFaces(X.data(), Y.data(), static_cast<int64_t>(X.size()), vase, rows, degreeV, 0, H,
                                     v.data(), matrix, heightKnots, heightMultiplicities, heightValues, 0, faceText,
                                     outerBottom, outerTop);
  int64_t faces = m;
  int64_t bottomPlane = AddPlaneAt(dz, dx, 0);
  int64_t bottomLoop = AddEdgeLoop(outerBottom.data(), m, 0);
  AppendFaceRef(faceText, AddAdvancedFace({AddOuterBound(bottomLoop)}, bottomPlane, 0));
  ++faces;
  int64_t topPlane = AddPlaneAt(dz, dx, H);
  if (hollow) {
    const int64_t mi = AddVaseSideFaces(IX.data(), IY.data(), static_cast<int64_t>(IX.size()), vase, rows, degreeV, b,
                                        H, v.data(), matrix, heightKnots, heightMultiplicities, heightValues, 1,
                                        faceText, innerBottom, innerTop);
    faces += mi;
    int64_t floorLoop = AddEdgeLoop(innerBottom.data(), mi, 1);
    int64_t floorBound = AddOuterBound(floorLoop);
    int64_t floorPlane = AddPlaneAt(dz, dx, b);
    AppendFaceRef(faceText, AddAdvancedFace({floorBound}, floorPlane, 1));
    int64_t rimOuter = AddOuterBound(AddEdgeLoop(outerTop.data(), m, 1));
    int64_t rimInnerLoop = AddEdgeLoop(innerTop.data(), mi, 0);
    int64_t rimInner = AddStepRefEntity("FACE_BOUND('',", {rimInnerLoop}, ",.T.)");
    AppendFaceRef(faceText, AddAdvancedFace({rimOuter, rimInner}, topPlane, 1));
    faces += 2;
  } else {
    int64_t topLoop = AddEdgeLoop(outerTop.data(), m, 1);
    AppendFaceRef(faceText, AddAdvancedFace({AddOuterBound(topLoop)}, topPlane, 1));
    ++faces;
  }

  int64_t dz2 = AddStepEntity("DIRECTION('',(0.,0.,1.))");
  int64_t dx2 = AddStepEntity("DIRECTION('',(1.,0.,0.))");
  int64_t origin = AddAxis2Placement3D(dz2, dx2, 0, 0, 0);
  int64_t shell = AddStepEntity("CLOSED_SHELL('',(" + faceText + "))");
  int64_t brep = AddStepEntity("MANIFOLD_SOLID_BREP('" + std::string(Tx(TX_EXPORT_VASE_BODY)) + "'," +
                               FormatStepRef(shell) + ")");
  int64_t representation = AddStepEntity("ADVANCED_BREP_SHAPE_REPRESENTATION('" + name + "',(" + FormatStepRef(origin) +
                                         "," + FormatStepRef(brep) + ")," + FormatStepRef(context) + ")");
  AddStepRefEntity("SHAPE_DEFINITION_REPRESENTATION(", {shapeDefinition, representation}, ")");
  if (WriteStepFile(path, Tx(TX_EXPORT_VASE_DESCRIPTION)) == 0) {
    gLastError = gExportError;
    return 0;
  }
  return faces;
}
