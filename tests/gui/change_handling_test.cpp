#include <gtest/gtest.h>

#include <cmath>

#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "engine/design.h"
#include "import/import_state.h"
#include "tests/gui/support/shell_fixture.h"

namespace {

std::string Status(int64_t field) { return GetStatusBarText(STATUS_BAR_MAIN, field); }

TEST_F(ShellTest, StartUpShowsTheFittedDefaultDesign) {
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project");
  EXPECT_EQ(gModified, 0);
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_COUNT);
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_EQ(Field(GADGET_COUNT), "40");
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "1.806");
  EXPECT_EQ(Field(GADGET_GAP), "1.806");
  EXPECT_EQ(Field(GADGET_DEPTH), "2");
  EXPECT_EQ(Status(STATUS_PITCH), "Pitch = 3.61 mm");
  EXPECT_EQ(Status(STATUS_COUNT), "Count = 40");
  EXPECT_EQ(Status(STATUS_CIRCUMFERENCE), "Circumference = 144.51 mm");
  EXPECT_EQ(Status(STATUS_MESSAGE), "");
  EXPECT_NE(Field(GADGET_INFO).find("Pitch"), std::string::npos);
}

TEST_F(ShellTest, ByCountKeepsTheTypedCountAndWritesSizes) {
  UserClearText(WINDOW_MAIN, GADGET_COUNT);
  UserTypeText(WINDOW_MAIN, GADGET_COUNT, "20");
  DispatchQueuedEvents();
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_EQ(Field(GADGET_COUNT), "20");
  EXPECT_EQ(gResult.count, 20);
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "3.613");  // half the pitch: pi x 46 / 20 / 2
  EXPECT_EQ(Status(STATUS_COUNT), "Count = 20");
}

TEST_F(ShellTest, WriteBackDependsOnTheFigure) {
  // A sine never gets its gap written.
  SetGadgetText(WINDOW_MAIN, GADGET_GAP, "9");
  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, FIGURE_SINE);
  DispatchQueuedEvents();
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_EQ(Field(GADGET_GAP), "9");
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "3.613");  // the whole pitch: pi x 46 / 40

  // A trapezoid gets its top width in count mode, not in width mode.
  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, FIGURE_TRAPEZOID);
  DispatchQueuedEvents();
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  // The share 3.613 / (3.613 + 9) of the pitch: 1.035; top 1 x 1.035 / 3.613.
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "1.035");
  EXPECT_EQ(Field(GADGET_TOP_WIDTH), "0.286");
  gDivideByWidth = DIVIDE_BY_WIDTH;
  SetGadgetText(WINDOW_MAIN, GADGET_TOP_WIDTH, "0.5");
  OnParametersChanged(GADGET_DEPTH, 0);
  EXPECT_EQ(Field(GADGET_TOP_WIDTH), "0.5");
  gDivideByWidth = DIVIDE_BY_COUNT;

  // Square and half circle always get their depth.
  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, FIGURE_SQUARE);
  DispatchQueuedEvents();
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  // Width 1.035 and gap 2.578 (3.613 - 1.035) as written above, the share
  // r = 1.035 / 3.613 of the pitch on a circle shrunk by the depth w
  // itself: w = pi (50 - 2w) r / 40.
  EXPECT_EQ(Field(GADGET_DEPTH), "1.077");
  EXPECT_EQ(Field(GADGET_DEPTH), Field(GADGET_FIGURE_WIDTH));
}

TEST_F(ShellTest, NoWriteBackWithoutFigureOrWithAnError) {
  SetGadgetText(WINDOW_MAIN, GADGET_FIGURE_WIDTH, "7");
  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, FIGURE_NONE);
  DispatchQueuedEvents();
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "7");
  EXPECT_EQ(Status(STATUS_PITCH), "");
  EXPECT_NE(Status(STATUS_CIRCUMFERENCE), "");

  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, FIGURE_RECTANGLE);
  UserClearText(WINDOW_MAIN, GADGET_WIDTH);  // width 0: the engine refuses
  DispatchQueuedEvents();
  EXPECT_EQ(gResult.valid, 0);
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "7");
  EXPECT_EQ(Field(GADGET_WIDTH), "");
  EXPECT_EQ(Status(STATUS_CIRCUMFERENCE), "");
  EXPECT_NE(Field(GADGET_INFO), "");
}

TEST_F(ShellTest, ShiftFromAPositionInPitches) {
  SetShiftFromFraction(3.4);
  EXPECT_EQ(Field(GADGET_SHIFT), "40");
  EXPECT_EQ(gModified, 1);
  SetShiftFromFraction(-0.25);
  EXPECT_EQ(Field(GADGET_SHIFT), "75");
  EXPECT_DOUBLE_EQ(gParams.shift, 0.75);
  SetShiftFromFraction(0.99995);
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  SetShiftFromFraction(0.999999);
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  SetShiftFromFraction(2.0);
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  SetShiftFromFraction(std::nan(""));  // no position: no shift rather than "NaN"
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  EXPECT_EQ(CountQueuedEdits(), 0);
}

TEST_F(ShellTest, ImportedOutlineBecomesTheBaseOutline) {
  PointList square;
  for (auto [x, y] : {std::pair{0.0, 10.0}, {-10.0, 10.0}, {-10.0, -10.0}, {10.0, -10.0}, {10.0, 10.0}})
    AddListPoint(square, x, y);
  gImportFileName = "/home/a/part.dxf";
  gImportMessage = "1 loop";
  ApplyImportedOutline(square, 20.00049, 20);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_IMPORTED);
  EXPECT_EQ(Field(GADGET_WIDTH), "20");
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "part.dxf: 1 loop");
  EXPECT_EQ(gParams.importWidth, 20.00049);
  EXPECT_EQ(gParams.importPoints.size(), 5u);
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_HEIGHT), 1);
  EXPECT_EQ(gModified, 1);
  EXPECT_EQ(CountQueuedEdits(), 0);
  gImportFileName.clear();
  gImportMessage.clear();
}

TEST_F(ShellTest, StlHeightChangesNothingWithoutALoadedModel) {
  std::string info = Field(GADGET_INFO);
  UserTypeText(WINDOW_MAIN, GADGET_STL_Z, "5");
  DispatchQueuedEvents();
  EXPECT_EQ(gModified, 1);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_CIRCLE);
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "");
  EXPECT_EQ(Field(GADGET_INFO), info);
}

}  // namespace
