#include "export/outline_step.h"

#include <cmath>

#include "engine/text_helpers.h"
#include "export/export_file.h"
#include "export/export_outline.h"
#include "export/step_writer.h"
#include "text/texts.h"

int64_t SplitAtCorners(const double* x, const double* y, int64_t n, std::vector<int64_t>& breaks) {
  breaks.assign(static_cast<size_t>(n + 1), 0);
  if (n < 1) return 0;
  std::vector<char> corner(static_cast<size_t>(n), 0);
  int64_t start = -1;
  for (int64_t i = 0; i < n; ++i) {
    int64_t before = (i + n - 1) % n;
    int64_t after = (i + 1) % n;
    double inX = x[i] - x[before], inY = y[i] - y[before];
    double outX = x[after] - x[i], outY = y[after] - y[i];
    double lengths = std::sqrt(inX * inX + inY * inY) * std::sqrt(outX * outX + outY * outY);
    double turn = (inX * outX + inY * outY) / (lengths > 1e-30 ? lengths : 1e-30);
    if (turn < CORNER_COSINE) {
      corner[static_cast<size_t>(i)] = 1;
      if (start < 0) start = i;
    }
  }
  if (start < 0) start = 0;
  std::vector<char> isBreak(static_cast<size_t>(n), 0);
  isBreak[0] = 1;
  int64_t last = 0;
  const int64_t third = n / 3;
  const int64_t twoThirds = (2 * n) / 3;
  for (int64_t k = 1; k < n; ++k) {
    bool forced = k - last >= MAX_PIECE_EDGES || (k == third && last == 0) || (k == twoThirds && last <= third);
    if (corner[static_cast<size_t>((start + k) % n)] || forced) {
      isBreak[static_cast<size_t>(k)] = 1;
      last = k;
    }
  }
  int64_t m = 0;
  for (int64_t k = 0; k < n; ++k)
    if (isBreak[static_cast<size_t>(k)]) breaks[static_cast<size_t>(m++)] = (start + k) % n;
  breaks[static_cast<size_t>(m)] = breaks[0];
  return m;
}

int64_t DensifyPolylinePiece(const double* x, const double* y, int64_t n, int64_t start, int64_t count,
                             std::vector<double>& cx, std::vector<double>& cy, double step) {
  int64_t written = 0;
  for (int64_t j = 0; j + 1 < count; ++j) {
    int64_t a = (start + j) % n;
    int64_t b = (a + 1) % n;
    double dx = x[b] - x[a];
    double dy = y[b] - y[a];
    double length = std::sqrt(dx * dx + dy * dy);
    int64_t parts = static_cast<int64_t>(length / step) + 1;
    if (static_cast<int64_t>(cx.size()) <= written + parts + 1) {
      cx.resize(static_cast<size_t>(written + parts + STEP_CTRL_BUFFER));
      cy.resize(static_cast<size_t>(written + parts + STEP_CTRL_BUFFER));
    }
    for (int64_t t = 0; t < parts; ++t) {
      cx[static_cast<size_t>(written)] = x[a] + dx * static_cast<double>(t) / static_cast<double>(parts);
      cy[static_cast<size_t>(written)] = y[a] + dy * static_cast<double>(t) / static_cast<double>(parts);
      ++written;
    }
  }
  if (static_cast<int64_t>(cx.size()) <= written) {
    cx.resize(static_cast<size_t>(written + STEP_CTRL_BUFFER));
    cy.resize(static_cast<size_t>(written + STEP_CTRL_BUFFER));
  }
  int64_t end = (start + count - 1) % n;
  cx[static_cast<size_t>(written)] = x[end];
  cy[static_cast<size_t>(written)] = y[end];
  return written + 1;
}

int64_t AddBSplineCurve(const double* cx, const double* cy, int64_t count, double z) {
  const int64_t degree = count - 1 < 3 ? count - 1 : 3;
  std::vector<int64_t> points(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) points[static_cast<size_t>(i)] = AddCartesianPoint(cx[i], cy[i], z);
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += "B_SPLINE_CURVE_WITH_KNOTS('',";
  AppendStepInt(t, degree);
  t += ",(";
  for (int64_t i = 0; i < count; ++i) {
    if (i > 0) t += ',';
    AppendStepRef(t, points[static_cast<size_t>(i)]);
  }
  t += "),.UNSPECIFIED.,.F.,.F.,(";
  AppendStepInt(t, degree + 1);
  for (int64_t i = 0; i < count - degree - 1; ++i) t += ",1";
  t += ',';
  AppendStepInt(t, degree + 1);
  t += "),(";
  for (int64_t k = 0; k <= count - degree; ++k) {
    if (k > 0) t += ',';
    AppendStepInt(t, k);
    t += ".0";
  }
  t += "),.UNSPECIFIED.)";
  EndStepEntity();
  return id;
}

namespace {

int64_t AddPlanarDirection(double ux, double uy) {
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += "DIRECTION('',(";
  AppendStepReal(t, ux);
  t += ',';
  AppendStepReal(t, uy);
  t += ",0.))";
  EndStepEntity();
  return id;
}

// LINE('',#p,#v) from (xa, ya, z) along the direction over length.
int64_t AddSegmentLine(double xa, double ya, double z, int64_t direction, double length) {
  int64_t point = AddCartesianPoint(xa, ya, z);
  int64_t vector = AddStepRefRealEntity("VECTOR('',", direction, length);
  return AddStepRefEntity("LINE('',", {point, vector}, ")");
}

// Bound, face: the loop must already exist.
int64_t AddFaceOnLoop(int64_t loop, int64_t surface, bool sameSense) {
  int64_t bound = AddStepRefEntity("FACE_OUTER_BOUND('',", {loop}, ",.T.)");
  return AddAdvancedFace({bound}, surface, sameSense ? 1 : 0);
}

int64_t AddNamedListEntity(const char* head, const std::string& name, const std::vector<int64_t>& refs) {
  std::string text = head + name + "',(";
  for (size_t i = 0; i < refs.size(); ++i) {
    if (i > 0) text += ',';
    AppendStepRef(text, refs[i]);
  }
  text += "))";
  return AddStepEntity(text);
}


}  // namespace

int64_t AddOutlineStepBody(const PointList& points, const std::string& bodyName, int64_t curvesOnly, double height) {
  const int64_t n = static_cast<int64_t>(points.size());
  std::vector<double> px, py;
  RingToArrays(points, px, py);
  std::vector<int64_t> breaks;
  const int64_t m = SplitAtCorners(px.data(), py.data(), n, breaks);
  if (m < 1) return 0;
  auto pieceCount = [&](int64_t k) {
    return ((breaks[static_cast<size_t>(k + 1)] - breaks[static_cast<size_t>(k)] + n) % n) + 1;
  };
  // A one-edge piece of no length has no direction: refuse before adding.
  for (int64_t k = 0; k < m; ++k) {
    if (pieceCount(k) != 2) continue;
    int64_t a = breaks[static_cast<size_t>(k)];
    int64_t b = (a + 1) % n;
    if (!(std::hypot(px[b] - px[a], py[b] - py[a]) > 0)) return 0;
  }
  std::vector<double> cx(STEP_CTRL_BUFFER), cy(STEP_CTRL_BUFFER);

  if (curvesOnly != 0) {
    std::vector<int64_t> curves;
    for (int64_t k = 0; k < m; ++k) {
      int64_t a = breaks[static_cast<size_t>(k)];
      int64_t count = pieceCount(k);
      if (count == 2) {
        int64_t b = (a + 1) % n;
        double dx = px[b] - px[a], dy = py[b] - py[a];
        double length = std::sqrt(dx * dx + dy * dy);
        int64_t direction = AddPlanarDirection(dx / length, dy / length);
        int64_t line = AddSegmentLine(px[a], py[a], 0.0, direction, length);
        // A bare LINE in a curve set is unbounded: keep only the segment.
        curves.push_back(AddStepRefEntity("TRIMMED_CURVE('',", {line},
                                          ",(PARAMETER_VALUE(0.)),(PARAMETER_VALUE(1.)),.T.,.PARAMETER.)"));
      } else {
        int64_t written = DensifyPolylinePiece(px.data(), py.data(), n, a, count, cx, cy, OUTLINE_CTRL_SPACING);
        curves.push_back(AddBSplineCurve(cx.data(), cy.data(), written, 0.0));
      }
    }
    return AddNamedListEntity("GEOMETRIC_CURVE_SET('", bodyName, curves);
  }

  const double h = height;
  int64_t dz = AddStepEntity("DIRECTION('',(0.,0.,1.))");
  int64_t dx = AddStepEntity("DIRECTION('',(1.,0.,0.))");
  int64_t vz = AddStepRefRealEntity("VECTOR('',", dz, h);
  std::vector<int64_t> bottomVertex(static_cast<size_t>(m + 1)), topVertex(static_cast<size_t>(m + 1));
  std::vector<int64_t> verticalEdge(static_cast<size_t>(m + 1));
  for (int64_t k = 0; k < m; ++k) {
    int64_t b = breaks[static_cast<size_t>(k)];
    int64_t bottomPoint = AddCartesianPoint(px[b], py[b], 0.0);
    int64_t vB = AddStepRefEntity("VERTEX_POINT('',", {bottomPoint}, ")");
    int64_t topPoint = AddCartesianPoint(px[b], py[b], h);
    int64_t vT = AddStepRefEntity("VERTEX_POINT('',", {topPoint}, ")");
    int64_t line = AddStepRefEntity("LINE('',", {bottomPoint, vz}, ")");
    bottomVertex[static_cast<size_t>(k)] = vB;
    topVertex[static_cast<size_t>(k)] = vT;
    verticalEdge[static_cast<size_t>(k)] = AddStepRefEntity("EDGE_CURVE('',", {vB, vT, line}, ",.T.)");
  }
  bottomVertex[static_cast<size_t>(m)] = bottomVertex[0];
  topVertex[static_cast<size_t>(m)] = topVertex[0];
  verticalEdge[static_cast<size_t>(m)] = verticalEdge[0];

  std::vector<int64_t> faces, bottomEdges(static_cast<size_t>(m)), topEdges(static_cast<size_t>(m));
  faces.reserve(static_cast<size_t>(m + 2));
  for (int64_t k = 0; k < m; ++k) {
    const size_t K = static_cast<size_t>(k);
    int64_t a = breaks[K];
    int64_t count = pieceCount(k);
    int64_t bottomCurve, topCurve, surface;
    if (count == 2) {
      int64_t b = (a + 1) % n;
      double ex = px[b] - px[a], ey = py[b] - py[a];
      double length = std::sqrt(ex * ex + ey * ey);
      double ux = ex / length, uy = ey / length;
      int64_t direction = AddPlanarDirection(ux, uy);
      bottomCurve = AddSegmentLine(px[a], py[a], 0.0, direction, length);
      topCurve = AddSegmentLine(px[a], py[a], h, direction, length);
      int64_t origin = AddCartesianPoint(px[a], py[a], 0.0);
      int64_t normal = AddPlanarDirection(uy, -ux);
      int64_t placement = AddStepRefEntity("AXIS2_PLACEMENT_3D('',", {origin, normal, direction}, ")");
      surface = AddStepRefEntity("PLANE('',", {placement}, ")");
    } else {
      int64_t written = DensifyPolylinePiece(px.data(), py.data(), n, a, count, cx, cy, OUTLINE_CTRL_SPACING);
      bottomCurve = AddBSplineCurve(cx.data(), cy.data(), written, 0.0);
      topCurve = AddBSplineCurve(cx.data(), cy.data(), written, h);
      surface = AddStepRefEntity("SURFACE_OF_LINEAR_EXTRUSION('',", {bottomCurve, vz}, ")");
    }
    bottomEdges[K] = AddStepRefEntity("EDGE_CURVE('',", {bottomVertex[K], bottomVertex[K + 1], bottomCurve}, ",.T.)");
    topEdges[K] = AddStepRefEntity("EDGE_CURVE('',", {topVertex[K], topVertex[K + 1], topCurve}, ",.T.)");
    int64_t sides[4];
    sides[0] = AddOrientedEdge(bottomEdges[K], 1);
    sides[1] = AddOrientedEdge(verticalEdge[K + 1], 1);
    sides[2] = AddOrientedEdge(topEdges[K], 0);
    sides[3] = AddOrientedEdge(verticalEdge[K], 0);
    int64_t loop = AddStepRefEntity("EDGE_LOOP('',(", sides, 4, "))");
    faces.push_back(AddFaceOnLoop(loop, surface, true));
  }

  std::vector<int64_t> oriented;
  oriented.reserve(static_cast<size_t>(m));
  for (int64_t k = m - 1; k >= 0; --k) oriented.push_back(AddOrientedEdge(bottomEdges[static_cast<size_t>(k)], 0));
  int64_t bottomPlacement = AddAxis2Placement3D(dz, dx, 0, 0, 0);
  int64_t bottomPlane = AddStepRefEntity("PLANE('',", {bottomPlacement}, ")");
  int64_t bottomLoop = AddStepRefEntity("EDGE_LOOP('',(", oriented.data(), oriented.size(), "))");
  faces.push_back(AddFaceOnLoop(bottomLoop, bottomPlane, false));

  oriented.clear();
  for (int64_t k = 0; k < m; ++k) oriented.push_back(AddOrientedEdge(topEdges[static_cast<size_t>(k)], 1));
  int64_t topPlacement = AddAxis2Placement3D(dz, dx, 0, 0, h);
  int64_t topPlane = AddStepRefEntity("PLANE('',", {topPlacement}, ")");
  int64_t topLoop = AddStepRefEntity("EDGE_LOOP('',(", oriented.data(), oriented.size(), "))");
  faces.push_back(AddFaceOnLoop(topLoop, topPlane, true));

  int64_t shell = AddStepRefEntity("CLOSED_SHELL('',(", faces.data(), faces.size(), "))");
  return AddStepEntity("MANIFOLD_SOLID_BREP('" + bodyName + "'," + FormatStepRef(shell) + ")");
}

bool IsWritableStepHeight(double height) {
  return height > 0 && std::isfinite(height) && FormatStepReal(height) != FormatStepReal(0.0);
}

int64_t ExportOutlineStep(const std::string& path, const DesignResult& result, int64_t solid, double height,
                          double tolerance) {
  std::string name = ProductNameOfPath(path);
  if (result.valid == 0 || result.outlinePoints.size() < 3 || !AllPointsFinite(result.outlinePoints)) {
    gExportError = Tx(TX_EXPORT_NO_OUTLINE);
    return 0;
  }
  if (solid != 0 && !IsWritableStepHeight(height)) {
    gExportError = Tx(TX_EXPORT_STEP_HEIGHT);
    return 0;
  }
  PointList outline;
  if (!ThinExportOutline(result.outlinePoints, tolerance, outline)) return 0;
  int64_t shapeDefinition = 0, context = 0;
  BeginStepModel(name, shapeDefinition, context);
  // A smooth outline takes about 200 bytes a point as a solid; growing the
  // buffer by doubling would copy it several times.
  gStepLines.text.reserve(4096 + outline.size() * (solid != 0 ? 256 : 128));
  int64_t representation = 0;
  if (solid != 0) {
    int64_t dz = AddStepEntity("DIRECTION('',(0.,0.,1.))");
    int64_t dx = AddStepEntity("DIRECTION('',(1.,0.,0.))");
    int64_t origin = AddAxis2Placement3D(dz, dx, 0, 0, 0);
    int64_t body = AddOutlineStepBody(outline, Tx(TX_EXPORT_OUTLINE_BODY), 0, height);
    if (body != 0)
      representation = AddStepEntity("ADVANCED_BREP_SHAPE_REPRESENTATION('" + name + "',(" + FormatStepRef(origin) +
                                     "," + FormatStepRef(body) + ")," + FormatStepRef(context) + ")");
  } else {
    int64_t body = AddOutlineStepBody(outline, Tx(TX_EXPORT_OUTLINE_BODY), 1, 0);
    if (body != 0)
      representation = AddStepEntity("GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION('" + name + "',(" +
                                     FormatStepRef(body) + ")," + FormatStepRef(context) + ")");
  }
  if (representation == 0) {
    DiscardStepModel();
    gExportError = Tx(TX_EXPORT_NO_OUTLINE);
    return 0;
  }
  AddStepRefEntity("SHAPE_DEFINITION_REPRESENTATION(", {shapeDefinition, representation}, ")");
  if (WriteStepFile(path, Tx(TX_EXPORT_OUTLINE_DESCRIPTION)) == 0) return 0;
  return static_cast<int64_t>(outline.size());
}
