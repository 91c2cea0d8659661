// Message boxes and file dialogs of the window-system layer, with the
// canned answers that keep tests from ever blocking on a modal dialog.
#include <gtk/gtk.h>

#include <deque>
#include <vector>

#include "app/platform/window_system.h"
#include "app/platform/window_system_internal.h"

namespace {

int64_t gCanned = 0;
std::deque<int64_t> gMessageAnswers;
std::deque<std::string> gFileAnswers;
std::vector<DialogCall> gDialogCalls;

const char* GtkText(const char* text) { return g_dgettext("gtk30", text); }

int64_t CannedMessageAnswer(int64_t buttons) {
  if (!gMessageAnswers.empty()) {
    int64_t answer = gMessageAnswers.front();
    gMessageAnswers.pop_front();
    return answer;
  }
  if (buttons == BUTTONS_YES_NO_CANCEL) return ANSWER_CANCEL;
  if (buttons == BUTTONS_YES_NO) return ANSWER_NO;
  return ANSWER_OK;
}

const char* MessageIconName(int64_t icon) {
  switch (icon) {
    case ICON_ERROR: return "dialog-error";
    case ICON_WARNING: return "dialog-warning";
    case ICON_INFO: return "dialog-information";
    default: return nullptr;
  }
}

std::string CannedFileAnswer() {
  if (gFileAnswers.empty()) return "";
  std::string path = gFileAnswers.front();
  gFileAnswers.pop_front();
  return path;
}

// "name|pattern|name|pattern" split at the bars.
std::vector<std::string> SplitFilterList(const std::string& filters) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filters.size()) {
    size_t bar = filters.find('|', start);
    if (bar == std::string::npos) bar = filters.size();
    parts.push_back(filters.substr(start, bar - start));
    start = bar + 1;
  }
  return parts;
}

// GTK 3 patterns match case-sensitively, while CAD programs often write
// upper-case extensions: every letter matches both of its cases.
std::string CaseInsensitivePattern(const std::string& pattern) {
  std::string glob;
  for (char c : pattern) {
    char lower = g_ascii_tolower(c), upper = g_ascii_toupper(c);
    if (lower != upper)
      glob += std::string("[") + lower + upper + "]";
    else
      glob += c;
  }
  return glob;
}

// One filter with its patterns separated by ";".
GtkFileFilter* MakeFileFilter(const std::string& name, const std::string& patterns) {
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, name.c_str());
  size_t p = 0;
  while (p <= patterns.size()) {
    size_t semi = patterns.find(';', p);
    if (semi == std::string::npos) semi = patterns.size();
    std::string pattern = patterns.substr(p, semi - p);
    // "*.*" means every file, also those without a dot.
    if (pattern == "*.*") pattern = "*";
    if (!pattern.empty()) gtk_file_filter_add_pattern(filter, CaseInsensitivePattern(pattern).c_str());
    p = semi + 1;
  }
  return filter;
}

void AddFileFilters(GtkFileChooser* chooser, const std::string& filters) {
  std::vector<std::string> parts = SplitFilterList(filters);
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    GtkFileFilter* filter = MakeFileFilter(parts[i], parts[i + 1]);
    gtk_file_chooser_add_filter(chooser, filter);
    if (i == 0) gtk_file_chooser_set_filter(chooser, filter);
  }
}

std::string RunFileDialog(GtkFileChooserAction action, const std::string& title, const std::string& defaultPath,
                          const std::string& filters) {
  GtkWidget* parent = ToolkitWindow(WINDOW_MAIN);
  const char* accept = action == GTK_FILE_CHOOSER_ACTION_SAVE ? GtkText("_Save") : GtkText("_Open");
  GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), parent ? GTK_WINDOW(parent) : nullptr, action,
                                                  GtkText("_Cancel"), GTK_RESPONSE_CANCEL, accept,
                                                  GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  AddFileFilters(chooser, filters);
  size_t slash = defaultPath.rfind('/');
  std::string folder = slash == std::string::npos ? "" : defaultPath.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? defaultPath : defaultPath.substr(slash + 1);
  if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
  if (action == GTK_FILE_CHOOSER_ACTION_SAVE) {
    if (!name.empty()) gtk_file_chooser_set_current_name(chooser, name.c_str());
  } else if (!name.empty() && FileSize(defaultPath) >= 0) {
    gtk_file_chooser_set_filename(chooser, defaultPath.c_str());
  }
  std::string chosen;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    gchar* path = gtk_file_chooser_get_filename(chooser);
    if (path != nullptr) {
      chosen = path;
      g_free(path);
    }
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

}  // namespace

int64_t ShowMessageBox(const std::string& title, const std::string& text, int64_t buttons, int64_t icon) {
  if (gCanned) {
    DialogCall call;
    call.kind = DIALOG_MESSAGE;
    call.title = title;
    call.text = text;
    call.buttons = buttons;
    call.icon = icon;
    gDialogCalls.push_back(call);
    return CannedMessageAnswer(buttons);
  }
  GtkMessageType type = GTK_MESSAGE_OTHER;
  if (icon == ICON_ERROR) type = GTK_MESSAGE_ERROR;
  if (icon == ICON_WARNING) type = GTK_MESSAGE_WARNING;
  if (icon == ICON_INFO) type = GTK_MESSAGE_INFO;
  const char* iconName = MessageIconName(icon);
  GtkButtonsType set = buttons == BUTTONS_OK ? GTK_BUTTONS_OK : GTK_BUTTONS_YES_NO;
  GtkWidget* parent = ToolkitWindow(WINDOW_MAIN);
  GtkWidget* dialog = gtk_message_dialog_new(parent ? GTK_WINDOW(parent) : nullptr, GTK_DIALOG_MODAL, type, set,
                                             "%s", text.c_str());
  if (buttons == BUTTONS_YES_NO_CANCEL) gtk_dialog_add_button(GTK_DIALOG(dialog), "_Cancel", GTK_RESPONSE_CANCEL);
  gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
  // GTK 3 message boxes show no image of their own any more.
  if (iconName != nullptr) {
    GtkWidget* row = gtk_widget_get_parent(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog)));
    GtkWidget* image = gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(row), image, 0);
    gtk_widget_show(image);
  }
  // Return answers Yes (save, replace) or OK: the default button also gets
  // the focus, as a focused button would take Return for itself. Escape
  // closes the box, which answers Cancel, or No without a Cancel button.
  gint safe = buttons == BUTTONS_OK ? GTK_RESPONSE_OK : GTK_RESPONSE_YES;
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), safe);
  GtkWidget* safeButton = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), safe);
  if (safeButton != nullptr) gtk_widget_grab_focus(safeButton);
  gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  if (response == GTK_RESPONSE_YES) return ANSWER_YES;
  if (response == GTK_RESPONSE_NO) return ANSWER_NO;
  if (response == GTK_RESPONSE_OK) return ANSWER_OK;
  if (buttons == BUTTONS_YES_NO_CANCEL) return ANSWER_CANCEL;
  return buttons == BUTTONS_YES_NO ? ANSWER_NO : ANSWER_OK;
}

namespace {

// A file dialog, or in tests its canned answer with the call recorded.
std::string ShowFileDialog(int64_t kind, const std::string& title, const std::string& defaultPath,
                           const std::string& filters) {
  if (gCanned) {
    DialogCall call;
    call.kind = kind;
    call.title = title;
    call.defaultPath = defaultPath;
    call.filters = filters;
    gDialogCalls.push_back(call);
    return CannedFileAnswer();
  }
  return RunFileDialog(kind == DIALOG_SAVE ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, title,
                       defaultPath, filters);
}

}  // namespace

std::string ShowSaveFileDialog(const std::string& title, const std::string& defaultPath, const std::string& filters) {
  return ShowFileDialog(DIALOG_SAVE, title, defaultPath, filters);
}

std::string ShowOpenFileDialog(const std::string& title, const std::string& defaultPath, const std::string& filters) {
  return ShowFileDialog(DIALOG_OPEN, title, defaultPath, filters);
}

int64_t FileFilterAccepts(const std::string& filters, int64_t index, const std::string& fileName) {
  std::vector<std::string> parts = SplitFilterList(filters);
  if (index < 0 || static_cast<size_t>(index) * 2 + 1 >= parts.size()) return 0;
  GtkFileFilter* filter = MakeFileFilter(parts[index * 2], parts[index * 2 + 1]);
  g_object_ref_sink(filter);
  GtkFileFilterInfo info{};
  info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
  info.display_name = fileName.c_str();
  int64_t accepted = gtk_file_filter_filter(filter, &info) ? 1 : 0;
  g_object_unref(filter);
  return accepted;
}

void UseCannedDialogs(int64_t on) { gCanned = on ? 1 : 0; }
void AddCannedMessageAnswer(int64_t answer) { gMessageAnswers.push_back(answer); }
void AddCannedFileAnswer(const std::string& path) { gFileAnswers.push_back(path); }
const std::vector<DialogCall>& RecordedDialogCalls() { return gDialogCalls; }

void ClearCannedDialogs() {
  gMessageAnswers.clear();
  gFileAnswers.clear();
  gDialogCalls.clear();
}
