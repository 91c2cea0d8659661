#include <gtest/gtest.h>

#include <vector>

#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "engine/design.h"
#include "tests/gui/support/failing_allocation.h"
#include "tests/gui/support/shell_fixture.h"
#include "vase/preview_renderer.h"

namespace {

TEST_F(ShellTest, SuppressedGadgetEventsAreDroppedButMenusAndCloseGoThrough) {
  gSuppressEvents = 1;
  UserTypeText(WINDOW_MAIN, GADGET_FIGURE_WIDTH, "5");
  UserClick(WINDOW_MAIN, GADGET_SHOW_GRID);
  DispatchQueuedEvents();
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_COUNT);
  EXPECT_EQ(gModified, 0);
  EXPECT_EQ(gEventGadget, GADGET_SHOW_GRID);  // stored, then dropped

  PostMenuEvent(MENU_TOGGLE_3D);  // F3
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D), 1);
  EXPECT_EQ(gModified, 1);

  // The project is modified: Cancel in the question keeps the program,
  // No lets it quit.
  WindowEvent close;
  close.kind = EVENT_CLOSE_WINDOW;
  close.window = WINDOW_MAIN;
  AddCannedMessageAnswer(ANSWER_CANCEL);
  PostEvent(close);
  DispatchQueuedEvents();
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(IsWindowOpen(WINDOW_MAIN), 1);
  AddCannedMessageAnswer(ANSWER_NO);
  PostEvent(close);
  DispatchQueuedEvents();
  EXPECT_EQ(gQuit, 1);
  EXPECT_EQ(RecordedDialogCalls().size(), 2u);
  gSuppressEvents = 0;
}

TEST_F(ShellTest, F3TogglesThePreviewBoxAndMarksWithoutRaisingAnEvent) {
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project");
  PostMenuEvent(MENU_TOGGLE_3D);
  EXPECT_EQ(CountQueuedEdits(), 0);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D), 1);
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project *");
  PostMenuEvent(MENU_TOGGLE_3D);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D), 0);
  EXPECT_EQ(gModified, 1);
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project *");
}

TEST_F(ShellTest, ModifiedRuleMarksFormEditsOnly) {
  PostGadgetEvent(GADGET_HELP_BUTTON, EVENT_CLICK);
  HidePopupMenu(MENU_HELP_POPUP);
  PostGadgetEvent(GADGET_CANVAS, EVENT_LEFT_DOWN);
  PostGadgetEvent(GADGET_INFO, EVENT_CHANGE);
  PostGadgetEvent(GADGET_WIDTH, EVENT_FOCUS);  // an entry marks only on a change
  PostGadgetEvent(GADGET_SHOW_GRID, EVENT_FOCUS);  // a check box only on a click
  PostMenuEvent(MENU_FIT_VIEW);
  EXPECT_EQ(gModified, 0);
  UserTypeText(WINDOW_MAIN, GADGET_VASE_HEIGHT, "0");  // preview off: marks only
  DispatchQueuedEvents();
  EXPECT_EQ(gModified, 1);
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project *");

  gModified = 0;
  UserClick(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE);
  DispatchQueuedEvents();
  EXPECT_EQ(gModified, 1);
  gModified = 0;
  UserSelectComboItem(WINDOW_MAIN, GADGET_STEP_AS, STEP_AS_SOLID);
  DispatchQueuedEvents();
  EXPECT_EQ(gModified, 1);
}

TEST_F(ShellTest, HelpButtonShowsThePopupOnAClickOnly) {
  PostGadgetEvent(GADGET_HELP_BUTTON, EVENT_FOCUS);
  EXPECT_EQ(IsPopupMenuShown(MENU_HELP_POPUP), 0);
  PostGadgetEvent(GADGET_HELP_BUTTON, EVENT_CLICK);
  EXPECT_EQ(IsPopupMenuShown(MENU_HELP_POPUP), 1);
  HidePopupMenu(MENU_HELP_POPUP);
  EXPECT_EQ(IsPopupMenuShown(MENU_HELP_POPUP), 0);
}

TEST_F(ShellTest, StepAsEnablesTheStepHeightAtOnce) {
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STEP_HEIGHT), 0);
  UserSelectComboItem(WINDOW_MAIN, GADGET_STEP_AS, STEP_AS_SOLID);
  DispatchQueuedEvents();
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STEP_HEIGHT), 1);
  PostGadgetEvent(GADGET_STEP_AS, EVENT_FOCUS);  // repeats the same setting
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STEP_HEIGHT), 1);
  UserSelectComboItem(WINDOW_MAIN, GADGET_STEP_AS, STEP_AS_CURVE);
  DispatchQueuedEvents();
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STEP_HEIGHT), 0);
}

TEST_F(ShellTest, VaseTypeChangesTheEnablingOfTheWallFields) {
  UserSelectComboItem(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  DispatchQueuedEvents();
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_WALL_THICKNESS), 1);
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_INNER_WALL), 1);
  EXPECT_EQ(gModified, 1);
}

TEST_F(ShellTest, UnknownMenuIdsAndOtherWindowsDoNothing) {
  PostMenuEvent(99);
  PostMenuEvent(108);
  WindowEvent other;
  other.kind = EVENT_CLOSE_WINDOW;
  other.window = 7;
  PostEvent(other);
  DispatchQueuedEvents();
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(gModified, 0);
}

TEST_F(ShellTest, TypingSwitchesTheDivisionKeystrokeByKeystroke) {
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  std::string count = Field(GADGET_COUNT);

  // Typing in the width field: by width, the count is written back.
  UserClearText(WINDOW_MAIN, GADGET_FIGURE_WIDTH);
  DispatchQueuedEvents();
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_WIDTH);
  UserTypeText(WINDOW_MAIN, GADGET_FIGURE_WIDTH, "3");
  DispatchQueuedEvents();
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "3");
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_EQ(Field(GADGET_COUNT), std::to_string(gResult.count));
  EXPECT_NE(Field(GADGET_COUNT), count);
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project *");

  // One keystroke in the count field: back to by count, sizes written back.
  UserTypeText(WINDOW_MAIN, GADGET_COUNT, "0");
  DispatchQueuedEvents();
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_COUNT);
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_EQ(Field(GADGET_COUNT), std::to_string(gResult.count));
  // 300 pitches of pi x 46 / 300, split 3 : 1.806 as typed.
  EXPECT_EQ(Field(GADGET_COUNT), "300");
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "0.301");
  EXPECT_EQ(Field(GADGET_GAP), "0.181");

  // The gap field also drives by width and keeps its own text.
  UserTypeText(WINDOW_MAIN, GADGET_GAP, "5");
  DispatchQueuedEvents();
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_WIDTH);
  EXPECT_EQ(Field(GADGET_GAP).back(), '5');
}

}  // namespace

namespace {

TEST_F(ShellTest, CloseRequestEndsTheProgramWithExitCodeZero) {
  CloseWindow(WINDOW_MAIN);
  WindowEvent close;
  close.kind = EVENT_CLOSE_WINDOW;
  close.window = WINDOW_MAIN;
  PostEvent(close);  // taken by the loop's first wait
  static char name[] = "ribbelo_en";
  static char* args[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, args), 0);
  EXPECT_EQ(gQuit, 1);
  EXPECT_EQ(IsWindowOpen(WINDOW_MAIN), 0);
  StartMainProgram();  // for the fixture's tear-down
}

}  // namespace

namespace {

// The menu id a key raises, or -1 when it raises none.
int64_t MenuOfKey(int64_t key, int64_t modifiers) {
  ClearEventQueue();
  UserPressKey(WINDOW_MAIN, key, modifiers);
  int64_t id = -1;
  while (TakeQueuedEvent() != EVENT_NONE)
    if (EventKindOf() == EVENT_MENU) id = EventMenu();
  return id;
}

TEST_F(ShellTest, ShortcutsRaiseTheirMenuIdsWhateverHasTheFocus) {
  EXPECT_EQ(MenuOfKey(KEY_F5, 0), MENU_FIT_VIEW);
  EXPECT_EQ(MenuOfKey(KEY_D, MODIFIER_CTRL), MENU_EXPORT_DXF);
  EXPECT_EQ(MenuOfKey(KEY_F3, 0), MENU_TOGGLE_3D);
  EXPECT_EQ(MenuOfKey(KEY_O, MODIFIER_CTRL), MENU_OPEN);
  EXPECT_EQ(MenuOfKey(KEY_S, MODIFIER_CTRL), MENU_SAVE);
  EXPECT_EQ(MenuOfKey(KEY_S, MODIFIER_CTRL | MODIFIER_SHIFT), MENU_SAVE_AS);
  EXPECT_EQ(MenuOfKey(KEY_F1, 0), MENU_USER_GUIDE);
  // Other combinations are no shortcuts.
  EXPECT_EQ(MenuOfKey(KEY_S, 0), -1);
  EXPECT_EQ(MenuOfKey(KEY_F3, MODIFIER_CTRL), -1);
  EXPECT_EQ(MenuOfKey(KEY_D, MODIFIER_CTRL | MODIFIER_ALT), -1);
  // A shortcut goes before the field with the focus; the field keeps its text.
  FocusGadget(WINDOW_MAIN, GADGET_WIDTH);
  EXPECT_EQ(MenuOfKey(KEY_F3, 0), MENU_TOGGLE_3D);
  EXPECT_EQ(Field(GADGET_WIDTH), "50");
}

TEST_F(ShellTest, MemoryRunningOutInAnEventKeepsTheProgramAndItsDocument) {
  // Without a mesh the first large request of the switch to 3D is the
  // preview's frame buffer, made anew.
  SetGadgetText(WINDOW_MAIN, GADGET_VASE_HEIGHT, "0");
  DispatchQueuedEvents();
  gFrameW = gFrameH = 0;
  std::vector<uint32_t>().swap(gFrameColour);
  FailNextAllocationOf(64 * 1024);
  PostMenuEvent(MENU_TOGGLE_3D);
  ASSERT_FALSE(AllocationFailurePending());
  ASSERT_EQ(gFrameW, 0);  // it failed there
  ASSERT_FALSE(RecordedDialogCalls().empty());
  EXPECT_EQ(RecordedDialogCalls().back().text, "Not enough memory for this action.");
  EXPECT_EQ(RecordedDialogCalls().back().icon, ICON_ERROR);
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(gSuppressEvents, 0);
  EXPECT_EQ(IsWindowOpen(WINDOW_MAIN), 1);
  // The next redraw makes the buffers it lacks.
  PostMenuEvent(MENU_FIT_VIEW);
  EXPECT_GT(gFrameW, 0);
  EXPECT_EQ(static_cast<int64_t>(gFrameColour.size()), gFrameW * gFrameH);
  // The design is still there and still answers edits.
  UserClearText(WINDOW_MAIN, GADGET_COUNT);
  UserTypeText(WINDOW_MAIN, GADGET_COUNT, "7");
  DispatchQueuedEvents();
  EXPECT_EQ(gResult.valid, 1);
  EXPECT_EQ(gResult.count, 7);
  EXPECT_EQ(RecordedDialogCalls().size(), 1u);
}

}  // namespace
