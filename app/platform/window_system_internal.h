// Shared between the toolkit files of the window-system layer only.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/platform/window_system.h"

// The toolkit window of a program window id, or nullptr.
GtkWidget* ToolkitWindow(int64_t window);

namespace window_system_detail {

enum GadgetKind { KIND_BUTTON, KIND_TEXT, KIND_ENTRY, KIND_COMBO, KIND_CHECK, KIND_EDITOR, KIND_CANVAS, KIND_IMAGE, KIND_SCROLL };

struct Gadget {
  int64_t kind = KIND_TEXT;
  int64_t window = 0;
  int64_t id = 0;
  GtkWidget* outer = nullptr;   // placed in the container
  GtkWidget* inner = nullptr;   // holds the content and raises the signals
  GtkWidget* area = nullptr;    // scroll area: its inner layout
  GtkWidget* parent = nullptr;  // the layout the gadget was put into
  int64_t x = 0, y = 0, w = 0, h = 0;
  std::vector<gulong> quietHandlers;  // blocked around programmatic changes
  GtkCssProvider* fontCss = nullptr;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
  double wheelRest = 0;
};

// The widget a gadget's size applies to: a canvas's drawing area inside its
// frame, the placed widget for every other kind.
inline GtkWidget* SizedWidget(const Gadget* g) { return g->kind == KIND_CANVAS ? g->inner : g->outer; }

struct Shortcut {
  int64_t key = 0;
  int64_t modifiers = 0;
  int64_t id = 0;
};

struct Window {
  int64_t id = 0;
  GtkWidget* window = nullptr;
  GtkWidget* box = nullptr;
  GtkWidget* layout = nullptr;
  int64_t openW = 0, openH = 0;
  int64_t allocW = 0, allocH = 0;  // the window's inner size as allocated
  int64_t areaH = 0;                 // of that, the height above the status bar
  void (*resize)() = nullptr;
  std::map<int64_t, std::unique_ptr<Gadget>> gadgets;
  std::vector<Shortcut> shortcuts;
  int64_t nextAutoId = 100000;
};

struct StatusBar {
  int64_t window = 0;
  GtkWidget* box = nullptr;
  std::vector<GtkWidget*> labels;
};

struct Font {
  std::string family;
  double points = 10;
  int64_t bold = 0;
};

struct Menu {
  GtkWidget* menu = nullptr;
  int64_t window = 0;
};

extern std::map<int64_t, std::unique_ptr<Window>> gWindows;
extern std::map<int64_t, std::unique_ptr<StatusBar>> gStatusBars;
extern std::map<int64_t, Font> gFonts;
extern std::map<int64_t, std::unique_ptr<Menu>> gMenus;
// The open gadget list: the scroll area new gadgets go into.
extern Gadget* gOpenList;

Window* FindWindow(int64_t window);
Gadget* FindGadget(int64_t window, int64_t id);
void Queue(int64_t kind, int64_t window, int64_t id, int64_t type);
int64_t ModifierBits(guint state);
// Pointer positions in whole pixels of the canvas's drawing surface.
void QueuePointer(Gadget* g, int64_t type, double x, double y, guint state, int64_t notches);
// Frees what the layer allocated for a gadget (not the widget).
void ReleaseGadget(Gadget* g);

}  // namespace window_system_detail
