// The window system is started once per test process; every test gets a
// freshly built main window with the default design, canned dialogs and
// an empty event queue.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/platform/window_system.h"
#include "app/platform/window_system_test_input.h"

void EnsureWindowSystem();

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Handles every queued event as the loop would.
void DispatchQueuedEvents();
// Posts one event of the main window and handles the queue.
void PostGadgetEvent(int64_t gadget, int64_t type);
void PostMenuEvent(int64_t id);
// Lets the toolkit run, takes every queued event and counts the edits
// among them (changes, clicks, menu and close events). Focus and pointer
// events, which windows of other tests on the same X server cause, are
// not counted.
int64_t CountQueuedEdits();
// Replaces a field's text the way the user does, one change per
// keystroke, and handles the changes.
void Retype(int64_t gadget, const std::string& text);
// Chooses a combo box item the way the user does and handles the change.
void Choose(int64_t gadget, int64_t index);
// Text of a field of the main window.
std::string Field(int64_t gadget);
// The message field of the main window's status bar.
std::string Status();
// Forgets the imported model, file, message and last folder, and the
// canned dialogs.
void ResetImportState();
// Runs the import command with the open dialog answering path.
void ImportPath(const std::string& path);
// Lets the toolkit run until condition holds or about the given time has
// passed; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000);
// Lets the toolkit run until the main window's inner size differs from the
// given one and then holds still; false when it never changes.
bool WaitForNewWindowSize(int64_t oldW, int64_t oldH);
// What the toolkit allocated to column, information field and canvas, and
// the canvas image, follow the resize rule for the window's current size.
void ExpectLayoutOnTheRule(const char* when);

// Runs a program and waits; returns its exit status (-1 when it could not
// run). extraEnv entries are "NAME=value"; "NAME=" removes NAME.
int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, std::string& out,
               std::string& err);
// Starts a program in the background with standard error going to
// errPath; returns its process id or -1.
int StartProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                 const std::string& errPath);
// Ends a program started by StartProgram and collects it; one that does
// not end on SIGTERM within two seconds is killed.
void StopProgram(int pid);
// Output of a shell command line (for xdotool).
std::string CommandOutput(const std::string& command);
// The X id of a window whose whole title matches the extended regular
// expression, of the given process when pid > 0, waiting up to the given
// time; "" when none appears.
std::string WaitForWindow(const std::string& titlePattern, int pid = 0, int milliseconds = 10000);
// The title of an X window.
std::string WindowName(const std::string& id);
// Waits up to the given time for the window's title; returns the last one seen.
std::string WaitForWindowName(const std::string& id, const std::string& title, int milliseconds = 5000);
