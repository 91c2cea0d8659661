// The gadgets of the window-system layer on GTK 3: creation, texts and
// states, fonts and the canvas image. Programmatic changes block the
// layer's own handlers, because GTK emits "changed" and "toggled"
// synchronously.
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

#include "app/platform/window_system.h"
#include "app/platform/window_system_internal.h"

using namespace window_system_detail;

namespace window_system_detail {
namespace {

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

// A drag ends when the toolkit takes the pointer grab away, as on a release.
gboolean OnCanvasGrabBroken(GtkWidget*, GdkEvent*, gpointer data) {
  auto* g = static_cast<Gadget*>(data);
  Queue(EVENT_GADGET, g->window, g->id, EVENT_LEFT_UP);
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

// ---- gadget plumbing

void ApplySize(Gadget* g) {
  gtk_widget_set_size_request(SizedWidget(g), static_cast<int>(std::max<int64_t>(g->w, 1)),
                              static_cast<int>(std::max<int64_t>(g->h, 1)));
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

}  // namespace

void ReleaseGadget(Gadget* g) {
  if (g->cr != nullptr) cairo_destroy(g->cr);
  if (g->surface != nullptr) cairo_surface_destroy(g->surface);
  if (g->fontCss != nullptr) g_object_unref(g->fontCss);
  g->cr = nullptr;
  g->surface = nullptr;
  g->fontCss = nullptr;
}

namespace {

PangoFontDescription* DefaultGadgetFont() {
  gchar* name = nullptr;
  GtkSettings* settings = gtk_settings_get_default();
  if (settings != nullptr) g_object_get(settings, "gtk-font-name", &name, nullptr);
  PangoFontDescription* desc = pango_font_description_from_string(name != nullptr ? name : "Sans 10");
  g_free(name);
  return desc;
}

}  // namespace
}  // namespace window_system_detail

// ----------------------------------------------------------------- gadgets

namespace {

// The theme's wide padding would cut the captions of the narrow buttons.
void UseNarrowPadding(GtkWidget* button) {
  static GtkCssProvider* narrow = nullptr;
  if (narrow == nullptr) {
    narrow = gtk_css_provider_new();
    gtk_css_provider_load_from_data(narrow, "button { padding-left: 2px; padding-right: 2px; }", -1, nullptr);
  }
  gtk_style_context_add_provider(gtk_widget_get_style_context(button), GTK_STYLE_PROVIDER(narrow),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// The natural width of a widget made as the layer makes it, with an empty text.
int64_t EmptyWidgetWidth(GtkWidget* widget) {
  g_object_ref_sink(widget);
  gtk_widget_show_all(widget);  // a hidden widget asks for nothing
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_width(widget, &minimum, &natural);
  gtk_widget_destroy(widget);
  g_object_unref(widget);
  return natural;
}

}  // namespace

int64_t ButtonChromeWidth() {
  GtkWidget* button = gtk_button_new_with_label("");
  UseNarrowPadding(button);
  return EmptyWidgetWidth(button);
}

int64_t ComboChromeWidth() {
  GtkWidget* combo = gtk_combo_box_text_new();
  gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), "");
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), 0);
  return EmptyWidgetWidth(combo);
}

int64_t CreateButton(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h,
                     const std::string& text) {
  GtkWidget* button = gtk_button_new_with_label(text.c_str());
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
  if (GTK_IS_LABEL(label)) gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  UseNarrowPadding(button);
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

void LimitTextLines(int64_t window, int64_t id, int64_t lines) {
  Gadget* g = FindGadget(window, id);
  if (g == nullptr || g->kind != KIND_TEXT) return;
  GtkLabel* label = GTK_LABEL(g->inner);
  gtk_label_set_line_wrap(label, TRUE);
  gtk_label_set_line_wrap_mode(label, PANGO_WRAP_WORD_CHAR);
  gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_END);
  gtk_label_set_lines(label, static_cast<gint>(lines));
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
  g_signal_connect(area, "grab-broken-event", G_CALLBACK(OnCanvasGrabBroken), g);
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

namespace {

// A scroll bar is shown where the inside is larger than the area. GTK's own
// automatic bars are weighed at every allocation of the area, which then
// asks for a new layout of all of it and so repaints it whole: every new
// text inside (the info text changes with every keystroke) repainted the
// whole form. Decided here, they change only when a size does.
void ChooseScrollBars(Gadget* g) {
  guint innerW = 0, innerH = 0;
  gtk_layout_get_size(GTK_LAYOUT(g->area), &innerW, &innerH);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(g->outer),
                                 static_cast<int64_t>(innerW) > g->w ? GTK_POLICY_ALWAYS : GTK_POLICY_NEVER,
                                 static_cast<int64_t>(innerH) > g->h ? GTK_POLICY_ALWAYS : GTK_POLICY_NEVER);
}

}  // namespace

int64_t CreateScrollArea(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t innerW,
                         int64_t innerH, int64_t scrollStep) {
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_NONE);
  GtkWidget* area = gtk_layout_new(nullptr, nullptr);
  gtk_layout_set_size(GTK_LAYOUT(area), static_cast<guint>(std::max<int64_t>(innerW, 1)),
                      static_cast<guint>(std::max<int64_t>(innerH, 1)));
  gtk_container_add(GTK_CONTAINER(scrolled), area);
  id = AddGadget(window, id, KIND_SCROLL, scrolled, area, x, y, w, h);
  Gadget* g = Created(window, id);
  if (g == nullptr) return id;
  g->area = area;
  ChooseScrollBars(g);
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
  ChooseScrollBars(g);
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
  // A label or text field given the text it shows is left alone: GTK would
  // lay out the window again and repaint what the new layout touches.
  if ((g->kind == KIND_TEXT || g->kind == KIND_EDITOR) && GetGadgetText(window, id) == text) return;
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
  if (g->kind == KIND_CHECK) state = state ? 1 : 0;
  if (g->kind == KIND_COMBO && !(state >= 0 && state < ComboItemCount(window, id))) state = -1;
  // A combo box set to the item it shows still lays out its view again,
  // and with it the window.
  if (GetGadgetState(window, id) == state) return;
  Silently(g, [&] {
    if (g->kind == KIND_CHECK) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(g->inner), state ? TRUE : FALSE);
    if (g->kind == KIND_COMBO) gtk_combo_box_set_active(GTK_COMBO_BOX(g->inner), static_cast<gint>(state));
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
  int64_t oldX = g->x, oldY = g->y;
  if (x != GADGET_KEEP) g->x = x;
  if (y != GADGET_KEEP) g->y = y;
  if (w != GADGET_KEEP) g->w = w;
  if (h != GADGET_KEEP) g->h = h;
  // A move always asks for a new layout pass, even to the same place.
  if (g->x != oldX || g->y != oldY)
    gtk_layout_move(GTK_LAYOUT(g->parent), g->outer, static_cast<gint>(g->x), static_cast<gint>(g->y));
  ApplySize(g);
  if (g->kind == KIND_SCROLL) ChooseScrollBars(g);
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
