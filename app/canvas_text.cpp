#include "app/canvas_text.h"

namespace {

const char kEllipsis[] = "\u2026";

// Start of the UTF-8 character that ends at byte end (exclusive).
size_t LastCharacterStart(const std::string& text, size_t end) {
  size_t k = end;
  while (k > 0) {
    --k;
    if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) break;
  }
  return k;
}

}  // namespace

int64_t CanvasTextWidth(PangoLayout* layout, const std::string& text) {
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  return w;
}

std::string CutToWidth(PangoLayout* layout, const std::string& text, int64_t room) {
  if (CanvasTextWidth(layout, text) <= room) return text;
  size_t end = text.size();
  std::string shown;
  // Whole words first: the text up to a blank, without the blanks.
  for (;;) {
    size_t blank = text.rfind(' ', end == 0 ? 0 : end - 1);
    if (blank == std::string::npos || end == 0) break;
    size_t last = text.find_last_not_of(' ', blank);
    if (last == std::string::npos) break;
    end = last + 1;
    shown = text.substr(0, end) + kEllipsis;
    if (CanvasTextWidth(layout, shown) <= room) return shown;
  }
  // One word left that does not fit: its characters from the end.
  while (end > 0) {
    end = LastCharacterStart(text, end);
    shown = text.substr(0, end) + kEllipsis;
    if (CanvasTextWidth(layout, shown) <= room) return shown;
  }
  return "";
}

std::string DropInstructionsToWidth(PangoLayout* layout, std::string instructions, const std::string& tail,
                                    int64_t room) {
  std::string line = instructions + tail;
  while (!instructions.empty() && CanvasTextWidth(layout, line) > room) {
    size_t end = instructions.find_last_not_of(' ');
    size_t gap = end == std::string::npos ? std::string::npos : instructions.rfind("  ", end);
    instructions = gap == std::string::npos ? "" : instructions.substr(0, gap + 2);
    line = instructions + tail;
  }
  return line;
}

std::string FitOnScratchLayout(const PangoFontDescription* font,
                               const std::function<std::string(PangoLayout*)>& fit) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_layout_set_font_description(layout, font);
  std::string text = fit(layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return text;
}
