// Vase meshes as written, read back by CGAL as an independent kernel: no
// two facets may meet but at shared edges and corners.
#include <gtest/gtest.h>

#include <string>

#include "export/vase_step.h"
#include "export/vase_stl.h"
#include "tests/support/default_design.h"
#include "tests/support/export_files.h"
#include "tests/support/stl_checks.h"
#include "tests/support/vase_designs.h"
#include "text/texts.h"
#include "vase/quad_diagonals.h"
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"

namespace {

// A 40 mm square with a slot 0.01 mm wide cut 20 mm deep into its right side.
PointList SlottedSquare() {
  return {{0, 20}, {-20, 20}, {-20, -20}, {20, -20}, {20, -0.005}, {0, -0.005}, {0, 0.005}, {20, 0.005}, {20, 20}};
}

// Quads fold away from the material; where the other wall of a narrow slot
// leaves no room they fold into it; past a near half turn nothing helps.
TEST(QuadDiagonals, FoldAwayFromTheMaterialWhereThereIsRoom) {
  const PointList circle = CircleOutline(20, 40);
  struct Case {
    PointList ring;
    double turn;
    bool materialLeft;
    int64_t sound;
    size_t flipped;  // quads split on (lower j2, upper j)
    bool foldsIntoMaterial;
  };
  const Case cases[] = {
      {circle, 0, true, 1, 0, false},      // untwisted: the plain split
      {circle, 0.1, true, 1, 40, false},   // outer wall folds outward
      {circle, -0.1, true, 1, 0, false},
      {circle, 0.1, false, 1, 0, false},   // inner wall folds towards the axis
      {circle, 3.0, true, 0, 0, true},     // 172 degrees a step
      {SlottedSquare(), 0.1, true, 1, 7, true},  // but the slot's two sides
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> flips;
    EXPECT_EQ(ChooseQuadDiagonals(c.ring, c.turn, c.materialLeft, flips), c.sound) << c.turn;
    size_t flipped = 0;
    for (uint8_t f : flips) flipped += f;
    EXPECT_EQ(flipped, c.flipped) << c.turn;
    EXPECT_EQ(LongestEdgeFoldingTo(c.ring, c.turn, flips, c.materialLeft) > 0, c.foldsIntoMaterial) << c.turn;
  }
}

class VaseMeshKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    if (StlCheckerPath().empty()) GTEST_SKIP() << "the CGAL checker was not built";
  }
};

// Twisted quads folding at sharp and concave corners, an inner ring that
// follows dense figures into itself, a rim band of a concave outline: all
// written sound, the STEP too, and the preview hollow as the export.
TEST_F(VaseMeshKernel, FoldingDesignsAreWrittenWithoutCrossings) {
  for (const VaseDesign& d : FoldingTestDesigns()) {
    ASSERT_EQ(d.result.valid, 1) << d.name;
    const PointList& outline = d.result.outlinePoints;
    const PointList& baseLine = d.result.baseLinePoints;
    std::string stl = ExportTestPath("folding.stl");
    ASSERT_GT(ExportVaseStl(stl, outline, baseLine, d.vase, VASE_STL_TOLERANCE), 0) << d.name << ": " << gLastError;
    ExpectKernelFindsSoundSolid(stl, d.name);
    ExpectAdmeshFindsNothingToFix(stl);
    EXPECT_GT(ExportVaseStep(ExportTestPath("folding.stp"), outline, baseLine, d.vase, VASE_STEP_TOLERANCE), 0)
        << d.name << ": " << gLastError;
    BuildPreviewMesh(outline, baseLine, d.vase, FINE_POINT_BUDGET);
    EXPECT_GT(gVertexCount, (d.vase.steps + 1) * gRingSize + 1) << d.name << ": drawn solid";
  }
}

// Hollow and solid vases drawn at random: every one written is sound by
// CGAL and by admesh; every one refused says why.
TEST_F(VaseMeshKernel, SweepOfVasesIsWrittenWithoutCrossings) {
  int written = 0, refused = 0;
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    VaseDesign d = SweepVaseDesign(seed);
    if (!d.result.valid) continue;
    std::string stl = ExportTestPath("sweep.stl");
    gLastError.clear();
    if (ExportVaseStl(stl, d.result.outlinePoints, d.result.baseLinePoints, d.vase, VASE_STL_TOLERANCE) == 0) {
      ++refused;
      EXPECT_TRUE(gLastError == Tx(TX_VASE_WALL_TOO_THICK) || gLastError == Tx(TX_VASE_TWIST_TOO_LARGE))
          << d.name << ": " << gLastError;
      EXPECT_FALSE(FileExists(stl)) << d.name;
      continue;
    }
    ++written;
    ExpectKernelFindsSoundSolid(stl, d.name);
    ExpectAdmeshFindsNothingToFix(stl);
  }
  EXPECT_GE(written, 40) << refused << " refused";
}

}  // namespace
