#include <gtest/gtest.h>

#include <string>

#include "app/draw2d.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "engine/design.h"
#include "tests/gui/support/shell_fixture.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"
#include "vase/vase_params.h"

namespace {

void SetField(int64_t gadget, const std::string& text) { SetGadgetText(WINDOW_MAIN, gadget, text); }

uint32_t Argb(uint32_t colour) {
  return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

TEST_F(ShellTest, VaseFieldsFillTheRecord) {
  ReadVaseParams();
  EXPECT_EQ(gVase.height, 120);
  EXPECT_EQ(gVase.twist, 0);
  EXPECT_EQ(gVase.topScale, 1);
  EXPECT_EQ(gVase.bulge, 0);
  EXPECT_EQ(gVase.steps, 60);
  EXPECT_EQ(gVase.hollow, VASE_SOLID);
  EXPECT_EQ(gVase.wallThickness, 1.6);
  EXPECT_EQ(gVase.bottomThickness, 2);
  EXPECT_EQ(gVase.innerWallMode, INNER_WALL_AUTOMATIC);
  ASSERT_EQ(gResult.valid, 1);
  EXPECT_EQ(gVase.patternDepth, gResult.depth);  // outward rectangles
  EXPECT_EQ(gVase.inwardDepth, 0);

  SetField(GADGET_TWIST, "-45");
  SetField(GADGET_TOP_SCALE, "80,5");
  SetField(GADGET_BULGE, "-12");
  SetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  SetGadgetState(WINDOW_MAIN, GADGET_INNER_WALL, 2);
  ReadVaseParams();
  EXPECT_EQ(gVase.twist, -45);
  EXPECT_DOUBLE_EQ(gVase.topScale, 0.805);
  EXPECT_DOUBLE_EQ(gVase.bulge, -0.12);
  EXPECT_EQ(gVase.hollow, VASE_HOLLOW);
  EXPECT_EQ(gVase.innerWallMode, INNER_WALL_SMOOTH);
}

TEST_F(ShellTest, StepsTextsValidateToOneOrFourHundred) {
  const char* texts[] = {"", "0", "-3", " 7 ", "1000", "99999999999999999999999999"};
  const int64_t steps[] = {1, 1, 1, 7, 400, 400};
  for (int k = 0; k < 6; ++k) {
    SetField(GADGET_STEPS, texts[k]);
    ReadVaseParams();
    EXPECT_EQ(ValidateVaseParams(gResult.outlinePoints, gVase), steps[k]) << texts[k];
  }
}

TEST_F(ShellTest, NonFiniteFieldsAreRefusedByTheirOwnMessage) {
  SetField(GADGET_VASE_HEIGHT, "NaN");
  ReadVaseParams();
  EXPECT_EQ(ValidateVaseParams(gResult.outlinePoints, gVase), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_HEIGHT));
  SetField(GADGET_VASE_HEIGHT, "120");
  SetField(GADGET_BULGE, "inf");
  ReadVaseParams();
  EXPECT_EQ(ValidateVaseParams(gResult.outlinePoints, gVase), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_SCALE));
}

TEST_F(ShellTest, PreviewDrawsTheVaseOverTheGradient) {
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, 1);
  RebuildPreviewMesh(0);
  ASSERT_GT(gVertexCount, 0);
  EXPECT_EQ(gMeshCoarse, 0);
  DrawCanvas();
  int64_t w = CanvasSurfaceWidth(WINDOW_MAIN, GADGET_CANVAS);
  ASSERT_GT(w, 0);
  EXPECT_EQ(gFrameW, w);
  EXPECT_EQ(CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, w - 1, 0), Argb(BackgroundColour(0, gFrameH)));
  uint32_t centre = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, w / 2, gFrameH / 2);
  EXPECT_EQ(centre, Argb(gFrameColour[(gFrameH / 2) * gFrameW + w / 2]));
  EXPECT_NE(centre, Argb(BackgroundColour(gFrameH / 2, gFrameH)));

  RebuildPreviewMesh(1);
  EXPECT_EQ(gMeshCoarse, 1);
  EXPECT_LE(gMeshSteps, 40);

  // No height: an empty mesh, the gradient only (and the red hint).
  SetField(GADGET_VASE_HEIGHT, "0");
  RebuildPreviewMesh(0);
  EXPECT_EQ(gVertexCount, 0);
  DrawCanvas();
  EXPECT_EQ(CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, w / 2, gFrameH / 2),
            Argb(BackgroundColour(gFrameH / 2, gFrameH)));

  // The red height hint stands for every height the preview cannot build,
  // as a project file may bring them, and for none it can.
  auto hintDrawn = [&]() {
    for (int64_t y = 10; y < 28; ++y)
      for (int64_t x = 12; x < 200; ++x) {
        uint32_t p = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, x, y);
        if (((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) < 110) return true;
      }
    return false;
  };
  for (const char* height : {"0", "+Infinity", "NaN", "1e300", "120"}) {
    SetField(GADGET_VASE_HEIGHT, height);
    RebuildPreviewMesh(0);
    DrawCanvas();
    EXPECT_EQ(hintDrawn(), std::string(height) != "120") << height;
    EXPECT_EQ(gVertexCount > 0, std::string(height) == "120") << height;
  }
}

}  // namespace
