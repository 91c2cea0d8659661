// User input for tests on GTK 3: each call acts on the widget the way the
// user's input would, so the layer's own handlers raise the events.
#include <gtk/gtk.h>

#include "app/gadgets.h"
#include "app/platform/window_system_internal.h"
#include "app/platform/window_system_test_input.h"

using namespace window_system_detail;

void UserTypeText(int64_t window, int64_t id, const std::string& text) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_ENTRY) return;
  size_t i = 0;
  while (i < text.size()) {
    size_t n = 1;  // one UTF-8 character per keystroke
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    gint position = gtk_entry_get_text_length(GTK_ENTRY(g->inner));
    gtk_editable_insert_text(GTK_EDITABLE(g->inner), text.data() + i, static_cast<gint>(n), &position);
    i += n;
  }
}

void UserClearText(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr && g->kind == KIND_ENTRY) gtk_editable_delete_text(GTK_EDITABLE(g->inner), 0, -1);
}

void UserClick(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr && (g->kind == KIND_BUTTON || g->kind == KIND_CHECK)) gtk_button_clicked(GTK_BUTTON(g->inner));
}

void UserSelectComboItem(int64_t window, int64_t id, int64_t index) {
  Gadget* g = FindGadget(window, id);
  if (g != nullptr && g->kind == KIND_COMBO) gtk_combo_box_set_active(GTK_COMBO_BOX(g->inner), static_cast<gint>(index));
}

void UserPressKey(int64_t window, int64_t key, int64_t modifiers) {
  GtkWidget* toplevel = ToolkitWindow(window);
  GdkWindow* target = toplevel != nullptr ? gtk_widget_get_window(toplevel) : nullptr;
  if (target == nullptr) return;
  guint keyval = 0;
  switch (key) {
    case KEY_F1: keyval = GDK_KEY_F1; break;
    case KEY_F3: keyval = GDK_KEY_F3; break;
    case KEY_F5: keyval = GDK_KEY_F5; break;
    case KEY_ESCAPE: keyval = GDK_KEY_Escape; break;
    case KEY_RETURN: keyval = GDK_KEY_Return; break;
    default:
      if (key >= 'A' && key <= 'Z')
        keyval = (modifiers & MODIFIER_SHIFT) ? static_cast<guint>(key) : gdk_keyval_to_lower(static_cast<guint>(key));
      break;
  }
  GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
  event->key.window = GDK_WINDOW(g_object_ref(target));
  event->key.keyval = keyval;
  event->key.send_event = TRUE;
  guint state = 0;
  if (modifiers & MODIFIER_SHIFT) state |= GDK_SHIFT_MASK;
  if (modifiers & MODIFIER_CTRL) state |= GDK_CONTROL_MASK;
  if (modifiers & MODIFIER_ALT) state |= GDK_MOD1_MASK;
  event->key.state = state;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(target));
  if (seat != nullptr && gdk_seat_get_keyboard(seat) != nullptr) gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
  gtk_widget_event(toplevel, event);
  gdk_event_free(event);
}

void UserTurnWheel(int64_t window, int64_t id, int64_t notches) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr) return;
  GdkWindow* target = gtk_widget_get_window(g->inner);
  if (target == nullptr) return;
  for (int64_t i = 0; i < (notches < 0 ? -notches : notches); ++i) {
    GdkEvent* event = gdk_event_new(GDK_SCROLL);
    event->scroll.window = GDK_WINDOW(g_object_ref(target));
    event->scroll.direction = notches > 0 ? GDK_SCROLL_UP : GDK_SCROLL_DOWN;
    event->scroll.send_event = TRUE;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(target));
    if (seat != nullptr) gdk_event_set_device(event, gdk_seat_get_pointer(seat));
    gtk_widget_event(g->inner, event);
    gdk_event_free(event);
  }
}

// ---- what the window tests read back

void MaximizeWindow(int64_t window, int64_t on) {
  Window* w = FindWindow(window);
  if (w == nullptr) return;
  if (on)
    gtk_window_maximize(GTK_WINDOW(w->window));
  else
    gtk_window_unmaximize(GTK_WINDOW(w->window));
}

int64_t GadgetAllocatedWidth(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? gtk_widget_get_allocated_width(SizedWidget(g)) : 0;
}

int64_t GadgetAllocatedHeight(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  return g != nullptr ? gtk_widget_get_allocated_height(SizedWidget(g)) : 0;
}

namespace {

// The widget that shows a gadget's one-line text: a label, or the cell
// view of a combo box; nullptr for other kinds.
GtkWidget* TextWidget(const Gadget* g) {
  if (g->kind == KIND_TEXT) return g->inner;
  if (g->kind == KIND_BUTTON || g->kind == KIND_CHECK || g->kind == KIND_COMBO) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(g->inner));
    return GTK_IS_LABEL(child) || GTK_IS_CELL_VIEW(child) ? child : nullptr;
  }
  return nullptr;
}

}  // namespace

std::vector<int64_t> GadgetIds(int64_t window) {
  std::vector<int64_t> ids;
  Window* w = FindWindow(window);
  if (w != nullptr)
    for (const auto& g : w->gadgets) ids.push_back(g.first);
  return ids;
}

int64_t GadgetTextRoom(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  GtkWidget* t = g != nullptr ? TextWidget(g) : nullptr;
  if (t == nullptr) return 0;
  int64_t room = gtk_widget_get_allocated_width(t);
  if (GTK_IS_CELL_VIEW(t)) {
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(g->inner));
    guint xpad = 0;
    if (cells != nullptr) g_object_get(cells->data, "xpad", &xpad, nullptr);
    g_list_free(cells);
    room -= 2 * static_cast<int64_t>(xpad);
  }
  return room;
}

int64_t GadgetTextPixelWidth(int64_t window, int64_t id, const std::string& text) {
  Gadget* g = FindGadget(window, id);
  GtkWidget* t = g != nullptr ? TextWidget(g) : nullptr;
  if (t == nullptr) return 0;
  PangoLayout* layout = gtk_widget_create_pango_layout(t, text.c_str());
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  g_object_unref(layout);
  return w;
}

int64_t GadgetTextShownWhole(int64_t window, int64_t id) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_TEXT) return 0;
  PangoLayout* layout = gtk_label_get_layout(GTK_LABEL(g->inner));
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  return !pango_layout_is_ellipsized(layout) && w <= gtk_widget_get_allocated_width(g->inner) &&
                 h <= gtk_widget_get_allocated_height(g->inner)
             ? 1
             : 0;
}
