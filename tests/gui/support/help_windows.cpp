#include "tests/gui/support/help_windows.h"

#include <fstream>
#include <iterator>

#include "app/platform/window_system.h"

void SettleToolkit() {
  ProcessPendingToolkitEvents();
  gdk_display_sync(gdk_display_get_default());
  ProcessPendingToolkitEvents();
}

GtkWidget* FindWidgetOfType(GtkWidget* root, GType type) {
  if (root == nullptr) return nullptr;
  if (G_TYPE_CHECK_INSTANCE_TYPE(root, type)) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* c = children; c != nullptr && found == nullptr; c = c->next)
    found = FindWidgetOfType(GTK_WIDGET(c->data), type);
  g_list_free(children);
  return found;
}

void SendKey(GtkWidget* window, guint keyval) {
  GdkDisplay* display = gdk_display_get_default();
  GdkEvent* e = gdk_event_new(GDK_KEY_PRESS);
  e->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  e->key.send_event = TRUE;
  e->key.time = GDK_CURRENT_TIME;
  e->key.keyval = keyval;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count) && count > 0)
    e->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  gdk_event_set_device(e, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  gtk_main_do_event(e);
  gdk_event_free(e);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
