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
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"

namespace {

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
