#include "import/dxf_reader.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "engine/text_helpers.h"
#include "import/curve_sampling.h"
#include "import/dxf_pairs.h"
#include "import/import_pieces.h"
#include "import/import_state.h"
#include "text/texts.h"

namespace {

bool ValueIs(int64_t k, const char* name) { return AsciiUpper(gDxfValues[static_cast<size_t>(k)]) == name; }

int64_t NextEntityStart(int64_t k) {
  while (k < gDxfPairCount && gDxfCodes[static_cast<size_t>(k)] != 0) ++k;
  return k;
}

// Reads the numbers of one entity and remembers whether any was not finite.
struct EntityReader {
  bool bad = false;
  double Number(int64_t k) {
    double v = ReadDxfDouble(k);
    if (!std::isfinite(v)) bad = true;
    return v;
  }
  int64_t Integer(int64_t k) {
    double v = Number(k);
    if (!(v > -1e18 && v < 1e18)) return 0;
    return static_cast<int64_t>(v);
  }
};

int64_t Code(int64_t k) { return gDxfCodes[static_cast<size_t>(k)]; }

void ReadLine(int64_t begin, int64_t end) {
  EntityReader in;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  for (int64_t k = begin; k < end; ++k) {
    switch (Code(k)) {
      case 10: x1 = in.Number(k); break;
      case 20: y1 = in.Number(k); break;
      case 11: x2 = in.Number(k); break;
      case 21: y2 = in.Number(k); break;
      default: break;
    }
  }
  if (in.bad) return;
  BeginImportPiece(0);
  AppendImportPoint(gImportPieces.back().points, x1, y1);
  AppendImportPoint(gImportPieces.back().points, x2, y2);
}

void ReadArc(int64_t begin, int64_t end, bool circle) {
  EntityReader in;
  double cx = 0, cy = 0, r = 0, a0 = 0, a1 = 360, z = 1;
  for (int64_t k = begin; k < end; ++k) {
    switch (Code(k)) {
      case 10: cx = in.Number(k); break;
      case 20: cy = in.Number(k); break;
      case 40: r = in.Number(k); break;
      case 50: a0 = in.Number(k); break;
      case 51: a1 = in.Number(k); break;
      case 230: z = in.Number(k); break;
      default: break;
    }
  }
  if (in.bad || !(r > 0)) return;
  if (circle) {
    a0 = 0;
    a1 = 360;
  } else if (!RaiseEndAboveStart(a0, a1, 360)) {
    return;
  }
  double r0 = a0 * ONE_DEGREE, r1 = a1 * ONE_DEGREE;
  if (a1 - a0 > 360) r1 = r0 + ONE_TURN;  // the whole circle, not many turns of it
  BeginImportPiece(circle ? 1 : 0);
  PointList& list = gImportPieces.back().points;
  AppendImportPoint(list, cx + r * std::cos(r0), cy + r * std::sin(r0));
  AppendArcPoints(list, cx, cy, r, r0, r1);
  if (circle && !list.empty()) list.pop_back();
  ApplyExtrusionMirror(list, z);
}

void ReadEllipse(int64_t begin, int64_t end) {
  EntityReader in;
  double cx = 0, cy = 0, ax = 0, ay = 0, q = 1, s = 0, e = 6.283185307179586, z = 1;
  for (int64_t k = begin; k < end; ++k) {
    switch (Code(k)) {
      case 10: cx = in.Number(k); break;
      case 20: cy = in.Number(k); break;
      case 11: ax = in.Number(k); break;
      case 21: ay = in.Number(k); break;
      case 40: q = in.Number(k); break;
      case 41: s = in.Number(k); break;
      case 42: e = in.Number(k); break;
      case 230: z = in.Number(k); break;
      default: break;
    }
  }
  if (in.bad) return;
  AddEllipsePiece(cx, cy, ax, ay, q, s, e, z);
}

void ReadLwPolyline(int64_t begin, int64_t end) {
  EntityReader in;
  PointList vertices;
  std::vector<double> bulges;
  int64_t flags = 0;
  double z = 1;
  for (int64_t k = begin; k < end; ++k) {
    switch (Code(k)) {
      case 70: flags = in.Integer(k); break;
      case 10:
        vertices.push_back(OutlinePoint{in.Number(k), 0});
        bulges.push_back(0);
        break;
      case 20:
        if (!vertices.empty()) vertices.back().y = in.Number(k);
        break;
      case 42:
        if (!bulges.empty()) bulges.back() = in.Number(k);
        break;
      case 230: z = in.Number(k); break;
      default: break;
    }
  }
  if (in.bad) return;
  AddBulgePolylinePiece(vertices, bulges, flags, z);
}

// The header, its VERTEX entities and the closing SEQEND; returns the index after them.
int64_t ReadPolyline(int64_t begin) {
  EntityReader in;
  PointList vertices;
  std::vector<double> bulges;
  int64_t flags = 0;
  double z = 1;
  int64_t k = begin;
  for (; k < gDxfPairCount && Code(k) != 0; ++k) {
    if (Code(k) == 70) flags = in.Integer(k);
    if (Code(k) == 230) z = in.Number(k);
  }
  while (k < gDxfPairCount && ValueIs(k, "VERTEX")) {
    double x = 0, y = 0, bulge = 0;
    for (++k; k < gDxfPairCount && Code(k) != 0; ++k) {
      if (Code(k) == 10) x = in.Number(k);
      if (Code(k) == 20) y = in.Number(k);
      if (Code(k) == 42) bulge = in.Number(k);
    }
    vertices.push_back(OutlinePoint{x, y});
    bulges.push_back(bulge);
  }
  if (k < gDxfPairCount && ValueIs(k, "SEQEND")) k = NextEntityStart(k + 1);
  if (in.bad || (flags & 80) != 0) return k;
  // A 3D polyline holds world coordinates, which no extrusion mirrors.
  if (flags & 8) z = 1;
  AddBulgePolylinePiece(vertices, bulges, flags, z);
  return k;
}

void ReadSpline(int64_t begin, int64_t end) {
  EntityReader in;
  int64_t flags = 0, degree = 0;
  std::vector<double> knots, weights, cx, cy, fx, fy;
  for (int64_t k = begin; k < end; ++k) {
    switch (Code(k)) {
      case 70: flags = in.Integer(k); break;
      case 71: degree = in.Integer(k); break;
      case 40: knots.push_back(in.Number(k)); break;
      case 41: weights.push_back(in.Number(k)); break;
      case 10:
        cx.push_back(in.Number(k));
        cy.push_back(0);
        break;
      case 20:
        if (!cy.empty()) cy.back() = in.Number(k);
        break;
      case 11:
        fx.push_back(in.Number(k));
        fy.push_back(0);
        break;
      case 21:
        if (!fy.empty()) fy.back() = in.Number(k);
        break;
      default: break;
    }
  }
  if (in.bad) return;
  const int64_t m = static_cast<int64_t>(cx.size());
  const bool closed = (flags & 1) != 0;
  if (degree >= 1 && degree <= NURBS_MAX_DEGREE && m > degree &&
      static_cast<int64_t>(knots.size()) >= m + degree + 1) {
    weights.resize(static_cast<size_t>(m), 1.0);
    BeginImportPiece(closed ? 1 : 0);
    AppendNurbsCurvePoints(degree, knots.data(), static_cast<int64_t>(knots.size()), cx.data(), cy.data(),
                           weights.data(), m, gImportPieces.back().points);
  } else if (fx.size() >= 2) {
    BeginImportPiece(closed ? 1 : 0);
    for (size_t k = 0; k < fx.size(); ++k) AppendImportPoint(gImportPieces.back().points, fx[k], fy[k]);
  } else {
    return;
  }
  PointList& list = gImportPieces.back().points;
  if (closed && list.size() > 2 && std::fabs(list.back().x - list.front().x) < POINT_MATCH_TOL &&
      std::fabs(list.back().y - list.front().y) < POINT_MATCH_TOL)
    list.pop_back();
}

void WalkEntitySections() {
  bool inside = false;
  int64_t i = 0;
  while (i < gDxfPairCount) {
    if (gImportOverBudget) break;
    if (Code(i) != 0) {
      ++i;
      continue;
    }
    std::string name = AsciiUpper(gDxfValues[static_cast<size_t>(i)]);
    if (name == "SECTION") {
      if (i + 1 < gDxfPairCount && Code(i + 1) == 2) inside = ValueIs(i + 1, "ENTITIES");
      ++i;
    } else if (name == "ENDSEC" || name == "EOF") {
      inside = false;
      ++i;
    } else if (inside) {
      i = ReadDxfEntity(i);
    } else {
      ++i;
    }
  }
}

int64_t Fail(TextKey key) {
  gImportMessage = Tx(key);
  return 0;
}

int64_t RunDxfImport(const std::string& path, PointList& points, double& width, double& height) {
  if (!ReadDxfPairs(path)) return Fail(gDxfBinary ? TX_IMPORT_BINARY_DXF : TX_IMPORT_CANNOT_READ);
  WalkEntitySections();
  ReleaseDxfPairs();
  if (gImportOverBudget) return Fail(TX_IMPORT_CANNOT_READ);

  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const ImportPiece& piece : gImportPieces) {
    for (const OutlinePoint& p : piece.points) {
      // Points that overflowed in sampling never close a loop; they must not set the tolerance.
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      minX = MinF(minX, p.x), maxX = MaxF(maxX, p.x);
      minY = MinF(minY, p.y), maxY = MaxF(maxY, p.y);
    }
  }
  if (gImportPieces.empty()) return Fail(TX_IMPORT_NO_USABLE_LINES);
  // Coordinates whose spread overflows cannot give a finite outline.
  if (!std::isfinite(maxX - minX) || !std::isfinite(maxY - minY)) return Fail(TX_IMPORT_NO_CLOSED_OUTLINE);
  double tol = MaxF(JOIN_TOL_MIN, JOIN_TOL_REL * MaxF(maxX - minX, maxY - minY));
  int64_t loops = JoinPiecesIntoLoops(tol);
  if (!FinishImportedOutline(points, width, height)) return Fail(TX_IMPORT_NO_CLOSED_OUTLINE);
  gImportMessage = std::to_string(loops) + Tx(TX_IMPORT_DXF_LOOPS) + std::to_string(points.size()) +
                   Tx(TX_IMPORT_POINTS_END);
  gImportPieces.clear();
  return 1;
}

}  // namespace

int64_t ReadDxfEntity(int64_t i) {
  const std::string name = AsciiUpper(gDxfValues[static_cast<size_t>(i)]);
  const int64_t begin = i + 1;
  const int64_t end = NextEntityStart(begin);
  if (name == "LINE") {
    ReadLine(begin, end);
  } else if (name == "ARC" || name == "CIRCLE") {
    ReadArc(begin, end, name == "CIRCLE");
  } else if (name == "ELLIPSE") {
    ReadEllipse(begin, end);
  } else if (name == "LWPOLYLINE") {
    ReadLwPolyline(begin, end);
  } else if (name == "POLYLINE") {
    return ReadPolyline(begin);
  } else if (name == "SPLINE") {
    ReadSpline(begin, end);
  }
  return end;
}

int64_t ImportDxfOutline(const std::string& path, PointList& points, double& width, double& height) {
  gImportPieces.clear();
  gImportMessage.clear();
  ResetImportBudget();
  try {
    return RunDxfImport(path, points, width, height);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  ReleaseDxfPairs();
  std::vector<ImportPiece>().swap(gImportPieces);
  return Fail(TX_IMPORT_CANNOT_READ);
}
