// The main program, its event loop and the loop's shared state.
#pragma once

#include <cstdint>
#include <string>

extern int64_t gQuit;
// The current event, stored before it is dispatched.
extern int64_t gEventKind;
extern int64_t gEventGadget;
extern int64_t gEventType;
// While 1, gadget events taken from the queue are dropped.
extern int64_t gSuppressEvents;
// DIVIDE_BY_COUNT or DIVIDE_BY_WIDTH: which field was typed last.
extern int64_t gDivideByWidth;
// Folder of the next file dialog, with a trailing "/"; "" at start.
extern std::string gLastFolder;

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
// The folder part of a path, up to and including its last "/".
std::string FolderPart(const std::string& path);
// The file part of a path, after its last "/".
std::string FilePart(const std::string& path);
