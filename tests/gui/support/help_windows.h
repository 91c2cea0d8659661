// Helpers of the About-box and user-guide tests.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Lets the toolkit handle everything pending, then waits for the X server.
void SettleToolkit();
// The first widget of the given type under (and including) a widget.
GtkWidget* FindWidgetOfType(GtkWidget* root, GType type);
// A key press as the keyboard would deliver it to the window's focus.
void SendKey(GtkWidget* window, guint keyval);
// Writes text into a file; the parent folder must exist.
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadWholeFile(const std::string& path);
