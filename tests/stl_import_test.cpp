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
  EXPECT_EQ(gImportMessage, "No triangles found in the STL file.");
  EXPECT_EQ(gStlTriangleCount, 0);
  // A missing record, a zero count or a count claiming 20 million records.
  std::vector<StlTriangle> box = StlBox(0, 0, 0, 1, 1, 1);
  EXPECT_EQ(Load("short.stl", BinaryStl(box, 13)), 0);
  EXPECT_EQ(Load("zero.stl", BinaryStl(box, 0)), 0);
  std::string claim = BinaryStl(box, 20'000'000);
  claim.resize(1024, ' ');
  EXPECT_EQ(Load("claim.stl", claim), 0);
  EXPECT_EQ(gImportMessage, "No triangles found in the STL file.");
}

TEST_F(StlImport, AsciiWithUpperCaseKeywordAndRunsOfBlanks) {
  ASSERT_EQ(Load("box_ascii.stl", AsciiStl(StlBox(0, 0, 0, 10, 20, 30))), 1) << gImportMessage;
  EXPECT_EQ(gStlTriangleCount, 12);
  ExpectBoxSection(CutAt(15));
}

TEST_F(StlImport, AsciiLineRules) {
  // Seven vertex lines make two triangles; a tab-indented line is not one;
  // a decimal comma ends the number; CR line ends are fine.
  std::string text =
      "solid t\r\nvertex 0 0 0\r\nvertex 1,5 0 0\r\nvertex 0 1 0\r\n\tvertex 9 9 9\r\n"
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

// The side walls of a prism over a ring of (x, y) corners, two triangles
// each; the plane between z0 and z1 meets nothing else of a closed body.
void AddWalls(std::vector<StlTriangle>& tris, const std::vector<std::array<float, 2>>& ring, float z0, float z1) {
  for (size_t i = 0; i < ring.size(); ++i) {
    const auto& a = ring[i];
    const auto& b = ring[(i + 1) % ring.size()];
    StlVertex a0{a[0], a[1], z0}, a1{a[0], a[1], z1}, b0{b[0], b[1], z0}, b1{b[0], b[1], z1};
    tris.push_back({a1, a0, b0});  // its segment starts at a
    tris.push_back({a1, b0, b1});
  }
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
