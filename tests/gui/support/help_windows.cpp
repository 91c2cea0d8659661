#include "tests/gui/support/help_windows.h"

#include <fstream>
#include <iterator>

#include "app/window_system.h"

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

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
