// The window-system layer on GTK 3: ids to widgets, the event queue, and
// the gadget, window, menu, font and canvas operations. Signal handlers
// only queue an event record; programmatic changes block the layer's own
// handlers, because GTK emits "changed" and "toggled" synchronously.
#include <gtk/gtk.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <deque>
#include <map>
#include <memory>

#include "app/window_system.h"
#include "app/window_system_internal.h"

namespace {

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
  int64_t allocW = 0, allocH = 0;
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

std::map<int64_t, std::unique_ptr<Window>> gWindows;
std::map<int64_t, std::unique_ptr<StatusBar>> gStatusBars;
std::map<int64_t, Font> gFonts;
std::map<int64_t, std::unique_ptr<Menu>> gMenus;
std::deque<WindowEvent> gQueue;
WindowEvent gCurrent;
std::vector<std::string> gParameters;
// The open gadget list: the scroll area new gadgets go into.
Gadget* gOpenList = nullptr;

Window* FindWindow(int64_t window) {
  auto it = gWindows.find(window);
  return it == gWindows.end() ? nullptr : it->second.get();
}

Gadget* FindGadget(int64_t window, int64_t id) {
  Window* w = FindWindow(window);
  if (w == nullptr) return nullptr;
  auto it = w->gadgets.find(id);
  return it == w->gadgets.end() ? nullptr : it->second.get();
}

void Queue(int64_t kind, int64_t window, int64_t id, int64_t type) {
  WindowEvent event;
  event.kind = kind;
  event.window = window;
  event.id = id;
  event.type = type;
  PostEvent(event);
}

int64_t ModifierBits(guint state) {
  int64_t bits = 0;
  if (state & GDK_SHIFT_MASK) bits |= MODIFIER_SHIFT;
  if (state & GDK_MOD1_MASK) bits |= MODIFIER_ALT;
  if (state & GDK_CONTROL_MASK) bits |= MODIFIER_CTRL;
  return bits;
}

// Pointer positions in whole pixels of the canvas's drawing surface.
void QueuePointer(Gadget* g, int64_t type, double x, double y, guint state, int64_t notches) {
  double scale = gtk_widget_get_scale_factor(g->inner);
  WindowEvent event;
  event.kind = EVENT_GADGET;
  event.window = g->window;
  event.id = g->id;
  event.type = type;
  event.x = static_cast<int64_t>(std::floor(x * scale));
  event.y = static_cast<int64_t>(std::floor(y * scale));
  event.modifiers = ModifierBits(state);
  event.wheelNotches = notches;
  PostEvent(event);
}

// ---- signal handlers: each only queues an event

void OnClicked(GtkWidget*, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  Queue(EVENT_GADGET, g->window, g->id, EVENT_CLICK);
}

void OnChanged(GtkWidget*, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  Queue(EVENT_GADGET, g->window, g->id, EVENT_CHANGE);
}

gboolean OnFocusIn(GtkWidget*, GdkEvent*, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  Queue(EVENT_GADGET, g->window, g->id, EVENT_FOCUS);
  return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEvent*, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  Queue(EVENT_GADGET, g->window, g->id, EVENT_LOST_FOCUS);
  return FALSE;
}

// Typed characters other than digits are dropped.
void OnDigitsInsert(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  std::string all = length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
  std::string digits;
  for (char c : all)
    if (c >= '0' && c <= '9') digits += c;
  if (digits == all) return;
  g_signal_handlers_block_by_func(editable, reinterpret_cast<gpointer>(OnDigitsInsert), g);
  if (!digits.empty()) gtk_editable_insert_text(editable, digits.c_str(), static_cast<gint>(digits.size()), position);
  g_signal_handlers_unblock_by_func(editable, reinterpret_cast<gpointer>(OnDigitsInsert), g);
  g_signal_stop_emission_by_name(editable, "insert-text");
}

// A wheel turn over a combo box scrolls the column instead of changing
// the selection.
gboolean OnComboScroll(GtkWidget* widget, GdkEventScroll* event, gpointer) {
  GtkWidget* scrolled = gtk_widget_get_ancestor(widget, GTK_TYPE_SCROLLED_WINDOW);
  if (scrolled == nullptr) return TRUE;
  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled));
  double page = gtk_adjustment_get_page_size(adj);
  double step = std::pow(std::max(page, 1.0), 2.0 / 3.0);
  double delta = 0;
  if (event->direction == GDK_SCROLL_UP) delta = -step;
  if (event->direction == GDK_SCROLL_DOWN) delta = step;
  if (event->direction == GDK_SCROLL_SMOOTH) delta = event->delta_y * step;
  double top = gtk_adjustment_get_upper(adj) - page;
  double value = std::clamp(gtk_adjustment_get_value(adj) + delta, gtk_adjustment_get_lower(adj),
                            std::max(top, gtk_adjustment_get_lower(adj)));
  gtk_adjustment_set_value(adj, value);
  return TRUE;
}

gboolean OnCanvasDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  if (g->surface == nullptr) return FALSE;
  double scale = gtk_widget_get_scale_factor(widget);
  cairo_save(cr);
  cairo_scale(cr, 1.0 / scale, 1.0 / scale);
  cairo_set_source_surface(cr, g->surface, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  return TRUE;
}

gboolean OnCanvasButton(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  int64_t type = -1;
  if (event->button == 1) {
    if (event->type == GDK_BUTTON_PRESS) type = EVENT_LEFT_DOWN;
    if (event->type == GDK_2BUTTON_PRESS) type = EVENT_LEFT_DOUBLE_CLICK;
    if (event->type == GDK_BUTTON_RELEASE) type = EVENT_LEFT_UP;
  } else if (event->button == 3) {
    if (event->type == GDK_BUTTON_PRESS) type = EVENT_RIGHT_DOWN;
    if (event->type == GDK_BUTTON_RELEASE) type = EVENT_RIGHT_UP;
  }
  if (type >= 0) QueuePointer(g, type, event->x, event->y, event->state, 0);
  return TRUE;
}

gboolean OnCanvasMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  QueuePointer(static_cast<Gadget*>(data), EVENT_MOUSE_MOVE, event->x, event->y, event->state, 0);
  return TRUE;
}

gboolean OnCanvasLeave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  if (event->mode == GDK_CROSSING_NORMAL)
    QueuePointer(static_cast<Gadget*>(data), EVENT_MOUSE_LEAVE, event->x, event->y, event->state, 0);
  return FALSE;
}

gboolean OnCanvasScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  int64_t notches = 0;
  if (event->direction == GDK_SCROLL_UP) notches = 1;
  if (event->direction == GDK_SCROLL_DOWN) notches = -1;
  if (event->direction == GDK_SCROLL_SMOOTH) {
    g->wheelRest -= event->delta_y;
    notches = static_cast<int64_t>(std::trunc(g->wheelRest));
    g->wheelRest -= static_cast<double>(notches);
  }
  if (notches != 0) QueuePointer(g, EVENT_WHEEL, event->x, event->y, event->state, notches);
  return TRUE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* w = static_cast<Window*>(data);
  Queue(EVENT_CLOSE_WINDOW, w->id, -1, 0);
  return TRUE;
}

int64_t KeyOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_F1: return KEY_F1;
    case GDK_KEY_F3: return KEY_F3;
    case GDK_KEY_F5: return KEY_F5;
    case GDK_KEY_Escape: return KEY_ESCAPE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return KEY_RETURN;
    default: break;
  }
  guint upper = gdk_keyval_to_upper(keyval);
  if (upper >= 'A' && upper <= 'Z') return static_cast<int64_t>(upper);
  return 0;
}

// Shortcuts go before the focused gadget sees the key.
gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
  auto* w = static_cast<Window*>(data);
  int64_t key = KeyOf(event->keyval);
  int64_t mods = ModifierBits(event->state);
  for (const Shortcut& s : w->shortcuts) {
    if (s.key == key && s.modifiers == mods) {
      Queue(EVENT_MENU, w->id, s.id, 0);
      return TRUE;
    }
  }
  return FALSE;
}

void OnBoxAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* w = static_cast<Window*>(data);
  if (allocation->width == w->allocW && allocation->height == w->allocH) return;
  w->allocW = allocation->width;
  w->allocH = allocation->height;
  if (w->resize != nullptr) w->resize();
}

void OnMenuActivate(GtkMenuItem*, gpointer data) {
  auto id = static_cast<int64_t>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(data), "ribbelo-id")));
  auto* menu = static_cast<Menu*>(g_object_get_data(G_OBJECT(data), "ribbelo-menu"));
  Queue(EVENT_MENU, menu != nullptr ? menu->window : WINDOW_MAIN, id, 0);
}

// ---- gadget plumbing

void ApplySize(Gadget* g) {
  if (g->kind == KIND_CANVAS) {
    gtk_widget_set_size_request(g->inner, static_cast<int>(std::max<int64_t>(g->w, 1)),
                                static_cast<int>(std::max<int64_t>(g->h, 1)));
  } else {
    gtk_widget_set_size_request(g->outer, static_cast<int>(std::max<int64_t>(g->w, 1)),
                                static_cast<int>(std::max<int64_t>(g->h, 1)));
  }
}

int64_t AddGadget(int64_t window, int64_t id, int64_t kind, GtkWidget* outer, GtkWidget* inner, int64_t x, int64_t y,
                  int64_t w, int64_t h) {
  Window* win = FindWindow(window);
  if (win == nullptr) {
    gtk_widget_destroy(outer);
    return -1;
  }
  if (id < 0) id = win->nextAutoId++;
  auto old = win->gadgets.find(id);
  if (old != win->gadgets.end()) {
    gtk_widget_destroy(old->second->outer);
    win->gadgets.erase(old);
  }
  auto g = std::make_unique<Gadget>();
  g->kind = kind;
  g->window = window;
  g->id = id;
  g->outer = outer;
  g->inner = inner;
  g->x = x;
  g->y = y;
  g->w = w;
  g->h = h;
  g->parent = (gOpenList != nullptr && gOpenList->window == window) ? gOpenList->area : win->layout;
  ApplySize(g.get());
  gtk_layout_put(GTK_LAYOUT(g->parent), outer, static_cast<gint>(x), static_cast<gint>(y));
  gtk_widget_show_all(outer);
  win->gadgets[id] = std::move(g);
  return id;
}

Gadget* Created(int64_t window, int64_t id) { return id < 0 ? nullptr : FindGadget(window, id); }

void Quiet(Gadget* g, gulong handler) { g->quietHandlers.push_back(handler); }

// Runs a programmatic change with the layer's own handlers blocked.
template <typename F>
void Silently(Gadget* g, F change) {
  for (gulong h : g->quietHandlers) g_signal_handler_block(g->inner, h);
  change();
  for (gulong h : g->quietHandlers) g_signal_handler_unblock(g->inner, h);
}

std::string CssForFont(const Font& font) {
  char size[64];
  g_ascii_formatd(size, sizeof size, "%.1f", font.points);
  std::string family;
  for (char c : font.family)
    if (c != '"' && c != '\\') family += c;
  return std::string("* { font-family: \"") + family + "\"; font-size: " + size + "pt; font-weight: " +
         (font.bold ? "bold" : "normal") + "; }";
}

void ReleaseGadget(Gadget* g) {
  if (g->cr != nullptr) cairo_destroy(g->cr);
  if (g->surface != nullptr) cairo_surface_destroy(g->surface);
  if (g->fontCss != nullptr) g_object_unref(g->fontCss);
  g->cr = nullptr;
  g->surface = nullptr;
  g->fontCss = nullptr;
}

PangoFontDescription* DefaultGadgetFont() {
  gchar* name = nullptr;
  GtkSettings* settings = gtk_settings_get_default();
  if (settings != nullptr) g_object_get(settings, "gtk-font-name", &name, nullptr);
  PangoFontDescription* desc = pango_font_description_from_string(name != nullptr ? name : "Sans 10");
  g_free(name);
  return desc;
}

}  // namespace

GtkWidget* ToolkitWindow(int64_t window) {
  Window* w = FindWindow(window);
  return w == nullptr ? nullptr : w->window;
}

// ---------------------------------------------------------------- start-up

int64_t InitWindowSystem(int& argc, char**& argv) {
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(&argc, &argv)) return 0;
  // gtk_init takes the whole locale from the environment; numbers must
  // keep their decimal point.
  std::setlocale(LC_NUMERIC, "C");
  gParameters.clear();
  for (int i = 1; i < argc; ++i) gParameters.push_back(argv[i]);
  return 1;
}

void ShutdownWindowSystem() {
  while (!gWindows.empty()) CloseWindow(gWindows.begin()->first);
  for (auto& m : gMenus) gtk_widget_destroy(m.second->menu);
  gMenus.clear();
  gFonts.clear();
  gQueue.clear();
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

int64_t ProgramParameterCount() { return static_cast<int64_t>(gParameters.size()); }

std::string ProgramParameter(int64_t index) {
  if (index < 0 || index >= ProgramParameterCount()) return "";
  return gParameters[static_cast<size_t>(index)];
}

// ------------------------------------------------------------------ events

int64_t WaitForEvent() {
  while (gQueue.empty()) gtk_main_iteration_do(TRUE);
  gCurrent = gQueue.front();
  gQueue.pop_front();
  return gCurrent.kind;
}

int64_t PollEvent() {
  ProcessPendingToolkitEvents();
  if (gQueue.empty()) {
    gCurrent = WindowEvent();
    return EVENT_NONE;
  }
  gCurrent = gQueue.front();
  gQueue.pop_front();
  return gCurrent.kind;
}

void ProcessPendingToolkitEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void PostEvent(const WindowEvent& event) {
  if (event.kind == EVENT_GADGET && event.type == EVENT_MOUSE_MOVE && !gQueue.empty()) {
    WindowEvent& last = gQueue.back();
    if (last.kind == EVENT_GADGET && last.type == EVENT_MOUSE_MOVE && last.window == event.window &&
        last.id == event.id) {
      last = event;
      return;
    }
  }
  gQueue.push_back(event);
}

int64_t QueuedEventCount() { return static_cast<int64_t>(gQueue.size()); }
void ClearEventQueue() { gQueue.clear(); }

const WindowEvent& CurrentEvent() { return gCurrent; }
int64_t EventKindOf() { return gCurrent.kind; }
int64_t EventWindow() { return gCurrent.window; }
int64_t EventMenu() { return gCurrent.kind == EVENT_MENU ? gCurrent.id : -1; }
int64_t EventGadget() { return gCurrent.kind == EVENT_GADGET ? gCurrent.id : -1; }
int64_t EventType() { return gCurrent.type; }
int64_t EventX() { return gCurrent.x; }
int64_t EventY() { return gCurrent.y; }
int64_t EventModifiers() { return gCurrent.modifiers; }
int64_t EventWheelNotches() { return gCurrent.wheelNotches; }

// ----------------------------------------------------------------- windows

int64_t OpenWindow(int64_t window, int64_t width, int64_t height, const std::string& title, int64_t flags,
                   int64_t parent) {
  if (FindWindow(window) != nullptr) CloseWindow(window);
  auto w = std::make_unique<Window>();
  w->id = window;
  w->openW = width;
  w->openH = height;
  w->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (w->window == nullptr) return 0;
  GtkWindow* gw = GTK_WINDOW(w->window);
  gtk_window_set_title(gw, title.c_str());
  gtk_window_set_default_size(gw, static_cast<gint>(width), static_cast<gint>(height));
  gtk_window_set_resizable(gw, (flags & WINDOW_RESIZABLE) ? TRUE : FALSE);
  if (!(flags & WINDOW_RESIZABLE)) gtk_widget_set_size_request(w->window, static_cast<gint>(width), static_cast<gint>(height));
  if (!(flags & WINDOW_MIN_MAX_BUTTONS)) gtk_window_set_type_hint(gw, GDK_WINDOW_TYPE_HINT_DIALOG);
  GtkWidget* parentWidget = ToolkitWindow(parent);
  if ((flags & WINDOW_CENTRED_ON_PARENT) && parentWidget != nullptr) {
    gtk_window_set_transient_for(gw, GTK_WINDOW(parentWidget));
    gtk_window_set_position(gw, GTK_WIN_POS_CENTER_ON_PARENT);
  } else if (flags & WINDOW_CENTRED) {
    gtk_window_set_position(gw, GTK_WIN_POS_CENTER);
  }
  w->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  // A layout asks for no size of its own, so the window can shrink below
  // the sizes the program gave its gadgets.
  w->layout = gtk_layout_new(nullptr, nullptr);
  gtk_box_pack_start(GTK_BOX(w->box), w->layout, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(w->window), w->box);
  Window* raw = w.get();
  g_signal_connect(w->window, "delete-event", G_CALLBACK(OnDelete), raw);
  g_signal_connect(w->window, "key-press-event", G_CALLBACK(OnKeyPress), raw);
  g_signal_connect(w->box, "size-allocate", G_CALLBACK(OnBoxAllocate), raw);
  gWindows[window] = std::move(w);
  gtk_widget_show_all(raw->window);
  return 1;
}

void CloseWindow(int64_t window) {
  auto it = gWindows.find(window);
  if (it == gWindows.end()) return;
  Window* w = it->second.get();
  if (gOpenList != nullptr && gOpenList->window == window) gOpenList = nullptr;
  // A menu attached to the window would be destroyed with it.
  for (auto& m : gMenus)
    if (gtk_menu_get_attach_widget(GTK_MENU(m.second->menu)) == w->window) gtk_menu_detach(GTK_MENU(m.second->menu));
  for (auto& g : w->gadgets) ReleaseGadget(g.second.get());
  for (auto sb = gStatusBars.begin(); sb != gStatusBars.end();) {
    if (sb->second->window == window)
      sb = gStatusBars.erase(sb);
    else
      ++sb;
  }
  // Signals may still fire while the widgets go; they must not see the record.
  g_signal_handlers_disconnect_by_data(w->window, w);
  g_signal_handlers_disconnect_by_data(w->box, w);
  for (auto& g : w->gadgets) {
    if (g.second->inner != nullptr) g_signal_handlers_disconnect_by_data(g.second->inner, g.second.get());
  }
  gtk_widget_destroy(w->window);
  gWindows.erase(it);
  std::deque<WindowEvent> kept;
  for (const WindowEvent& e : gQueue)
    if (e.window != window) kept.push_back(e);
  gQueue.swap(kept);
}

int64_t IsWindowOpen(int64_t window) { return FindWindow(window) != nullptr ? 1 : 0; }

void SetWindowMinimumSize(int64_t window, int64_t width, int64_t height) {
  Window* w = FindWindow(window);
  if (w == nullptr) return;
  GdkGeometry hints{};
  hints.min_width = static_cast<gint>(width);
  hints.min_height = static_cast<gint>(height);
  gtk_window_set_geometry_hints(GTK_WINDOW(w->window), nullptr, &hints, GDK_HINT_MIN_SIZE);
}

void SetWindowTitle(int64_t window, const std::string& title) {
  Window* w = FindWindow(window);
  if (w != nullptr) gtk_window_set_title(GTK_WINDOW(w->window), title.c_str());
}

std::string GetWindowTitle(int64_t window) {
  Window* w = FindWindow(window);
  if (w == nullptr) return "";
  const char* title = gtk_window_get_title(GTK_WINDOW(w->window));
  return title != nullptr ? title : "";
}

int64_t WindowInnerWidth(int64_t window) {
  Window* w = FindWindow(window);
  if (w == nullptr) return 0;
  return w->allocW > 1 ? w->allocW : w->openW;
}

int64_t WindowInnerHeight(int64_t window) {
  Window* w = FindWindow(window);
  if (w == nullptr) return 0;
  return w->allocH > 1 ? w->allocH : w->openH;
}

void SetWindowResizeCallback(int64_t window, void (*callback)()) {
  Window* w = FindWindow(window);
  if (w != nullptr) w->resize = callback;
}

void SetWindowSensitive(int64_t window, int64_t sensitive) {
  Window* w = FindWindow(window);
  if (w != nullptr) gtk_widget_set_sensitive(w->window, sensitive ? TRUE : FALSE);
}

void PresentWindow(int64_t window) {
  Window* w = FindWindow(window);
  if (w != nullptr) gtk_window_present(GTK_WINDOW(w->window));
}

int64_t MonitorHeight(int64_t monitor) {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return 0;
  GdkMonitor* m = gdk_display_get_monitor(display, static_cast<int>(monitor));
  if (m == nullptr) return 0;
  GdkRectangle geometry{};
  gdk_monitor_get_geometry(m, &geometry);
  return geometry.height;
}

// ----------------------------------------------------------------- gadgets

int64_t CreateButton(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h,
                     const std::string& text) {
  GtkWidget* button = gtk_button_new_with_label(text.c_str());
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
  if (GTK_IS_LABEL(label)) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  id = AddGadget(window, id, KIND_BUTTON, button, button, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g != nullptr) g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), g);
  return id;
}

int64_t CreateText(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const std::string& text,
                   int64_t wrap) {
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
  if (wrap) {
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
  } else {
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  }
  return AddGadget(window, id, KIND_TEXT, label, label, x, y, w, h);
}

int64_t CreateEntry(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const std::string& text,
                    int64_t digitsOnly) {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  id = AddGadget(window, id, KIND_ENTRY, entry, entry, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g == nullptr) return id;
  Quiet(g, g_signal_connect(entry, "changed", G_CALLBACK(OnChanged), g));
  if (digitsOnly) Quiet(g, g_signal_connect(entry, "insert-text", G_CALLBACK(OnDigitsInsert), g));
  g_signal_connect(entry, "focus-in-event", G_CALLBACK(OnFocusIn), g);
  g_signal_connect(entry, "focus-out-event", G_CALLBACK(OnFocusOut), g);
  return id;
}

int64_t CreateCombo(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h) {
  GtkWidget* combo = gtk_combo_box_text_new();
  // Long items are cut so that the box keeps the width it was given.
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  for (GList* c = cells; c != nullptr; c = c->next)
    g_object_set(c->data, "ellipsize", PANGO_ELLIPSIZE_END, "width-chars", 1, nullptr);
  g_list_free(cells);
  id = AddGadget(window, id, KIND_COMBO, combo, combo, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g == nullptr) return id;
  Quiet(g, g_signal_connect(combo, "changed", G_CALLBACK(OnChanged), g));
  g_signal_connect(combo, "scroll-event", G_CALLBACK(OnComboScroll), g);
  return id;
}

void AddComboItem(int64_t window, int64_t id, const std::string& text) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_COMBO) return;
  Silently(g, [&] { gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(g->inner), text.c_str()); });
}

int64_t CreateCheckBox(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h,
                       const std::string& text) {
  GtkWidget* check = gtk_check_button_new_with_label(text.c_str());
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(check));
  if (GTK_IS_LABEL(label)) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  id = AddGadget(window, id, KIND_CHECK, check, check, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g != nullptr) Quiet(g, g_signal_connect(check, "toggled", G_CALLBACK(OnClicked), g));
  return id;
}

int64_t CreateEditor(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t readOnly) {
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  GtkWidget* view = gtk_text_view_new();
  if (readOnly) {
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
  }
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  return AddGadget(window, id, KIND_EDITOR, scrolled, view, x, y, w, h);
}

int64_t CreateCanvas(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t framed) {
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_can_focus(area, TRUE);
  gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                  GDK_SCROLL_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_FOCUS_CHANGE_MASK);
  GtkWidget* outer = area;
  if (framed) {
    outer = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(outer), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(outer), area);
  }
  id = AddGadget(window, id, KIND_CANVAS, outer, area, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g == nullptr) return id;
  g_signal_connect(area, "draw", G_CALLBACK(OnCanvasDraw), g);
  g_signal_connect(area, "button-press-event", G_CALLBACK(OnCanvasButton), g);
  g_signal_connect(area, "button-release-event", G_CALLBACK(OnCanvasButton), g);
  g_signal_connect(area, "motion-notify-event", G_CALLBACK(OnCanvasMotion), g);
  g_signal_connect(area, "leave-notify-event", G_CALLBACK(OnCanvasLeave), g);
  g_signal_connect(area, "scroll-event", G_CALLBACK(OnCanvasScroll), g);
  g_signal_connect(area, "focus-in-event", G_CALLBACK(OnFocusIn), g);
  g_signal_connect(area, "focus-out-event", G_CALLBACK(OnFocusOut), g);
  return id;
}

int64_t CreateImage(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const uint8_t* rgba,
                    int64_t imageWidth, int64_t imageHeight, int64_t stride) {
  GtkWidget* image = nullptr;
  if (rgba != nullptr && imageWidth > 0 && imageHeight > 0 && stride >= imageWidth * 4) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, static_cast<int>(imageWidth),
                                       static_cast<int>(imageHeight));
    if (pixbuf != nullptr) {
      guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
      int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
      for (int64_t row = 0; row < imageHeight; ++row)
        std::copy(rgba + row * stride, rgba + row * stride + imageWidth * 4, pixels + row * rowstride);
      image = gtk_image_new_from_pixbuf(pixbuf);
      g_object_unref(pixbuf);
    }
  }
  if (image == nullptr) image = gtk_image_new();
  return AddGadget(window, id, KIND_IMAGE, image, image, x, y, w, h);
}

int64_t CreateScrollArea(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t innerW,
                         int64_t innerH, int64_t scrollStep) {
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  GtkWidget* area = gtk_layout_new(nullptr, nullptr);
  gtk_layout_set_size(GTK_LAYOUT(area), static_cast<guint>(std::max<int64_t>(innerW, 1)),
                      static_cast<guint>(std::max<int64_t>(innerH, 1)));
  gtk_container_add(GTK_CONTAINER(scrolled), area);
  id = AddGadget(window, id, KIND_SCROLL, scrolled, area, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g == nullptr) return id;
  g->area = area;
  if (scrollStep > 0) {
    GtkAdjustment* adj = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(area));
    if (adj != nullptr) gtk_adjustment_set_step_increment(adj, static_cast<double>(scrollStep));
  }
  gOpenList = g;
  return id;
}

void CloseGadgetList() { gOpenList = nullptr; }

void SetScrollAreaInnerSize(int64_t window, int64_t id, int64_t innerW, int64_t innerH) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_SCROLL) return;
  gtk_layout_set_size(GTK_LAYOUT(g->area), static_cast<guint>(std::max<int64_t>(innerW, 1)),
                      static_cast<guint>(std::max<int64_t>(innerH, 1)));
}

double ScrollAreaOffsetY(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_SCROLL) return 0;
  GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(g->outer));
  return adj != nullptr ? gtk_adjustment_get_value(adj) : 0;
}

int64_t GadgetExists(int64_t window, int64_t id) { return FindGadget(window, id) != nullptr ? 1 : 0; }

void SetGadgetText(int64_t window, int64_t id, const std::string& text) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return;
  Silently(g, [&] {
    switch (g->kind) {
      case KIND_BUTTON:
      case KIND_CHECK: gtk_button_set_label(GTK_BUTTON(g->inner), text.c_str()); break;
      case KIND_TEXT: gtk_label_set_text(GTK_LABEL(g->inner), text.c_str()); break;
      case KIND_ENTRY: gtk_entry_set_text(GTK_ENTRY(g->inner), text.c_str()); break;
      case KIND_EDITOR:
        gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(g->inner)), text.c_str(),
                                 static_cast<gint>(text.size()));
        break;
      case KIND_COMBO:
        for (int64_t i = 0; i < ComboItemCount(window, id); ++i)
          if (GetComboItemText(window, id, i) == text) gtk_combo_box_set_active(GTK_COMBO_BOX(g->inner), static_cast<gint>(i));
        break;
      default: break;
    }
  });
}

std::string GetGadgetText(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return "";
  switch (g->kind) {
    case KIND_BUTTON:
    case KIND_CHECK: {
      const char* label = gtk_button_get_label(GTK_BUTTON(g->inner));
      return label != nullptr ? label : "";
    }
    case KIND_TEXT: return gtk_label_get_text(GTK_LABEL(g->inner));
    case KIND_ENTRY: return gtk_entry_get_text(GTK_ENTRY(g->inner));
    case KIND_EDITOR: {
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(g->inner));
      GtkTextIter start, end;
      gtk_text_buffer_get_bounds(buffer, &start, &end);
      gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, TRUE);
      std::string result = text != nullptr ? text : "";
      g_free(text);
      return result;
    }
    case KIND_COMBO: return GetComboItemText(window, id, GetGadgetState(window, id));
    default: return "";
  }
}

void SetGadgetState(int64_t window, int64_t id, int64_t state) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return;
  Silently(g, [&] {
    if (g->kind == KIND_CHECK) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(g->inner), state ? TRUE : FALSE);
    if (g->kind == KIND_COMBO) {
      int64_t count = ComboItemCount(window, id);
      gtk_combo_box_set_active(GTK_COMBO_BOX(g->inner), state >= 0 && state < count ? static_cast<gint>(state) : -1);
    }
  });
}

int64_t GetGadgetState(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return 0;
  if (g->kind == KIND_CHECK) return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(g->inner)) ? 1 : 0;
  if (g->kind == KIND_COMBO) return gtk_combo_box_get_active(GTK_COMBO_BOX(g->inner));
  return 0;
}

std::string GetComboItemText(int64_t window, int64_t id, int64_t index) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_COMBO || index < 0) return "";
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(g->inner));
  GtkTreeIter iter;
  if (!gtk_tree_model_iter_nth_child(model, &iter, nullptr, static_cast<gint>(index))) return "";
  gchar* text = nullptr;
  gtk_tree_model_get(model, &iter, 0, &text, -1);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

int64_t ComboItemCount(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_COMBO) return 0;
  return gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(g->inner)), nullptr);
}

void EnableGadget(int64_t window, int64_t id, int64_t enabled) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr) gtk_widget_set_sensitive(g->outer, enabled ? TRUE : FALSE);
}

int64_t IsGadgetEnabled(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr && gtk_widget_get_sensitive(g->outer) ? 1 : 0;
}

void FocusGadget(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr) gtk_widget_grab_focus(g->inner);
}

int64_t GadgetHasFocus(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr && gtk_widget_is_focus(g->inner) ? 1 : 0;
}

void SetGadgetTooltip(int64_t window, int64_t id, const std::string& text) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr) gtk_widget_set_tooltip_text(g->outer, text.empty() ? nullptr : text.c_str());
}

std::string GetGadgetTooltip(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return "";
  gchar* text = gtk_widget_get_tooltip_text(g->outer);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

void ResizeGadget(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return;
  if (x != GADGET_KEEP) g->x = x;
  if (y != GADGET_KEEP) g->y = y;
  if (w != GADGET_KEEP) g->w = w;
  if (h != GADGET_KEEP) g->h = h;
  gtk_layout_move(GTK_LAYOUT(g->parent), g->outer, static_cast<gint>(g->x), static_cast<gint>(g->y));
  ApplySize(g);
}

int64_t GadgetX(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? g->x : 0;
}

int64_t GadgetY(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? g->y : 0;
}

int64_t GadgetWidth(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? g->w : 0;
}

int64_t GadgetHeight(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? g->h : 0;
}

// ------------------------------------------------------------------- fonts

int64_t LoadFont(int64_t font, const std::string& family, double points, int64_t bold) {
  PangoFontMap* map = pango_cairo_font_map_get_default();
  if (map == nullptr || family.empty() || !(points > 0)) return 0;
  PangoContext* context = pango_font_map_create_context(map);
  PangoFontDescription* desc = pango_font_description_new();
  pango_font_description_set_family(desc, family.c_str());
  pango_font_description_set_size(desc, static_cast<gint>(points * PANGO_SCALE));
  pango_font_description_set_weight(desc, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  PangoFont* loaded = pango_font_map_load_font(map, context, desc);
  pango_font_description_free(desc);
  g_object_unref(context);
  if (loaded == nullptr) return 0;
  g_object_unref(loaded);
  gFonts[font] = Font{family, points, bold};
  return 1;
}

void FreeFont(int64_t font) { gFonts.erase(font); }

int64_t IsFontLoaded(int64_t font) { return gFonts.count(font) ? 1 : 0; }

void SetGadgetFont(int64_t window, int64_t id, int64_t font) {
  Gadget* g = FindGadget(window, id);
  auto f = gFonts.find(font);
  if (g == nullptr || f == gFonts.end()) return;
  GtkStyleContext* style = gtk_widget_get_style_context(g->inner);
  if (g->fontCss != nullptr) {
    gtk_style_context_remove_provider(style, GTK_STYLE_PROVIDER(g->fontCss));
    g_object_unref(g->fontCss);
  }
  g->fontCss = gtk_css_provider_new();
  std::string css = CssForFont(f->second);
  gtk_css_provider_load_from_data(g->fontCss, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(g->fontCss), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

int64_t MeasureDefaultFontText(const std::string& text, double& width, double& height) {
  width = 0;
  height = 0;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return 0;
  }
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* desc = DefaultGadgetFont();
  pango_layout_set_font_description(layout, desc);
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  width = static_cast<double>(w) / PANGO_SCALE;
  height = static_cast<double>(h) / PANGO_SCALE;
  pango_font_description_free(desc);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return 1;
}

// ------------------------------------------------------------------ canvas

cairo_t* BeginCanvasDrawing(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_CANVAS) return nullptr;
  if (g->cr != nullptr) return g->cr;
  int scale = gtk_widget_get_scale_factor(g->inner);
  int w = static_cast<int>(std::max<int64_t>(g->w, 1)) * scale;
  int h = static_cast<int>(std::max<int64_t>(g->h, 1)) * scale;
  if (g->surface == nullptr || cairo_image_surface_get_width(g->surface) != w ||
      cairo_image_surface_get_height(g->surface) != h) {
    if (g->surface != nullptr) cairo_surface_destroy(g->surface);
    g->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  }
  if (cairo_surface_status(g->surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(g->surface);
    g->surface = nullptr;
    return nullptr;
  }
  g->cr = cairo_create(g->surface);
  return g->cr;
}

void EndCanvasDrawing(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->cr == nullptr) return;
  cairo_destroy(g->cr);
  g->cr = nullptr;
  cairo_surface_flush(g->surface);
  gtk_widget_queue_draw(g->inner);
}

int64_t CanvasSurfaceWidth(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->surface == nullptr) return 0;
  return cairo_image_surface_get_width(g->surface);
}

uint32_t CanvasPixel(int64_t window, int64_t id, int64_t x, int64_t y) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->surface == nullptr) return 0;
  cairo_surface_flush(g->surface);
  int w = cairo_image_surface_get_width(g->surface);
  int h = cairo_image_surface_get_height(g->surface);
  if (x < 0 || y < 0 || x >= w || y >= h) return 0;
  const unsigned char* data = cairo_image_surface_get_data(g->surface);
  int stride = cairo_image_surface_get_stride(g->surface);
  uint32_t pixel = 0;
  std::copy(data + y * stride + x * 4, data + y * stride + x * 4 + 4, reinterpret_cast<unsigned char*>(&pixel));
  return pixel;
}

// -------------------------------------------------------------- status bar

int64_t CreateStatusBar(int64_t statusBar, int64_t window) {
  Window* w = FindWindow(window);
  if (w == nullptr) return 0;
  auto bar = std::make_unique<StatusBar>();
  bar->window = window;
  bar->box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_box_pack_end(GTK_BOX(w->box), bar->box, FALSE, FALSE, 0);
  gtk_widget_show_all(bar->box);
  gStatusBars[statusBar] = std::move(bar);
  return 1;
}

void AddStatusBarField(int64_t statusBar, int64_t width) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end()) return;
  StatusBar* bar = it->second.get();
  if (!bar->labels.empty()) {
    GtkWidget* separator = gtk_separator_new(GTK_ORIENTATION_VERTICAL);
    gtk_box_pack_start(GTK_BOX(bar->box), separator, FALSE, FALSE, 0);
    gtk_widget_show(separator);
  }
  GtkWidget* label = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_widget_set_margin_start(label, 4);
  gtk_widget_set_margin_end(label, 4);
  gtk_widget_set_margin_top(label, 3);
  gtk_widget_set_margin_bottom(label, 3);
  if (width > 8) gtk_widget_set_size_request(label, static_cast<gint>(width - 8), -1);
  gtk_box_pack_start(GTK_BOX(bar->box), label, width < 0 ? TRUE : FALSE, TRUE, 0);
  gtk_widget_show(label);
  bar->labels.push_back(label);
}

void SetStatusBarText(int64_t statusBar, int64_t field, const std::string& text) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end() || field < 0 || field >= static_cast<int64_t>(it->second->labels.size())) return;
  gtk_label_set_text(GTK_LABEL(it->second->labels[static_cast<size_t>(field)]), text.c_str());
}

std::string GetStatusBarText(int64_t statusBar, int64_t field) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end() || field < 0 || field >= static_cast<int64_t>(it->second->labels.size())) return "";
  return gtk_label_get_text(GTK_LABEL(it->second->labels[static_cast<size_t>(field)]));
}

int64_t StatusBarHeight(int64_t statusBar) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end()) return 0;
  int allocated = gtk_widget_get_allocated_height(it->second->box);
  if (allocated > 1) return allocated;
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_height(it->second->box, &minimum, &natural);
  return natural;
}

// ------------------------------------------------- menus and shortcuts

int64_t CreatePopupMenu(int64_t menu) {
  auto it = gMenus.find(menu);
  if (it != gMenus.end()) gtk_widget_destroy(it->second->menu);
  auto m = std::make_unique<Menu>();
  m->menu = gtk_menu_new();
  gMenus[menu] = std::move(m);
  return 1;
}

void AddMenuItem(int64_t menu, int64_t id, const std::string& text) {
  auto it = gMenus.find(menu);
  if (it == gMenus.end()) return;
  size_t tab = text.find('\t');
  GtkWidget* item = gtk_menu_item_new_with_label(text.substr(0, tab).c_str());
  if (tab != std::string::npos) {
    guint key = 0;
    GdkModifierType mods{};
    gtk_accelerator_parse(text.substr(tab + 1).c_str(), &key, &mods);
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    if (key != 0 && GTK_IS_ACCEL_LABEL(label)) gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, mods);
  }
  g_object_set_data(G_OBJECT(item), "ribbelo-id", GINT_TO_POINTER(static_cast<int>(id)));
  g_object_set_data(G_OBJECT(item), "ribbelo-menu", it->second.get());
  g_signal_connect(item, "activate", G_CALLBACK(OnMenuActivate), item);
  gtk_menu_shell_append(GTK_MENU_SHELL(it->second->menu), item);
  gtk_widget_show(item);
}

void ShowPopupMenu(int64_t menu, int64_t window) {
  auto it = gMenus.find(menu);
  Window* w = FindWindow(window);
  if (it == gMenus.end() || w == nullptr) return;
  it->second->window = window;
  GdkWindow* gdkWindow = gtk_widget_get_window(w->window);
  if (gdkWindow == nullptr) return;
  // No toolkit event is current when the loop dispatches, so the menu is
  // placed at the pointer's position over the window.
  GdkRectangle rect{0, 0, 1, 1};
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdkWindow));
  GdkDevice* pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
  if (pointer != nullptr) gdk_window_get_device_position(gdkWindow, pointer, &rect.x, &rect.y, nullptr);
  if (gtk_menu_get_attach_widget(GTK_MENU(it->second->menu)) != w->window) {
    if (gtk_menu_get_attach_widget(GTK_MENU(it->second->menu)) != nullptr)
      gtk_menu_detach(GTK_MENU(it->second->menu));
    gtk_menu_attach_to_widget(GTK_MENU(it->second->menu), w->window, nullptr);
  }
  gtk_menu_popup_at_rect(GTK_MENU(it->second->menu), gdkWindow, &rect, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, nullptr);
}

int64_t IsPopupMenuShown(int64_t menu) {
  auto it = gMenus.find(menu);
  return it != gMenus.end() && gtk_widget_get_visible(it->second->menu) ? 1 : 0;
}

void HidePopupMenu(int64_t menu) {
  auto it = gMenus.find(menu);
  if (it != gMenus.end()) gtk_menu_popdown(GTK_MENU(it->second->menu));
}

void AddKeyboardShortcut(int64_t window, int64_t key, int64_t modifiers, int64_t id) {
  Window* w = FindWindow(window);
  if (w != nullptr) w->shortcuts.push_back(Shortcut{key, modifiers, id});
}
