#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "app/gadgets.h"
#include "app/main_program.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

WindowEvent Move(int64_t gadget, int64_t x, int64_t y) {
  WindowEvent e;
  e.kind = EVENT_GADGET;
  e.window = WINDOW_MAIN;
  e.id = gadget;
  e.type = EVENT_MOUSE_MOVE;
  e.x = x;
  e.y = y;
  return e;
}

TEST_F(ShellTest, EventQueueMergesOnlyAMoveDirectlyBehindAnEqualMove) {
  PostEvent(Move(GADGET_CANVAS, 1, 1));
  PostEvent(Move(GADGET_CANVAS, 5, 6));
  ASSERT_EQ(QueuedEventCount(), 1);
  PostEvent(Move(GADGET_INFO, 7, 7));  // another gadget: kept apart
  WindowEvent down = Move(GADGET_CANVAS, 8, 8);
  down.type = EVENT_LEFT_DOWN;
  PostEvent(down);
  PostEvent(Move(GADGET_CANVAS, 9, 9));  // behind a press: kept apart
  ASSERT_EQ(QueuedEventCount(), 4);
  ASSERT_EQ(PollEvent(), EVENT_GADGET);
  EXPECT_EQ(EventGadget(), GADGET_CANVAS);
  EXPECT_EQ(EventX(), 5);
  EXPECT_EQ(EventY(), 6);
  ASSERT_EQ(PollEvent(), EVENT_GADGET);
  EXPECT_EQ(EventGadget(), GADGET_INFO);
  ASSERT_EQ(PollEvent(), EVENT_GADGET);
  EXPECT_EQ(EventType(), EVENT_LEFT_DOWN);
  ASSERT_EQ(PollEvent(), EVENT_GADGET);
  EXPECT_EQ(EventX(), 9);
  EXPECT_EQ(CountQueuedEdits(), 0);
}

TEST_F(ShellTest, ProgrammaticChangesRaiseNoEvents) {
  SetGadgetText(WINDOW_MAIN, GADGET_WIDTH, "77");
  SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "12");
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, 4);
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_GRID, 0);
  SetGadgetText(WINDOW_MAIN, GADGET_INFO, "info");
  EnableGadget(WINDOW_MAIN, GADGET_GAP, 0);
  EXPECT_EQ(CountQueuedEdits(), 0);
  EXPECT_EQ(Field(GADGET_WIDTH), "77");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_FIGURE), 4);
  EXPECT_EQ(Field(GADGET_FIGURE), "Trapezoid");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_GRID), 0);
  EXPECT_EQ(Field(GADGET_INFO), "info");
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_GAP), 0);
}

TEST_F(ShellTest, UserEditsRaiseOneChangePerKeystroke) {
  UserTypeText(WINDOW_MAIN, GADGET_FILLET, "1,5");
  ASSERT_EQ(QueuedEventCount(), 3);
  for (int i = 0; i < 3; ++i) {
    PollEvent();
    EXPECT_EQ(EventGadget(), GADGET_FILLET);
    EXPECT_EQ(EventType(), EVENT_CHANGE);
  }
  EXPECT_EQ(Field(GADGET_FILLET), "01,5");
  ClearEventQueue();
  UserSelectComboItem(WINDOW_MAIN, GADGET_SHAPE, 2);
  ASSERT_EQ(QueuedEventCount(), 1);
  ASSERT_EQ(PollEvent(), EVENT_GADGET);
  EXPECT_EQ(EventGadget(), GADGET_SHAPE);
  EXPECT_EQ(EventType(), EVENT_CHANGE);
}

TEST_F(ShellTest, CountAndStepsFieldsTakeDigitsOnly) {
  UserClearText(WINDOW_MAIN, GADGET_COUNT);
  UserTypeText(WINDOW_MAIN, GADGET_COUNT, "1a2-3.4 5");
  EXPECT_EQ(Field(GADGET_COUNT), "12345");
  UserClearText(WINDOW_MAIN, GADGET_STEPS);
  UserTypeText(WINDOW_MAIN, GADGET_STEPS, "-x");
  EXPECT_EQ(Field(GADGET_STEPS), "");
  // Other fields keep what is typed, and the program may write anything.
  UserTypeText(WINDOW_MAIN, GADGET_FILLET, "a");
  EXPECT_EQ(Field(GADGET_FILLET), "0a");
  SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "-7");
  EXPECT_EQ(Field(GADGET_COUNT), "-7");
}

TEST_F(ShellTest, ButtonsAndCheckBoxesRaiseOnlyClicks) {
  UserClick(WINDOW_MAIN, GADGET_SHOW_FILL);
  UserClick(WINDOW_MAIN, GADGET_DXF_BUTTON);
  FocusGadget(WINDOW_MAIN, GADGET_SHOW_FILL);
  FocusGadget(WINDOW_MAIN, GADGET_SAVE_BUTTON);
  ProcessPendingToolkitEvents();
  int64_t clicks = 0;
  while (PollEvent() != EVENT_NONE) {
    if (EventGadget() == GADGET_SHOW_FILL || EventGadget() == GADGET_DXF_BUTTON ||
        EventGadget() == GADGET_SAVE_BUTTON) {
      EXPECT_EQ(EventType(), EVENT_CLICK);
      ++clicks;
    }
  }
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_FILL), 0);
}

TEST_F(ShellTest, WheelOverAComboScrollsTheColumnAndKeepsTheSelection) {
  ResizeWindow(WINDOW_MAIN, 1000, 500);
  WaitUntil([] { return WindowInnerHeight(WINDOW_MAIN) == 500; }, 500);
  ProcessPendingToolkitEvents();
  ASSERT_EQ(ScrollAreaOffsetY(WINDOW_MAIN, GADGET_LEFT_PANEL), 0);
  UserTurnWheel(WINDOW_MAIN, GADGET_FIGURE, -3);
  ProcessPendingToolkitEvents();
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_FIGURE), 1);
  EXPECT_EQ(CountQueuedEdits(), 0);
  EXPECT_GT(ScrollAreaOffsetY(WINDOW_MAIN, GADGET_LEFT_PANEL), 0);
  UserTurnWheel(WINDOW_MAIN, GADGET_FIGURE, 10);
  EXPECT_EQ(ScrollAreaOffsetY(WINDOW_MAIN, GADGET_LEFT_PANEL), 0);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_FIGURE), 1);
}

TEST_F(ShellTest, CanvasWheelGivesNotchesAndPosition) {
  ProcessPendingToolkitEvents();
  UserTurnWheel(WINDOW_MAIN, GADGET_CANVAS, -2);
  ASSERT_EQ(QueuedEventCount(), 2);
  PollEvent();
  EXPECT_EQ(EventType(), EVENT_WHEEL);
  EXPECT_EQ(EventWheelNotches(), -1);
}

TEST_F(ShellTest, CannedDialogsRecordTheCallAndAnswerInTurn) {
  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer("/tmp/a.omt");
  EXPECT_EQ(ShowMessageBox("T", "question", BUTTONS_YES_NO_CANCEL, ICON_NONE), ANSWER_YES);
  // With no answers left a box answers its cancelling button.
  EXPECT_EQ(ShowMessageBox("T", "q", BUTTONS_YES_NO_CANCEL, ICON_NONE), ANSWER_CANCEL);
  EXPECT_EQ(ShowMessageBox("T", "q", BUTTONS_YES_NO, ICON_WARNING), ANSWER_NO);
  EXPECT_EQ(ShowMessageBox("T", "q", BUTTONS_OK, ICON_ERROR), ANSWER_OK);
  EXPECT_EQ(ShowSaveFileDialog("Save", "/tmp/x.omt", "A (*.omt)|*.omt"), "/tmp/a.omt");
  EXPECT_EQ(ShowOpenFileDialog("Open", "", "A (*.omt)|*.omt"), "");
  const std::vector<DialogCall>& calls = RecordedDialogCalls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].text, "question");
  EXPECT_EQ(calls[0].buttons, BUTTONS_YES_NO_CANCEL);
  EXPECT_EQ(calls[2].icon, ICON_WARNING);
  EXPECT_EQ(calls[4].kind, DIALOG_SAVE);
  EXPECT_EQ(calls[4].defaultPath, "/tmp/x.omt");
  EXPECT_EQ(calls[5].kind, DIALOG_OPEN);
}

TEST(FilesAndFolders, SizeOfMissingEmptyFullFileAndFolder) {
  TempFolder scratch;
  ASSERT_FALSE(scratch.Dir().empty());
  std::string empty = scratch.Path("empty"), full = scratch.Path("full");
  std::ofstream(empty).close();
  std::ofstream(full) << "abc";
  EXPECT_EQ(FileSize(scratch.Path("missing")), -1);
  EXPECT_EQ(FileSize(""), -1);
  EXPECT_EQ(FileSize(scratch.Dir()), -2);
  EXPECT_EQ(FileSize(empty), 0);
  EXPECT_EQ(FileSize(full), 3);
  std::string cwd = CurrentDirectory();
  ASSERT_FALSE(cwd.empty());
  EXPECT_EQ(cwd.back(), '/');
  EXPECT_EQ(FileSize(cwd), -2);
}

TEST_F(ShellTest, StatusBarHasFiveFieldsAndKeepsTexts) {
  SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, "Saved: a.omt");
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE), "Saved: a.omt");
  SetStatusBarText(STATUS_BAR_MAIN, 5, "none");  // no sixth field
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, 5), "");
  EXPECT_GT(StatusBarHeight(STATUS_BAR_MAIN), 0);
}

TEST_F(ShellTest, CanvasDrawingHookKeepsTheImage) {
  cairo_t* cr = BeginCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  ASSERT_NE(cr, nullptr);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  EndCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  EXPECT_EQ(CanvasSurfaceWidth(WINDOW_MAIN, GADGET_CANVAS), GadgetWidth(WINDOW_MAIN, GADGET_CANVAS));
  EXPECT_EQ(CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, 3, 3), 0xFFFF0000u);
  EXPECT_EQ(BeginCanvasDrawing(WINDOW_MAIN, GADGET_INFO), nullptr);  // not a canvas
}

}  // namespace
