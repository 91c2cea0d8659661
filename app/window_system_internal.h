// Shared between the toolkit files of the window-system layer only.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

// The toolkit window of a program window id, or nullptr.
GtkWidget* ToolkitWindow(int64_t window);
