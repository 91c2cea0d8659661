#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

}  // namespace
