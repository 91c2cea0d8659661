#include <gtest/gtest.h>

#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/main_window.h"
#include "engine/design.h"
#include "tests/gui/support/shell_fixture.h"

namespace {

TEST(LayoutMetrics, FollowTheTextHeight) {
  SetLayoutMetrics(15, 120.4);
  EXPECT_EQ(gTextHeight, 15);
  EXPECT_EQ(gButtonHeight, 33);
  EXPECT_EQ(gRowPitch, 38);
  EXPECT_EQ(gFieldWidth, 140);
  EXPECT_EQ(gFieldX, 142);
  EXPECT_EQ(gPanelWidth, 142 + 140 + 10);
  SetLayoutMetrics(16, 0);
  EXPECT_EQ(gFieldWidth, 150);  // 149.33 rounded up
  SetLayoutMetrics(9, 0);
  EXPECT_EQ(gTextHeight, 15);  // too small to be real
  SetLayoutMetrics(0, 0);
  EXPECT_EQ(gTextHeight, 15);
  EXPECT_EQ(gFieldX, 22);
  SetLayoutMetrics(17.5, 99.5);
  EXPECT_EQ(gTextHeight, 18);
  EXPECT_EQ(gFieldX, 122);
}

TEST(LayoutMetrics, WindowHeightFromTheMonitor) {
  EXPECT_EQ(MainWindowHeight(768), 688);
  EXPECT_EQ(MainWindowHeight(1080), 800);
  EXPECT_EQ(MainWindowHeight(880), 800);
  EXPECT_EQ(MainWindowHeight(0), 800);
  EXPECT_EQ(MainWindowHeight(-1), 800);
}

TEST_F(ShellTest, ColumnHoldsTheFieldTableInOrder) {
  // Defaults and captions of a sample of the table.
  EXPECT_EQ(Field(GADGET_STL_Z), "10");
  EXPECT_EQ(Field(GADGET_WIDTH), "50");
  EXPECT_EQ(Field(GADGET_HEIGHT), "30");
  EXPECT_EQ(Field(GADGET_CORNER_RADIUS), "5");
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  EXPECT_EQ(Field(GADGET_VASE_HEIGHT), "120");
  EXPECT_EQ(Field(GADGET_TOP_SCALE), "100");
  EXPECT_EQ(Field(GADGET_STEPS), "60");
  EXPECT_EQ(Field(GADGET_WALL_THICKNESS), "1.6");
  EXPECT_EQ(Field(GADGET_SMALLEST_SIZE), "0.4");
  EXPECT_EQ(Field(GADGET_POINT_SPACING), "0.1");
  EXPECT_EQ(Field(GADGET_STEP_HEIGHT), "10");
  EXPECT_EQ(Field(GADGET_IMPORT_BUTTON), "DXF / STL...");
  EXPECT_EQ(Field(GADGET_BASE_HEADING), "Base outline");
  EXPECT_EQ(Field(GADGET_SHOW_3D), "Show 3D preview (F3)");
  EXPECT_EQ(Field(GADGET_SHAPE), "Circle");
  EXPECT_EQ(Field(GADGET_FIGURE), "Rectangle");
  EXPECT_EQ(Field(GADGET_DIRECTION), "outward");
  EXPECT_EQ(Field(GADGET_VASE_TYPE), "solid");
  EXPECT_EQ(Field(GADGET_INNER_WALL), "automatic");
  EXPECT_EQ(Field(GADGET_STEP_AS), "curve (outline)");
  EXPECT_EQ(ComboItemCount(WINDOW_MAIN, GADGET_FIGURE), 7);
  EXPECT_EQ(GetComboItemText(WINDOW_MAIN, GADGET_FIGURE, 5), "Half circle");
  EXPECT_EQ(GetComboItemText(WINDOW_MAIN, GADGET_SHAPE, 3), "Imported (DXF/STL)");
  EXPECT_EQ(GetComboItemText(WINDOW_MAIN, GADGET_INNER_WALL, 1), "follows the pattern");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_GRID), 1);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_BASE_LINE), 1);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_FILL), 1);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D), 0);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE), 0);
  EXPECT_EQ(GetGadgetTooltip(WINDOW_MAIN, GADGET_SAVE_AS_BUTTON), "Save project under a new name (Ctrl+Shift+S)");
  EXPECT_EQ(GetGadgetTooltip(WINDOW_MAIN, GADGET_STL_Z), "");

  // Creation order runs down the column: 13 above 7, 48 above 47 above 46.
  int64_t th = gTextHeight, bh = gButtonHeight, row = gRowPitch;
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_OPEN_BUTTON), 8);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_BASE_HEADING), 8 + bh + 16);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_SHAPE), 8 + bh + 16 + th + 10);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_STL_Z), GadgetY(WINDOW_MAIN, GADGET_SHAPE) + 2 * row + 3 * th + 8);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_WIDTH), GadgetY(WINDOW_MAIN, GADGET_STL_Z) + row);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_STEP_HEIGHT), GadgetY(WINDOW_MAIN, GADGET_STEP_AS) + row);
  EXPECT_EQ(GadgetY(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE), GadgetY(WINDOW_MAIN, GADGET_STEP_HEIGHT) + row);
  EXPECT_EQ(gInfoFieldY, GadgetY(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE) + row + 4);
  EXPECT_EQ(GadgetX(WINDOW_MAIN, GADGET_WIDTH), gFieldX);
  EXPECT_EQ(GadgetWidth(WINDOW_MAIN, GADGET_WIDTH), gFieldWidth);
  int64_t b = (gPanelWidth - 26) / 4;
  EXPECT_EQ(GadgetX(WINDOW_MAIN, GADGET_HELP_BUTTON), 3 * b + 26);
  EXPECT_EQ(GadgetX(WINDOW_MAIN, GADGET_CANVAS), gCanvasX + 4);
  EXPECT_EQ(gCanvasX, gPanelWidth + 22);
}

TEST_F(ShellTest, ResizeFitsColumnInfoFieldAndCanvas) {
  int64_t w = WindowInnerWidth(WINDOW_MAIN);
  int64_t h = WindowInnerHeight(WINDOW_MAIN) - StatusBarHeight(STATUS_BAR_MAIN);
  EXPECT_EQ(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), std::max<int64_t>(w - gCanvasX - 8, 50));
  EXPECT_EQ(GadgetHeight(WINDOW_MAIN, GADGET_CANVAS), h - 8);
  EXPECT_EQ(GadgetHeight(WINDOW_MAIN, GADGET_LEFT_PANEL), h);

  // A recompute would replace the result; a resize must not.
  gResult.warnings.push_back("sentinel");
  ResizeWindow(WINDOW_MAIN, 700, 450);
  ASSERT_TRUE(WaitUntil([] { return WindowInnerHeight(WINDOW_MAIN) == 450; }));
  ExpectLayoutOnTheRule("small");
  h = 450 - StatusBarHeight(STATUS_BAR_MAIN);
  EXPECT_EQ(GadgetHeight(WINDOW_MAIN, GADGET_INFO), 160);  // the column then scrolls
  EXPECT_EQ(GadgetHeight(WINDOW_MAIN, GADGET_CANVAS), std::max<int64_t>(h - 8, 50));
  EXPECT_GE(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), 50);
  ASSERT_FALSE(gResult.warnings.empty());
  EXPECT_EQ(gResult.warnings.back(), "sentinel");
  EXPECT_EQ(CountQueuedEdits(), 0);

  ResizeWindow(WINDOW_MAIN, 1300, 1000);
  ASSERT_TRUE(WaitUntil([] { return WindowInnerHeight(WINDOW_MAIN) == 1000; }));
  h = 1000 - StatusBarHeight(STATUS_BAR_MAIN);
  // The information field grows; its bottom stays 8 px above the column's.
  EXPECT_EQ(gInfoFieldY + GadgetHeight(WINDOW_MAIN, GADGET_INFO) + 8, std::max(h, gInfoFieldY + 168));
  EXPECT_EQ(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), 1300 - gCanvasX - 8);
  ExpectLayoutOnTheRule("large");
}

}  // namespace
