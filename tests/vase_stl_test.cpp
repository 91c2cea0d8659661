#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "engine/polyline.h"
#include "export/export_file.h"
#include "export/vase_rings.h"
#include "export/vase_stl.h"
#include "export/vase_step.h"
#include "tests/support/default_design.h"
#include "tests/support/export_files.h"
#include "tests/support/preview_checks.h"
#include "tests/support/vase_designs.h"
#include "tests/support/ring_checks.h"
#include "tests/support/stl_checks.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"
#include "vase/vase_slices.h"

namespace {

struct StlMesh {
  std::string header;
  uint32_t count = 0;
  size_t bytes = 0;
  std::vector<std::array<float, 12>> facets;
};

StlMesh ReadStl(const std::string& path) {
  StlMesh mesh;
  std::string data = ReadFileBytes(path);
  mesh.bytes = data.size();
  if (data.size() < 84) return mesh;
  mesh.header = data.substr(0, 80);
  const unsigned char* u = reinterpret_cast<const unsigned char*>(data.data());
  mesh.count = u[80] | (u[81] << 8) | (u[82] << 16) | (static_cast<uint32_t>(u[83]) << 24);
  for (size_t at = 84; at + 50 <= data.size(); at += 50) {
    std::array<float, 12> f;
    std::memcpy(f.data(), data.data() + at, 48);
    mesh.facets.push_back(f);
  }
  return mesh;
}

struct EdgeHash {
  size_t operator()(const std::array<float, 6>& e) const {
    uint32_t bits[6];
    std::memcpy(bits, e.data(), sizeof bits);
    size_t h = 0;
    for (uint32_t b : bits) h = h * 1000003u ^ b;
    return h;
  }
};

// Every directed edge must meet its reverse exactly once: closed and
// consistently wound. Also sums the signed volume.
void ExpectClosedOutward(const StlMesh& mesh, double& volume) {
  std::unordered_map<std::array<float, 6>, int, EdgeHash> edges;
  volume = 0;
  for (const auto& f : mesh.facets) {
    for (int k = 0; k < 3; ++k) {
      const float* a = &f[3 + 3 * k];
      const float* b = &f[3 + 3 * ((k + 1) % 3)];
      edges[{a[0], a[1], a[2], b[0], b[1], b[2]}] += 1;
    }
    double x1 = f[3], y1 = f[4], z1 = f[5], x2 = f[6], y2 = f[7], z2 = f[8], x3 = f[9], y3 = f[10], z3 = f[11];
    volume += (x1 * (y2 * z3 - z2 * y3) - y1 * (x2 * z3 - z2 * x3) + z1 * (x2 * y3 - y2 * x3)) / 6;
  }
  size_t unmatched = 0;
  for (const auto& [edge, uses] : edges) {
    std::array<float, 6> reverse = {edge[3], edge[4], edge[5], edge[0], edge[1], edge[2]};
    auto found = edges.find(reverse);
    if (uses != 1 || found == edges.end() || found->second != 1) ++unmatched;
  }
  EXPECT_EQ(unmatched, 0u);
}

void AppendRing(std::string& line, const PointList& ring, const VaseParams& vase, double t) {
  for (const OutlinePoint& p : ring) {
    OutlinePoint q;
    TransformSlicePoint(vase, t, p.x, p.y, q);
    char number[64];
    std::snprintf(number, sizeof number, " %.17g %.17g", q.x, q.y);
    line += number;
  }
}

// The rim, the bottom and the inner floor of a hollow vase's STL measured by
// shapely against the rings the writer builds on.
std::map<std::string, double> MeasureCaps(const std::string& stl, const PointList& outline, const PointList& baseLine,
                                          const VaseParams& vase, double tolerance) {
  std::map<std::string, double> values;
  PointList outer, inner;
  if (PrepareVaseRings(outline, baseLine, vase, tolerance, outer, inner) == 0) return values;
  const double H = vase.height, b = vase.bottomThickness;
  char head[96];
  std::string rings;
  std::snprintf(head, sizeof head, "top %.17g 1", H);
  rings += head;
  AppendRing(rings, outer, vase, 1);
  rings += " |";
  AppendRing(rings, inner, vase, 1);
  rings += "\nbottom 0 0";
  AppendRing(rings, outer, vase, 0);
  std::snprintf(head, sizeof head, "\nfloor %.17g 1", b);
  rings += head;
  AppendRing(rings, inner, vase, b / H);
  rings += "\n";
  std::string ringPath = stl + ".rings";
  std::ofstream(ringPath) << rings;
  std::string output;
  RunCommand("/usr/bin/python3 " RIBBELO_SOURCE_DIR "/tests/tools/stl_caps_check.py '" + stl + "' '" + ringPath +
                 "' 2>&1",
             output);
  std::istringstream lines(output);
  std::string key;
  double value;
  while (lines >> key >> value) values[key] = value;
  return values;
}

// No facet of a flat part faces the wrong way, and the facets tile the
// region once: their areas add up to it and their union is it.
void ExpectCapsTiled(const std::map<std::string, double>& values, const std::string& name) {
  for (const char* part : {"top", "bottom", "floor"}) {
    std::string p = part;
    auto get = [&](const std::string& key) {
      auto found = values.find(p + "_" + key);
      return found == values.end() ? -1.0 : found->second;
    };
    double region = get("region");
    ASSERT_GT(region, 0) << name << " " << p;
    EXPECT_EQ(get("valid"), 1) << name << " " << p;
    EXPECT_EQ(get("wrong"), 0) << name << " " << p;
    EXPECT_NEAR(get("sum"), region, 0.005 * region) << name << " " << p;
    EXPECT_NEAR(get("union"), region, 0.005 * region) << name << " " << p;
    EXPECT_LT(get("difference"), 0.005 * region) << name << " " << p;
  }
}

VaseParams Straight(double height, int64_t steps) {
  VaseParams vase;
  vase.height = height;
  vase.steps = steps;
  return vase;
}

TEST(VaseStl, SolidStarShapedVaseCountsLayoutAndClosure) {
  PointList circle = CircleOutline(20, 40);
  VaseParams vase = Straight(30, 3);
  vase.twist = 45;
  vase.topScale = 0.8;
  vase.bulge = 0.1;
  std::string path = ExportTestPath("vase.stl");
  int64_t count = ExportVaseStl(path, circle, {}, vase, VASE_STL_TOLERANCE);
  ASSERT_EQ(count, 2 * 40 * 3 + 2 * 40);
  StlMesh mesh = ReadStl(path);
  EXPECT_EQ(mesh.count, count);
  EXPECT_EQ(mesh.bytes, 84u + 50u * static_cast<size_t>(count));
  EXPECT_EQ(mesh.header, std::string("Ribbelo vaas") + std::string(68, '\0'));
  double volume;
  ExpectClosedOutward(mesh, volume);
  EXPECT_GT(volume, 0);
  // The first wall facet starts at the outline's first point at z = 0 and
  // faces away from the axis there.
  EXPECT_NEAR(mesh.facets[0][3], 0, 1e-6);
  EXPECT_FLOAT_EQ(mesh.facets[0][4], 20);
  EXPECT_GT(mesh.facets[0][1], 0.9f);
  // The Dutch build writes the same header.
  gTexts = gTextsNl;
  count = ExportVaseStl(path, circle, {}, vase, VASE_STL_TOLERANCE);
  gTexts = gTextsEn;
  EXPECT_EQ(ReadStl(path).header.substr(0, 13), std::string("Ribbelo vaas\0", 13));
}

TEST(VaseStl, StraightVaseVolumeAndANonStarCap) {
  // A C shape around the origin: not star-shaped, so the cap is ear-clipped.
  // Its first point lies on the top side and is thinned away: N = 8.
  PointList shape = {{0, 10}, {-10, 10}, {-10, -10}, {10, -10}, {10, -6}, {-6, -6}, {-6, 6}, {10, 6}, {10, 10}};
  std::string path = ExportTestPath("c.stl");
  int64_t count = ExportVaseStl(path, shape, {}, Straight(5, 1), VASE_STL_TOLERANCE);
  ASSERT_EQ(count, 2 * 8 * 1 + 2 * (8 - 2));
  StlMesh mesh = ReadStl(path);
  double volume;
  ExpectClosedOutward(mesh, volume);
  EXPECT_NEAR(volume, SignedArea(shape) * 5, 1e-3);
}

TEST(VaseStl, HollowVaseHasWallsFloorAndRimAndIsClosed) {
  PointList circle = CircleOutline(20, 60);
  VaseParams vase = Straight(40, 4);
  vase.hollow = VASE_HOLLOW;
  vase.wallThickness = 2;
  vase.bottomThickness = 3;
  vase.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  PointList outer, inner;
  ASSERT_EQ(PrepareVaseRings(circle, {}, vase, VASE_STL_TOLERANCE, outer, inner), 4);
  const int64_t N = static_cast<int64_t>(outer.size()), M = static_cast<int64_t>(inner.size());
  std::string path = ExportTestPath("hollow.stl");
  int64_t count = ExportVaseStl(path, circle, {}, vase, VASE_STL_TOLERANCE);
  // Both rings are star-shaped: fan caps of N and M triangles; the rim N + M.
  EXPECT_EQ(count, 2 * N * 4 + N + 2 * M * 4 + M + N + M);
  StlMesh mesh = ReadStl(path);
  ASSERT_EQ(mesh.facets.size(), static_cast<size_t>(count));
  double volume;
  ExpectClosedOutward(mesh, volume);
  double expected = SignedArea(outer) * 40 - SignedArea(inner) * 37;
  EXPECT_NEAR(volume, expected, expected * 1e-4);
  ExpectAdmeshFindsNothingToFix(path);
}

TEST(VaseStl, HollowDesignsHaveSoundRimsAndFloors) {
  if (std::system("/usr/bin/python3 -c 'import shapely' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no shapely";
  for (const VaseDesign& d : HollowTestDesigns()) {
    ASSERT_EQ(d.result.valid, 1) << d.name;
    std::string path = ExportTestPath("caps.stl");
    ASSERT_GT(ExportVaseStl(path, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STL_TOLERANCE), 0)
        << d.name << ": " << gLastError;
    ExpectCapsTiled(MeasureCaps(path, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STL_TOLERANCE),
                    d.name);
    double volume;
    ExpectClosedOutward(ReadStl(path), volume);
    EXPECT_GT(volume, 0) << d.name;
    ExpectAdmeshFindsNothingToFix(path);
  }
}

// A flat part of an STL at height z: its facets that face the wrong way
// (up is the right way when up is set), and the area of those facing the
// right way less the others.
void MeasureFlat(const StlMesh& mesh, double z, bool up, int64_t& wrong, double& area) {
  wrong = 0;
  area = 0;
  const float level = static_cast<float>(z);
  for (const auto& f : mesh.facets) {
    if (f[5] != level || f[8] != level || f[11] != level) continue;
    double a = ((static_cast<double>(f[6]) - f[3]) * (static_cast<double>(f[10]) - f[4]) -
                (static_cast<double>(f[7]) - f[4]) * (static_cast<double>(f[9]) - f[3])) / 2;
    if (!up) a = -a;
    if (a < -1e-6) ++wrong;
    area += a;
  }
}

// The areas the rim, the bottom and the inner floor should cover.
void FlatAreas(const PointList& outline, const PointList& baseLine, const VaseParams& vase, double tolerance,
               double areas[3]) {
  PointList outer, inner;
  areas[0] = areas[1] = areas[2] = 0;
  if (PrepareVaseRings(outline, baseLine, vase, tolerance, outer, inner) == 0) return;
  double top = VaseScaleAt(vase, 1), floor = VaseScaleAt(vase, vase.bottomThickness / vase.height);
  areas[0] = top * top * (SignedArea(outer) - SignedArea(inner));
  areas[1] = SignedArea(outer);
  areas[2] = floor * floor * SignedArea(inner);
}

// One step and a strong bulge, so the outer wall is a
// plain prism while the inner wall's floor ring swells past it. Refused by
// both writers with the wall message, drawn solid; with 60 steps all build.
TEST(VaseStl, InnerWallLeavingTheMeshedOuterWallIsRefusedEverywhere) {
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_TRIANGLE;
  p.count = 3;
  p.depth = 3;
  p.shift = -0.4;
  VaseParams v;
  v.hollow = VASE_HOLLOW;
  v.height = 100;
  v.wallThickness = 0.8;
  v.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  v.bulge = 2;
  v.steps = 1;
  VaseDesign d = MakeVaseDesign("one step", p, v);
  ASSERT_EQ(d.result.valid, 1);
  PointList ring;
  EXPECT_EQ(BuildInnerWallRing(d.result.outlinePoints, d.result.baseLinePoints, d.vase, ring), 1);
  std::string stl = ExportTestPath("bulge.stl"), step = ExportTestPath("bulge.stp");
  EXPECT_EQ(ExportVaseStl(stl, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_WALL_TOO_THICK));
  EXPECT_EQ(ExportVaseStep(step, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STEP_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_WALL_TOO_THICK));
  EXPECT_FALSE(FileExists(stl));
  EXPECT_FALSE(FileExists(step));
  BuildPreviewMesh(d.result.outlinePoints, d.result.baseLinePoints, d.vase, FINE_POINT_BUDGET);
  EXPECT_EQ(gVertexCount, 2 * gRingSize + 1);

  d.vase.steps = 60;
  ASSERT_GT(ExportVaseStl(stl, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STL_TOLERANCE), 0);
  double volume;
  ExpectClosedOutward(ReadStl(stl), volume);
  EXPECT_GT(volume, 0);
  EXPECT_GT(ExportVaseStep(step, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STEP_TOLERANCE), 0);
  BuildPreviewMesh(d.result.outlinePoints, d.result.baseLinePoints, d.vase, FINE_POINT_BUDGET);
  EXPECT_TRUE(MeasurePreviewFlatParts(d.vase).hollow);

  // A square turned a quarter: its quads fold out of the material, so even
  // over one step the walls keep apart. Turned half round in one step its
  // slices meet at the axis: the hollow one leaves no wall, the solid one
  // no cut of the quads keeps from crossing itself.
  VaseParams turned;
  turned.hollow = VASE_HOLLOW;
  for (auto [twist, steps, builds] : {std::tuple{90.0, 1, true}, {90.0, 4, true}, {180.0, 1, false}}) {
    turned.twist = twist;
    turned.steps = steps;
    EXPECT_EQ(ExportVaseStl(stl, SquareOutline(50), {}, turned, VASE_STL_TOLERANCE) > 0, builds) << twist << " " << steps;
    BuildPreviewMesh(SquareOutline(50), {}, turned, FINE_POINT_BUDGET);
    EXPECT_EQ(MeasurePreviewFlatParts(turned).hollow, builds) << twist << " " << steps;
  }
  turned.hollow = VASE_SOLID;
  EXPECT_EQ(ExportVaseStl(stl, SquareOutline(50), {}, turned, VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_TWIST_TOO_LARGE));
  EXPECT_EQ(ExportVaseStep(step, SquareOutline(50), {}, turned, VASE_STEP_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_TWIST_TOO_LARGE));
}

// Hollow vases drawn at random: every one the writer accepts is closed,
// holds a positive volume below that of the same vase solid, and has a rim
// that covers the band once, facing up; so has the preview's.
TEST(VaseStl, RandomHollowVasesHaveSoundRimsAndVolumes) {
  std::mt19937 random(20261209);
  auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  int built = 0;
  for (int k = 0; k < 50; ++k) {
    DesignParams p = DefaultDesign();
    p.shapeKind = pick(4);
    p.width = uniform(30, 80);
    p.height = uniform(20, 60);
    p.cornerRadius = uniform(0, 8);
    if (p.shapeKind == SHAPE_IMPORTED) {
      p.importPoints = CShapeOutline();
      p.importWidth = p.importHeight = 40;
    }
    p.figureKind = pick(7);
    p.direction = pick(2) ? DIRECTION_OUTWARD : DIRECTION_INWARD;
    p.count = 3 + pick(40);
    p.depth = uniform(0.5, 4);
    p.shift = uniform(-0.5, 0.5);
    p.pointSpacing = 0.3;
    VaseParams v = RandomVaseParams(random, 0.6);
    std::string name = "vase " + std::to_string(k);
    VaseDesign d = MakeVaseDesign(name, p, v);
    if (!d.result.valid) continue;
    const PointList& outline = d.result.outlinePoints;
    const PointList& baseLine = d.result.baseLinePoints;
    std::string path = ExportTestPath("random.stl");
    if (ExportVaseStl(path, outline, baseLine, d.vase, 0.02) == 0) {
      EXPECT_TRUE(gLastError == Tx(TX_VASE_WALL_TOO_THICK) || gLastError == Tx(TX_VASE_TWIST_TOO_LARGE))
          << name << ": " << gLastError;
      continue;
    }
    ++built;
    StlMesh mesh = ReadStl(path);
    double volume;
    ExpectClosedOutward(mesh, volume);
    double expected[3];
    FlatAreas(outline, baseLine, d.vase, 0.02, expected);
    const double heights[3] = {d.vase.height, 0, d.vase.bottomThickness};
    for (int part = 0; part < 3; ++part) {
      int64_t wrong;
      double area;
      MeasureFlat(mesh, heights[part], part != 1, wrong, area);
      EXPECT_EQ(wrong, 0) << name << ", part " << part;
      EXPECT_NEAR(area, expected[part], 0.005 * expected[part]) << name << ", part " << part;
    }
    VaseParams solid = d.vase;
    solid.hollow = VASE_SOLID;
    ASSERT_GT(ExportVaseStl(path, outline, baseLine, solid, 0.02), 0);
    double full;
    ExpectClosedOutward(ReadStl(path), full);
    EXPECT_GT(volume, 0) << name;
    EXPECT_LT(volume, full) << name;

    BuildPreviewMesh(outline, baseLine, d.vase, COARSE_POINT_BUDGET);
    PreviewFlatParts parts = MeasurePreviewFlatParts(d.vase);
    if (parts.hollow) ExpectSoundFlatParts(parts, name);
  }
  EXPECT_GE(built, 25);
}

TEST(VaseStl, InnerRingIsThinnedButKeepsItsFirstPoint) {
  // The inner ring is half as wide: its points lie closer to their chords.
  PointList circle = CircleOutline(20, 4000);
  VaseParams vase = Straight(40, 4);
  vase.hollow = VASE_HOLLOW;
  vase.wallThickness = 10;
  vase.bottomThickness = 3;
  vase.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  PointList outer, inner, simplified, ring;
  ASSERT_GT(PrepareVaseRings(circle, {}, vase, 0.005, outer, inner), 0);
  SimplifyClosedPolyline(circle, 0.005, simplified);
  ASSERT_EQ(CheckWallThickness(simplified, {}, vase, ring), 1);
  EXPECT_LT(inner.size(), ring.size());
  EXPECT_EQ(inner[0].x, ring[0].x);
  EXPECT_EQ(inner[0].y, ring[0].y);
  // Every ring point stays within the tolerance of the thinned ring.
  double worst = 0;
  for (const OutlinePoint& p : ring) {
    double best = 1e300;
    for (size_t i = 0; i < inner.size(); ++i) {
      const OutlinePoint& a = inner[i];
      const OutlinePoint& b = inner[(i + 1) % inner.size()];
      best = std::fmin(best, PointSegmentDistance(p.x, p.y, a.x, a.y, b.x, b.y));
    }
    worst = std::fmax(worst, best);
  }
  EXPECT_LE(worst, 0.005 + 1e-12);
}

TEST(VaseStl, DegenerateFacetGetsAZeroNormal) {
  std::string path = ExportTestPath("flat.bin");
  ExportFile file;
  ASSERT_EQ(OpenExportFile(file, path), 1);
  char buffer[50];
  WriteStlTriangle(file, buffer, 0, 0, 0, 1, 1, 1, 2, 2, 2);
  WriteStlTriangle(file, buffer, 0, 0, 0, 1, 0, 0, 0, 1, 0);
  ASSERT_EQ(CloseExportFile(file), 1);
  std::string data = ReadFileBytes(path);
  ASSERT_EQ(data.size(), 100u);
  float values[12];
  std::memcpy(values, data.data(), 48);
  EXPECT_EQ(values[0], 0.0f);
  EXPECT_EQ(values[1], 0.0f);
  EXPECT_EQ(values[2], 0.0f);
  EXPECT_EQ(values[9], 2.0f);
  std::memcpy(values, data.data() + 50, 48);
  EXPECT_EQ(values[2], 1.0f);
  EXPECT_EQ(data[48], 0);
  EXPECT_EQ(data[49], 0);
}

TEST(VaseStl, FailuresLeaveTheReasonAndNoFile) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  PointList circle = CircleOutline(20, 40);
  std::string path = ExportTestPath("keep.stl");
  {
    ExportFile file;
    ASSERT_EQ(OpenExportFile(file, path), 1);
    PutExportBytes(file, "old", 3);
    ASSERT_EQ(CloseExportFile(file), 1);
  }
  EXPECT_EQ(ExportVaseStl(path, circle, {}, Straight(0, 3), VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_HEIGHT));
  EXPECT_EQ(ExportVaseStl(path, circle, {}, Straight(nan, 3), VASE_STL_TOLERANCE), 0);
  // Heights a 32-bit float cannot hold, as a project file may bring them.
  for (double h : {1e39, 1e300, std::numeric_limits<double>::infinity()}) {
    gLastError.clear();
    EXPECT_EQ(ExportVaseStl(path, circle, {}, Straight(h, 3), VASE_STL_TOLERANCE), 0) << h;
    EXPECT_EQ(gLastError, Tx(TX_VASE_HEIGHT)) << h;
  }
  EXPECT_EQ(ExportVaseStl(path, {{0, 1}, {1, 0}}, {}, Straight(10, 3), VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_NO_OUTLINE));
  EXPECT_EQ(ExportVaseStl(path, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {}, Straight(10, 3), VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_NO_OUTLINE));
  PointList broken = circle;
  broken[3].y = nan;
  EXPECT_EQ(ExportVaseStl(path, broken, {}, Straight(10, 3), VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_NO_OUTLINE));
  VaseParams thick = Straight(10, 3);
  thick.hollow = VASE_HOLLOW;
  thick.wallThickness = 30;
  thick.bottomThickness = 1;
  EXPECT_EQ(ExportVaseStl(path, circle, {}, thick, VASE_STL_TOLERANCE), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_WALL_TOO_THICK));
  EXPECT_EQ(ReadFileBytes(path), "old");
  gTexts = gTextsNl;
  int64_t count = ExportVaseStl(ExportTestPath("none/v.stl"), circle, {}, Straight(10, 3), VASE_STL_TOLERANCE);
  gTexts = gTextsEn;
  EXPECT_EQ(count, 0);
  EXPECT_EQ(gLastError, "Kan het bestand niet schrijven.");
  if (FileExists("/dev/full")) {
    gLastError.clear();
    EXPECT_EQ(ExportVaseStl("/dev/full", circle, {}, Straight(10, 3), VASE_STL_TOLERANCE), 0);
    EXPECT_EQ(gLastError, Tx(TX_EXPORT_CANNOT_WRITE));
    EXPECT_TRUE(FileExists("/dev/full"));
  }
}

}  // namespace
