// Helpers of the About-box and user-guide tests.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Lets the toolkit handle everything pending, then waits for the X server.
void SettleToolkit();
// The first widget of the given type under (and including) a widget.
GtkWidget* FindWidgetOfType(GtkWidget* root, GType type);
// Writes text into a file; the parent folder must exist.
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadWholeFile(const std::string& path);
