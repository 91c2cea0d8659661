// The main program and its event loop.
#pragma once

#include "app/loop_state.h"

// The program's entry; returns the exit code.
int RunMainProgram(int argc, char** argv);
// The start-up once the window system is up: resets the records, the
// document state and the views, divides by count, builds the main window,
// recomputes with fit, sets the title and opens the project named by the
// first program parameter when that file holds at least one byte. Tests
// call it to start afresh.
void StartMainProgram();
// Handles the current event of the window-system layer.
void DispatchCurrentEvent();
// Closes all windows and releases fonts and images (no file stays open
// between commands).
void ShutdownRuntime();
// Waits for and handles events until gQuit is set.
void RunEventLoop();
