// Window-system set-up for the help tests: the toolkit once per process and
// a plain main window to stand as the parent of the About box.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Starts the window system on the test's X server; false without one.
bool StartHelpTestWindowSystem();
// Opens window 0 as a resizable 800 x 600 window and lets it map.
void OpenHelpTestMainWindow();
// Lets the toolkit handle everything pending, then waits for the X server.
void SettleToolkit();
// The first widget of the given type under (and including) a widget.
GtkWidget* FindWidgetOfType(GtkWidget* root, GType type);
// Writes text into a file; the parent folder must exist.
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadWholeFile(const std::string& path);
