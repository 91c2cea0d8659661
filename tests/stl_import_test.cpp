#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "import/import_pieces.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "import/stl_section.h"
#include "tests/support/default_design.h"
#include "tests/support/import_files.h"
#include "text/texts.h"

namespace {

std::string AsciiStl(const std::vector<StlTriangle>& tris) {
  std::string s = "solid box\n";
  for (const StlTriangle& t : tris) {
    s += "  facet normal 0 0 0\n    outer loop\n";
    for (const StlVertex& v : t)
      s += "      VERTEX  " + std::to_string(v[0]) + "   " + std::to_string(v[1]) + "  " + std::to_string(v[2]) + "\n";
    s += "    endloop\n  endfacet\n";
  }
  return s + "endsolid box\n";
}

int64_t Load(const std::string& name, const std::string& bytes) {
  std::string path = ImportTestPath(name);
  WriteTestFile(path, bytes);
  return LoadStlModel(path);
}

// Two boxes as one binary file of 24 triangles.
int64_t LoadTwoBoxes(const std::string& name, const std::vector<StlTriangle>& a, const std::vector<StlTriangle>& b) {
  std::vector<StlTriangle> tris = a;
  tris.insert(tris.end(), b.begin(), b.end());
  return Load(name, BinaryStl(tris, 24));
}

struct Cut {
  int64_t result = 0;
  PointList points;
  double width = -1, height = -1;
};

Cut CutAt(double z) {
  Cut c;
  c.result = CutStlSection(z, c.points, c.width, c.height);
  for (const char* word : {"nan", "NaN", "inf", "Inf"}) EXPECT_EQ(gImportMessage.find(word), std::string::npos);
  return c;
}

void ExpectBoxSection(const Cut& c) {
  ASSERT_EQ(c.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage, "1 loop(s) in the cross-section; the largest is used (5 points).");
  ASSERT_EQ(c.points.size(), 5u);
  EXPECT_EQ(c.width, 10);
  EXPECT_EQ(c.height, 20);
  EXPECT_EQ(c.points[0].x, 0);
  EXPECT_EQ(c.points[0].y, 10);
  EXPECT_GT(ComputeSignedArea(c.points), 0);
}

const char* const kDamaged = "The STL file is damaged or incomplete: its triangle count does not match its size.";
const char* const kDamagedNl =
    "Het STL-bestand is beschadigd of onvolledig: het aantal driehoeken past niet bij de grootte.";

class StlImport : public ::testing::Test {
 protected:
  void TearDown() override {
    gStlTriangleCount = 0;
    gImportPieces.clear();
  }
};

TEST_F(StlImport, BinaryBoxWithASolidHeaderIsCutAtHalfHeight) {
  ASSERT_EQ(Load("box.stl", BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12)), 1) << gImportMessage;
  EXPECT_EQ(gStlTriangleCount, 12);
  EXPECT_EQ(gStlMinZ, 0);
  EXPECT_EQ(gStlMaxZ, 30);
  EXPECT_TRUE(gImportMessage.empty());
  ExpectBoxSection(CutAt(15));
  // A second cut of the model that stays loaded.
  ExpectBoxSection(CutAt(2.5));
  EXPECT_TRUE(gImportPieces.empty());
}

TEST_F(StlImport, TrailingBytesDecideBetweenBinaryAndAscii) {
  ASSERT_EQ(Load("tail49.stl", BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12, 49)), 1);
  EXPECT_EQ(gStlTriangleCount, 12);
  EXPECT_EQ(Load("tail50.stl", BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12, 50)), 0);
  EXPECT_EQ(gImportMessage, kDamaged);
  EXPECT_EQ(gStlTriangleCount, 0);
  // A missing record, a zero count or a count claiming 20 million records.
  std::vector<StlTriangle> box = StlBox(0, 0, 0, 1, 1, 1);
  EXPECT_EQ(Load("short.stl", BinaryStl(box, 13)), 0);
  EXPECT_EQ(Load("zero.stl", BinaryStl(box, 0)), 0);
  std::string claim = BinaryStl(box, 20'000'000);
  claim.resize(1024, ' ');
  EXPECT_EQ(Load("claim.stl", claim), 0);
  EXPECT_EQ(gImportMessage, kDamaged);
  // A count that announces half or double the records held: a damaged
  // file is said to be one, in either language; an empty one is not.
  struct Case {
    uint32_t count;
    size_t records;
    size_t trailing;
    const char* en;
    const char* nl;
  } cases[] = {
      {6, 12, 0, kDamaged, kDamagedNl},
      {24, 12, 0, kDamaged, kDamagedNl},
      {0, 0, 49, "No triangles found in the STL file.", "Geen driehoeken gevonden in het STL-bestand."},
  };
  for (const Case& c : cases) {
    std::vector<StlTriangle> records = StlBox(0, 0, 0, 10, 20, 30);
    records.resize(c.records);
    EXPECT_EQ(Load("count.stl", BinaryStl(records, c.count, c.trailing)), 0);
    EXPECT_EQ(gImportMessage, c.en) << c.count;
    EXPECT_EQ(gStlTriangleCount, 0);
    {
      DutchTexts dutch;
      EXPECT_EQ(LoadStlModel(ImportTestPath("count.stl")), 0);
    }
    EXPECT_EQ(gImportMessage, c.nl) << c.count;
  }
}

TEST_F(StlImport, AsciiWithUpperCaseKeywordAndRunsOfBlanks) {
  ASSERT_EQ(Load("box_ascii.stl", AsciiStl(StlBox(0, 0, 0, 10, 20, 30))), 1) << gImportMessage;
  EXPECT_EQ(gStlTriangleCount, 12);
  ExpectBoxSection(CutAt(15));
}

TEST_F(StlImport, AsciiLineRules) {
  // Seven vertex lines make two triangles; other lines, indented or not, are
  // passed over; a decimal comma ends the number; CR line ends are fine.
  std::string text =
      "solid t\r\nvertex 0 0 0\r\nvertex 1,5 0 0\r\nvertex 0 1 0\r\n\tendloop 9 9 9\r\n"
      "vertex 0 0 1\rvertex 1 0 1\nvertex 0 1 1\nvertex 5 5 5\n";
  ASSERT_EQ(Load("lines.stl", text), 1);
  EXPECT_EQ(gStlTriangleCount, 2);
  EXPECT_EQ(gStlX[1], 1);
  EXPECT_EQ(gStlMaxZ, 1);
  EXPECT_EQ(Load("tiny.stl", std::string(14, 'v')), 0);
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
  EXPECT_EQ(Load("text15.stl", "solid nothing\n\n"), 0);
  EXPECT_EQ(gImportMessage, "No triangles found in the STL file.");
  EXPECT_EQ(LoadStlModel("/tmp"), 0);
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
}

TEST_F(StlImport, TabsAndSpacesAlikeSeparateWords) {
  // Tab-indented lines, tabs between the numbers, tabs and blanks mixed, CR LF.
  std::string text = "solid\ttabs\r\n";
  for (const StlTriangle& t : StlBox(0, 0, 0, 10, 20, 30)) {
    text += "\tfacet normal\t0\t0\t0\r\n\t\touter loop\r\n";
    for (const StlVertex& v : t)
      text += "\t\t\tvertex\t" + std::to_string(v[0]) + " \t" + std::to_string(v[1]) + "\t\t" +
              std::to_string(v[2]) + "\t\r\n";
    text += "\t\tendloop\r\n\tendfacet\r\n";
  }
  ASSERT_EQ(Load("tabs.stl", text + "endsolid\ttabs\r\n"), 1) << gImportMessage;
  EXPECT_EQ(gStlTriangleCount, 12);
  EXPECT_EQ(gStlMaxZ, 30);
  ExpectBoxSection(CutAt(15));
}

TEST_F(StlImport, NonFiniteTrianglesAreDropped) {
  std::vector<StlTriangle> box = StlBox(0, 0, 0, 10, 20, 30);
  std::vector<StlTriangle> spoiled = box;
  spoiled.push_back({StlVertex{0, 0, std::numeric_limits<float>::quiet_NaN()}, StlVertex{1, 0, 0}, StlVertex{0, 1, 0}});
  spoiled.push_back({StlVertex{0, 0, 0}, StlVertex{std::numeric_limits<float>::infinity(), 0, 99}, StlVertex{0, 1, 0}});
  ASSERT_EQ(Load("nan.stl", BinaryStl(spoiled, 14)), 1);
  EXPECT_EQ(gStlTriangleCount, 12);
  EXPECT_EQ(gStlMaxZ, 30);
  std::string text = AsciiStl(box) + "vertex 0 0 1e39\nvertex 1 0 0\nvertex 0 1e999 0\n";
  ASSERT_EQ(Load("overflow.stl", text), 1);
  EXPECT_EQ(gStlTriangleCount, 12);
  ExpectBoxSection(CutAt(15));
}

TEST_F(StlImport, HeightOutsideTheModelAndNoModel) {
  CutAt(15);
  EXPECT_EQ(gImportMessage, "No STL model is loaded.");
  ASSERT_EQ(Load("box2.stl", BinaryStl(StlBox(0, 0, 5, 10, 20, 35), 12)), 1);
  PointList points{{1, 1}};
  double w = 2, h = 2;
  for (double z : {0.0, 30.0, -1.0, 31.0, std::nan("")}) {
    EXPECT_EQ(CutStlSection(z, points, w, h), 0);
    EXPECT_EQ(gImportMessage, "The height is outside the model (0 .. 30.00 mm).");
  }
  EXPECT_EQ(points.size(), 1u);
  EXPECT_EQ(w, 2);
  gTexts = gTextsNl;
  CutStlSection(0, points, w, h);
  std::string dutch = gImportMessage;
  gTexts = gTextsEn;
  EXPECT_EQ(dutch, "De hoogte valt buiten het model (0 .. 30.00 mm).");
}

TEST_F(StlImport, TwoBodiesTopsOnThePlaneGapsAndHoles) {
  ASSERT_EQ(LoadTwoBoxes("two.stl", StlBox(0, 0, 0, 10, 20, 30), StlBox(100, 0, 0, 140, 40, 30)), 1);
  Cut two = CutAt(10);
  ASSERT_EQ(two.result, 1);
  EXPECT_EQ(gImportMessage.substr(0, 2), "2 ");
  EXPECT_EQ(two.width, 40);

  // A body whose top lies exactly on the plane contributes nothing.
  ASSERT_EQ(LoadTwoBoxes("ledge.stl", StlBox(0, 0, 0, 10, 20, 30), StlBox(100, 0, 0, 140, 40, 15)), 1);
  Cut ledge = CutAt(15);
  ASSERT_EQ(ledge.result, 1);
  EXPECT_EQ(gImportMessage.substr(0, 2), "1 ");
  EXPECT_EQ(ledge.width, 10);

  // Nothing between two bodies.
  ASSERT_EQ(LoadTwoBoxes("gap.stl", StlBox(0, 0, 0, 10, 10, 10), StlBox(0, 0, 20, 10, 10, 30)), 1);
  EXPECT_EQ(CutAt(15).result, 0);
  EXPECT_EQ(gImportMessage, "The cross-section is empty.");

  // A missing side triangle leaves an open chain.
  std::vector<StlTriangle> tris = StlBox(0, 0, 0, 10, 20, 30);
  tris.erase(tris.begin() + 5);
  ASSERT_EQ(Load("hole.stl", BinaryStl(tris, 11)), 1);
  EXPECT_EQ(CutAt(15).result, 0);
  EXPECT_EQ(gImportMessage, "No closed cross-section found (is the model watertight?).");
}

TEST_F(StlImport, ASharedEdgeGivesTheSameBitsFromEitherSide) {
  gStlX = {0.1f, 7.3f, 3.3f};
  gStlY = {-2.7f, 1.9f, 8.1f};
  gStlZ = {0.3f, 9.7f, 4.4f};
  gStlTriangleCount = 1;
  for (double zc : {0.9, 3.14159, 7.77}) {
    OutlinePoint ab, ba;
    IntersectEdgeWithPlane(0, 1, zc, ab);
    IntersectEdgeWithPlane(1, 0, zc, ba);
    EXPECT_EQ(std::memcmp(&ab, &ba, sizeof ab), 0) << zc;
  }
}

TEST_F(StlImport, TetrahedronClosesAndAnOpenChainFails) {
  // A tetrahedron cut through its side faces: a chain of 3 segments closes.
  gStlX = {0, 10, 0, 0};
  gStlY = {0, 0, 10, 0};
  gStlZ = {0, 0, 0, 10};
  const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
  std::vector<float> x, y, z;
  for (const auto& f : faces)
    for (int v : f) {
      x.push_back(gStlX[v]);
      y.push_back(gStlY[v]);
      z.push_back(gStlZ[v]);
    }
  gStlX = x, gStlY = y, gStlZ = z;
  gStlTriangleCount = 4;
  gStlMinZ = 0;
  gStlMaxZ = 10;
  Cut c = CutAt(5);
  ASSERT_EQ(c.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage.substr(0, 2), "1 ");
  EXPECT_NEAR(c.width, 5, 1e-12);
  gStlTriangleCount = 2;  // the base and one side: a single open segment
  EXPECT_EQ(CutAt(5).result, 0);
  EXPECT_EQ(gImportMessage, "No closed cross-section found (is the model watertight?).");
}

using Xy = std::array<float, 2>;

// A vertical wall from corner a to corner b, two triangles.
void AddWall(std::vector<StlTriangle>& tris, Xy a, Xy b, float z0, float z1) {
  StlVertex a0{a[0], a[1], z0}, a1{a[0], a[1], z1}, b0{b[0], b[1], z0}, b1{b[0], b[1], z1};
  tris.push_back({a1, a0, b0});  // its segment starts at a
  tris.push_back({a1, b0, b1});
}

// The side walls of a prism over a ring of (x, y) corners; the plane
// between z0 and z1 meets nothing else of a closed body.
void AddWalls(std::vector<StlTriangle>& tris, const std::vector<Xy>& ring, float z0, float z1) {
  for (size_t i = 0; i < ring.size(); ++i) AddWall(tris, ring[i], ring[(i + 1) % ring.size()], z0, z1);
}

// A pyramid with its apex above the origin over the ring doubled: the plane
// halfway up cuts it in the ring itself, bit for bit.
int64_t LoadPyramid(const std::string& name, const std::vector<std::array<float, 2>>& ring) {
  std::vector<StlTriangle> tris;
  for (size_t i = 0; i < ring.size(); ++i) {
    const auto& a = ring[i];
    const auto& b = ring[(i + 1) % ring.size()];
    tris.push_back({StlVertex{0, 0, 1}, StlVertex{2 * a[0], 2 * a[1], -1}, StlVertex{2 * b[0], 2 * b[1], -1}});
  }
  return Load(name, BinaryStl(tris, static_cast<uint32_t>(tris.size())));
}

TEST_F(StlImport, SectionsWithoutAreaAreRefusedAndChangeNothing) {
  // Three points on a line but for half the smallest float: 4.6e20 wide, 7e-46 high.
  const float tiny = std::numeric_limits<float>::denorm_min();
  ASSERT_EQ(LoadPyramid("line.stl", {{0, 0}, {4.6e20f, 0}, {2.3e20f, tiny}}), 1);
  // A spike walked out and back along a line, whose rounding leaves a
  // negative area once normalised.
  std::vector<std::array<float, 2>> spike = {
      {0, 0}, {9.6011982f, -9.50221634f}, {-9.27839661f, 9.18274307f}, {18.9127083f, -18.7177315f},
      {-4.88073444f, 4.83041763f}};
  for (int model = 0; model < 2; ++model) {
    if (model == 1) {
      ASSERT_EQ(LoadPyramid("spike.stl", spike), 1);
    }
    Cut c = CutAt(1);
    EXPECT_EQ(c.result, 0) << model;
    EXPECT_EQ(gImportMessage, "No closed cross-section found (is the model watertight?).");
    EXPECT_TRUE(c.points.empty());
    EXPECT_EQ(c.width, -1);
  }
}

TEST_F(StlImport, AChainBackAtItsStartClosesWhereFourSegmentsMeet) {
  // An octagonal plate 224 x 165 with two pockets, cut at a height where the
  // corner of one pocket touches the outline at P = (0, 82.5): four segments
  // meet there, and the outline's chain starts at P. That pocket misses a
  // wall triangle; the other is a closed 43 x 38 rectangle.
  std::vector<StlTriangle> tris;
  AddWalls(tris, {{0, 82.5f}, {-82, 82.5f}, {-112, 52.5f}, {-112, -52.5f}, {-82, -82.5f}, {82, -82.5f},
                  {112, -52.5f}, {112, 52.5f}, {82, 82.5f}}, 0, 10);
  AddWalls(tris, {{0, 82.5f}, {15, 62.5f}, {0, 42.5f}, {-15, 62.5f}}, 2, 10);
  tris.erase(tris.end() - 3);
  AddWalls(tris, {{-80, -60}, {-80, -22}, {-37, -22}, {-37, -60}}, 2, 10);
  // A stud standing on its point exactly at the cut height meets the plane in one point only.
  const StlVertex tip{60, 0, 5}, b0{55, -5, 8}, b1{65, -5, 8}, b2{60, 5, 8};
  for (const StlTriangle& t : {StlTriangle{tip, b1, b0}, StlTriangle{tip, b2, b1}, StlTriangle{tip, b0, b2}})
    tris.push_back(t);
  ASSERT_EQ(Load("plate.stl", BinaryStl(tris, static_cast<uint32_t>(tris.size()))), 1);
  Cut c = CutAt(5);
  ASSERT_EQ(c.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage,
            "2 loop(s) in the cross-section; the largest is used (9 points). 2 open chain(s) left out (is the model "
            "watertight?).");
  EXPECT_EQ(c.width, 224);
  EXPECT_EQ(c.height, 165);
  gTexts = gTextsNl;
  CutAt(5);
  gTexts = gTextsEn;
  EXPECT_EQ(gImportMessage, "2 lus(sen) in de doorsnede; de grootste is gebruikt (9 punten). 2 open keten(s) "
                            "weggelaten (is het model dicht?).");
}

// A closed plate as a CAD program exports it: an octagon 224 x 165 with its
// corner on the origin and 18 pockets 8 deep, its bottom and top edges split
// where the top face's strips meet them. Each wall writes its own corners,
// and where the model has a zero a rotation has left -0 or a hair below it in
// some: the crossings at the corner and at (0.0047625, 0) come out as
// (-0, -0) / (0, 0) and (0.0047625, -0) / (0.0047625, 0).
std::vector<StlTriangle> CadPlate() {
  const float e = 0.0047625f, hx = -2.7e-17f, hy = -1.6e-17f, top = 10, floor = 2;
  const float rows[] = {25, 55, 65, 95, 105, 135};  // pocket rows, bottom and top
  std::vector<float> xs = {0};                      // strip edges; odd strips are pocket columns
  for (float x = 20; x < 200; x += 30) {
    xs.push_back(x);
    xs.push_back(x + 24);
  }
  xs.push_back(224);
  std::vector<Xy> lower = {{0, 0}, {e, 0}}, upper = {{224, 135}};
  for (size_t j = 1; j + 1 < xs.size(); ++j) lower.push_back({xs[j], 0});
  lower.push_back({224, 30});
  for (size_t j = xs.size() - 2; j > 0; --j) upper.push_back({xs[j], 165});
  upper.push_back({0, 145});
  std::vector<Xy> outline = lower;
  outline.insert(outline.end(), upper.begin(), upper.end());

  std::vector<StlTriangle> tris;
  auto fan = [&](const std::vector<Xy>& ring, float z, bool up) {
    Xy c{0, 0};
    for (const Xy& p : ring) c = {c[0] + p[0] / ring.size(), c[1] + p[1] / ring.size()};
    for (size_t i = 0; i < ring.size(); ++i) {
      const Xy& p = ring[i];
      const Xy& q = ring[(i + 1) % ring.size()];
      StlVertex vc{c[0], c[1], z}, vp{p[0], p[1], z}, vq{q[0], q[1], z};
      tris.push_back(up ? StlTriangle{vc, vp, vq} : StlTriangle{vc, vq, vp});
    }
  };
  for (size_t i = 0; i < outline.size(); ++i) {
    Xy a = outline[i], b = outline[(i + 1) % outline.size()];
    if (i == 0) b[1] = hy;
    if (i == 1) a[1] = -0.0f;
    if (i + 1 == outline.size()) a[0] = -0.0f, b = {hx, hy};
    AddWall(tris, a, b, 0, top);
  }
  fan(outline, 0, false);
  for (size_t j = 0; j + 1 < xs.size(); ++j) {
    const float x0 = xs[j], x1 = xs[j + 1];
    if (j % 2 == 1) {
      for (int r = 0; r < 6; r += 2) {
        AddWalls(tris, {{x0, rows[r]}, {x0, rows[r + 1]}, {x1, rows[r + 1]}, {x1, rows[r]}}, floor, top);
        fan({{x0, rows[r]}, {x1, rows[r]}, {x1, rows[r + 1]}, {x0, rows[r + 1]}}, floor, true);
      }
      const float gaps[] = {0, 25, 55, 65, 95, 105, 135, 165};
      for (int g = 0; g < 8; g += 2)
        fan({{x0, gaps[g]}, {x1, gaps[g]}, {x1, gaps[g + 1]}, {x0, gaps[g + 1]}}, top, true);
      continue;
    }
    // A strip without pockets: its bounds, and the pocket corners of its neighbours on its sides.
    std::vector<Xy> strip;
    for (const Xy& p : lower)
      if (p[0] >= x0 && p[0] <= x1) strip.push_back(p);
    if (x1 < 224)
      for (float y : rows) strip.push_back({x1, y});
    for (const Xy& p : upper)
      if (p[0] >= x0 && p[0] <= x1) strip.push_back(p);
    if (x0 > 0)
      for (int r = 5; r >= 0; --r) strip.push_back({x0, rows[r]});
    fan(strip, top, true);
  }
  return tris;
}

// A closed cylinder as a script writes it: every facet works out its corners
// from cos and sin of 2 pi k / n, so the seam is y = 0 in the first facet and
// r sin(2 pi) = -2.4e-15 in the last.
std::vector<StlTriangle> ScriptCylinder(int n, double r, float h) {
  std::vector<StlTriangle> tris;
  auto at = [&](int k, float z) {
    const double a = 2 * M_PI * k / n;
    return StlVertex{static_cast<float>(r * std::cos(a)), static_cast<float>(r * std::sin(a)), z};
  };
  for (int k = 0; k < n; ++k) {
    tris.push_back({at(k, 0), at(k + 1, 0), at(k + 1, h)});
    tris.push_back({at(k, 0), at(k + 1, h), at(k, h)});
    tris.push_back({StlVertex{0, 0, 0}, at(k + 1, 0), at(k, 0)});
    tris.push_back({StlVertex{0, 0, h}, at(k, h), at(k + 1, h)});
  }
  return tris;
}

TEST_F(StlImport, PointsAtPlusAndMinusZeroAreOnePoint) {
  const std::vector<StlTriangle> cylinder = ScriptCylinder(64, 10, 30);
  ASSERT_LT(cylinder[4 * 63 + 1][1][1], 0.0f);  // the seam really is apart
  struct Case {
    const char* name;
    std::vector<StlTriangle> tris;
    double z;
    int loops;
    double width, height;
  } cases[] = {
      {"cad_plate.stl", CadPlate(), 5, 19, 224, 165},
      {"cylinder.stl", cylinder, 15, 1, 20, 20},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Load(c.name, BinaryStl(c.tris, static_cast<uint32_t>(c.tris.size()))), 1) << c.name;
    Cut cut = CutAt(c.z);
    ASSERT_EQ(cut.result, 1) << c.name << ": " << gImportMessage;
    // Every loop closed, no open chain left out.
    EXPECT_EQ(gImportMessage, std::to_string(c.loops) + " loop(s) in the cross-section; the largest is used (" +
                                  std::to_string(cut.points.size()) + " points).")
        << c.name;
    EXPECT_NEAR(cut.width, c.width, 1e-5) << c.name;
    EXPECT_NEAR(cut.height, c.height, 1e-5) << c.name;
  }
}

// Zero bytes end lines like line feeds: 3 MB of them and a 2 GB hole before
// three vertex lines give one triangle without reading the hole; a file past
// the size limit is refused unread.
TEST_F(StlImport, RunsOfZeroBytesAndTheSizeLimit) {
  const std::string path = ImportTestPath("zeros.stl");
  WriteTestFile(path, std::string(3 << 20, '\0'));
  const off_t end = off_t{2} << 30;
  ASSERT_EQ(truncate(path.c_str(), end), 0);
  const std::string tail = "vertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9\n";
  {
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fseeko(f, end, SEEK_SET), 0);
    ASSERT_EQ(std::fwrite(tail.data(), 1, tail.size(), f), tail.size());
    std::fclose(f);
  }
  ASSERT_EQ(LoadStlModel(path), 1) << gImportMessage;
  EXPECT_EQ(gStlTriangleCount, 1);
  EXPECT_EQ(gStlMinZ, 3);
  EXPECT_EQ(gStlMaxZ, 9);
  ASSERT_EQ(truncate(path.c_str(), STL_MAX_FILE_BYTES + 1), 0);
  EXPECT_EQ(LoadStlModel(path), 0);
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
}

}  // namespace
