// The window-system layer on GTK 3: the records behind the ids, start-up,
// the event queue, windows, the status bar, popup menus and shortcuts.
// Signal handlers only queue an event record.
#include <gtk/gtk.h>

#include <algorithm>
#include <clocale>
#include <cmath>

#include "app/platform/window_system.h"
#include "app/platform/window_system_internal.h"

namespace window_system_detail {

std::map<int64_t, std::unique_ptr<Window>> gWindows;
std::map<int64_t, std::unique_ptr<StatusBar>> gStatusBars;
std::map<int64_t, Font> gFonts;
std::map<int64_t, std::unique_ptr<Menu>> gMenus;
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

}  // namespace window_system_detail

using namespace window_system_detail;

namespace {

std::deque<WindowEvent> gQueue;
WindowEvent gCurrent;
std::vector<std::string> gParameters;

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

// The window's own area: a layout that runs the program's resize rule
// before it places its children, so that they get their new sizes in the
// same allocation as the window (a size set after the children were placed
// would only be applied at a later allocation).
struct WindowArea {
  GtkLayout parent;
};
struct WindowAreaClass {
  GtkLayoutClass parentClass;
};
gpointer gWindowAreaParentClass = nullptr;

void AllocateWindowArea(GtkWidget* area, GtkAllocation* allocation) {
  auto* w = static_cast<Window*>(g_object_get_data(G_OBJECT(area), "ribbelo-window"));
  if (w != nullptr) {
    // The box around the area and the status bar is allocated first.
    GtkAllocation box{};
    gtk_widget_get_allocation(w->box, &box);
    if (box.width != w->allocW || box.height != w->allocH || allocation->height != w->areaH) {
      w->allocW = box.width;
      w->allocH = box.height;
      w->areaH = allocation->height;
      if (w->resize != nullptr) w->resize();
    }
  }
  GTK_WIDGET_CLASS(gWindowAreaParentClass)->size_allocate(area, allocation);
}

void InitWindowAreaClass(gpointer klass, gpointer) {
  gWindowAreaParentClass = g_type_class_peek_parent(klass);
  GTK_WIDGET_CLASS(klass)->size_allocate = AllocateWindowArea;
}

GType WindowAreaType() {
  static GType type = 0;
  if (type == 0)
    type = g_type_register_static_simple(GTK_TYPE_LAYOUT, "RibbeloWindowArea", sizeof(WindowAreaClass),
                                         InitWindowAreaClass, sizeof(WindowArea), nullptr, G_TYPE_FLAG_NONE);
  return type;
}

// The usable part of the monitor (without panels); false when unknown.
bool MonitorWorkArea(GdkMonitor* monitor, GdkRectangle& area) {
  if (monitor == nullptr) return false;
  gdk_monitor_get_workarea(monitor, &area);
  return area.width > 0 && area.height > 0;
}

GdkMonitor* FirstMonitor() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr) return nullptr;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  return monitor != nullptr ? monitor : gdk_display_get_monitor(display, 0);
}

// The frame is known only once the window manager has framed the window:
// then the inner size shrinks by what of the frame sticks out of the work
// area, and the window is centred in it.
gboolean FitFrameIntoWorkArea(GtkWidget* widget, GdkEvent*, gpointer) {
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(FitFrameIntoWorkArea), nullptr);
  GdkWindow* gdkWindow = gtk_widget_get_window(widget);
  GdkRectangle work{};
  if (gdkWindow == nullptr ||
      !MonitorWorkArea(gdk_display_get_monitor_at_window(gdk_window_get_display(gdkWindow), gdkWindow), work))
    return FALSE;
  GdkRectangle frame{};
  gdk_window_get_frame_extents(gdkWindow, &frame);
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(widget), &width, &height);
  int extraW = std::max(frame.width - width, 0), extraH = std::max(frame.height - height, 0);
  int fitW = std::min(width, work.width - extraW), fitH = std::min(height, work.height - extraH);
  if (fitW != width || fitH != height) gtk_window_resize(GTK_WINDOW(widget), fitW, fitH);
  int outerW = fitW + extraW, outerH = fitH + extraH;
  if (frame.x < work.x || frame.y < work.y || frame.x + outerW > work.x + work.width ||
      frame.y + outerH > work.y + work.height)
    gtk_window_move(GTK_WINDOW(widget), work.x + std::max(0, (work.width - outerW) / 2),
                    work.y + std::max(0, (work.height - outerH) / 2));
  return FALSE;
}

void OnMenuActivate(GtkMenuItem*, gpointer data) {
  auto id = static_cast<int64_t>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(data), "ribbelo-id")));
  auto* menu = static_cast<Menu*>(g_object_get_data(G_OBJECT(data), "ribbelo-menu"));
  Queue(EVENT_MENU, menu != nullptr ? menu->window : WINDOW_MAIN, id, 0);
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
  for (auto& m : gMenus) {
    gtk_widget_destroy(m.second->menu);
    g_object_unref(m.second->menu);
  }
  gMenus.clear();
  gFonts.clear();
  gQueue.clear();
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void SetProgramParameters(const std::vector<std::string>& parameters) { gParameters = parameters; }

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
  return TakeQueuedEvent();
}

int64_t TakeQueuedEvent() {
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
  GdkRectangle work{};
  if ((flags & WINDOW_CENTRED) && MonitorWorkArea(FirstMonitor(), work)) {
    width = std::min<int64_t>(width, work.width);
    height = std::min<int64_t>(height, work.height);
  }
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
    g_signal_connect(w->window, "map-event", G_CALLBACK(FitFrameIntoWorkArea), nullptr);
  }
  w->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  // A layout asks for no size of its own, so the window can shrink below
  // the sizes the program gave its gadgets.
  w->layout = GTK_WIDGET(g_object_new(WindowAreaType(), nullptr));
  gtk_box_pack_start(GTK_BOX(w->box), w->layout, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(w->window), w->box);
  Window* raw = w.get();
  g_signal_connect(w->window, "delete-event", G_CALLBACK(OnDelete), raw);
  g_signal_connect(w->window, "key-press-event", G_CALLBACK(OnKeyPress), raw);
  g_object_set_data(G_OBJECT(w->layout), "ribbelo-window", raw);
  gWindows[window] = std::move(w);
  gtk_widget_show_all(raw->window);
  return 1;
}

void CloseWindow(int64_t window) {
  auto it = gWindows.find(window);
  if (it == gWindows.end()) return;
  Window* w = it->second.get();
  if (gOpenList != nullptr && gOpenList->window == window) gOpenList = nullptr;
  for (auto& g : w->gadgets) ReleaseGadget(g.second.get());
  for (auto sb = gStatusBars.begin(); sb != gStatusBars.end();) {
    if (sb->second->window == window)
      sb = gStatusBars.erase(sb);
    else
      ++sb;
  }
  // Signals may still fire while the widgets go; they must not see the record.
  g_signal_handlers_disconnect_by_data(w->window, w);
  g_object_set_data(G_OBJECT(w->layout), "ribbelo-window", nullptr);
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

void ResizeWindow(int64_t window, int64_t width, int64_t height) {
  Window* w = FindWindow(window);
  if (w != nullptr) gtk_window_resize(GTK_WINDOW(w->window), static_cast<gint>(width), static_cast<gint>(height));
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
  GtkLabel* label = GTK_LABEL(it->second->labels[static_cast<size_t>(field)]);
  // The same text would still lay the window out again.
  if (text != gtk_label_get_text(label)) gtk_label_set_text(label, text.c_str());
}

std::string GetStatusBarText(int64_t statusBar, int64_t field) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end() || field < 0 || field >= static_cast<int64_t>(it->second->labels.size())) return "";
  return gtk_label_get_text(GTK_LABEL(it->second->labels[static_cast<size_t>(field)]));
}

int64_t StatusBarHeight(int64_t statusBar) {
  auto it = gStatusBars.find(statusBar);
  if (it == gStatusBars.end()) return 0;
  // While the window is being allocated the bar may not be yet; the area
  // above it already is.
  Window* w = FindWindow(it->second->window);
  if (w != nullptr && w->areaH > 1 && w->allocH > w->areaH) return w->allocH - w->areaH;
  int allocated = gtk_widget_get_allocated_height(it->second->box);
  if (allocated > 1) return allocated;
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_height(it->second->box, &minimum, &natural);
  return natural;
}

// ------------------------------------------------- menus and shortcuts

int64_t CreatePopupMenu(int64_t menu) {
  auto it = gMenus.find(menu);
  if (it != gMenus.end()) {
    gtk_widget_destroy(it->second->menu);
    g_object_unref(it->second->menu);
  }
  auto m = std::make_unique<Menu>();
  m->menu = gtk_menu_new();
  g_object_ref_sink(m->menu);
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
  // GTK wants an event to take its grab from; the click has already gone.
  GdkEvent* trigger = gdk_event_new(GDK_BUTTON_RELEASE);
  trigger->button.window = GDK_WINDOW(g_object_ref(gdkWindow));
  trigger->button.button = 1;
  trigger->button.time = GDK_CURRENT_TIME;
  if (pointer != nullptr) gdk_event_set_device(trigger, pointer);
  gtk_menu_popup_at_rect(GTK_MENU(it->second->menu), gdkWindow, &rect, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, trigger);
  gdk_event_free(trigger);
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

