// Real message boxes of the window-system layer: the answer that Return
// and Escape give, the focus that makes Return safe, and the icon.
#include <gtest/gtest.h>

#include <string>

#include "app/gadgets.h"
#include "tests/gui/support/help_windows.h"
#include "tests/gui/support/shell_fixture.h"

namespace {

struct BoxProbe {
  guint key = 0;
  int64_t safeResponse = 0;
  int ticks = 0;
  bool seen = false;
  bool safeButtonFocused = false;
  std::string iconName;
};

GtkWidget* OpenMessageBox() {
  GList* all = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* w = all; w != nullptr; w = w->next)
    if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_mapped(GTK_WIDGET(w->data))) found = GTK_WIDGET(w->data);
  g_list_free(all);
  return found;
}

// Looks at the open box once and presses the key; a box that stays open
// is closed after a while, so the test fails instead of hanging.
gboolean ProbeTick(gpointer data) {
  auto* probe = static_cast<BoxProbe*>(data);
  GtkWidget* box = OpenMessageBox();
  if (box == nullptr) return probe->seen ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
  if (!probe->seen) {
    probe->seen = true;
    SettleToolkit();
    GtkWidget* safe = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), static_cast<gint>(probe->safeResponse));
    probe->safeButtonFocused = safe != nullptr && gtk_window_get_focus(GTK_WINDOW(box)) == safe &&
                               gtk_window_get_default_widget(GTK_WINDOW(box)) == safe;
    GtkWidget* image = FindWidgetOfType(box, GTK_TYPE_IMAGE);
    const gchar* name = nullptr;
    if (image != nullptr && gtk_widget_get_visible(image)) gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
    probe->iconName = name != nullptr ? name : "";
    SendKey(box, probe->key);
  } else if (++probe->ticks > 250) {
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NONE);
  }
  return G_SOURCE_CONTINUE;
}

TEST_F(ShellTest, MessageBoxesAnswerReturnSafelyAndEscapeByCancelling) {
  UseCannedDialogs(0);
  struct Row {
    int64_t buttons, icon;
    guint key;
    int64_t answer, safeResponse;
    const char* iconName;
  } rows[] = {
      {BUTTONS_YES_NO_CANCEL, ICON_NONE, GDK_KEY_Return, ANSWER_YES, GTK_RESPONSE_YES, ""},
      {BUTTONS_YES_NO_CANCEL, ICON_NONE, GDK_KEY_Escape, ANSWER_CANCEL, GTK_RESPONSE_YES, ""},
      {BUTTONS_YES_NO, ICON_NONE, GDK_KEY_Return, ANSWER_YES, GTK_RESPONSE_YES, ""},
      {BUTTONS_YES_NO, ICON_NONE, GDK_KEY_Escape, ANSWER_NO, GTK_RESPONSE_YES, ""},
      {BUTTONS_OK, ICON_ERROR, GDK_KEY_Return, ANSWER_OK, GTK_RESPONSE_OK, "dialog-error"},
      {BUTTONS_OK, ICON_WARNING, GDK_KEY_Escape, ANSWER_OK, GTK_RESPONSE_OK, "dialog-warning"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.buttons) + " " + std::to_string(row.key));
    BoxProbe probe;
    probe.key = row.key;
    probe.safeResponse = row.safeResponse;
    g_timeout_add(20, ProbeTick, &probe);
    EXPECT_EQ(ShowMessageBox("Ribbelo", "Question?", row.buttons, row.icon), row.answer);
    while (g_source_remove_by_user_data(&probe)) {
    }
    EXPECT_TRUE(probe.seen);
    EXPECT_TRUE(probe.safeButtonFocused);
    EXPECT_EQ(probe.iconName, row.iconName);
  }
  UseCannedDialogs(1);
}

}  // namespace
