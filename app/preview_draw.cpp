#include "app/preview_draw.h"

#include <pango/pangocairo.h>

#include <string>

#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/view.h"
#include "engine/design.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"
#include "vase/vase_params.h"

namespace {

void DrawLine(cairo_t* cr, PangoLayout* layout, double x, double y, const std::string& text, double r, double g,
              double b) {
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
}

}  // namespace

void DrawPreview3D() {
  cairo_t* cr = BeginCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  if (cr == nullptr) return;
  cairo_surface_t* surface = cairo_get_target(cr);
  cairo_surface_flush(surface);
  int64_t w = cairo_image_surface_get_width(surface);
  int64_t h = cairo_image_surface_get_height(surface);
  RenderPreviewMesh(w, h, gYaw3D, gPitch3D, gZoom3D);
  // The canvas image is 32-bit native-endian ARGB: bytes B, G, R, A here.
  BlitFrameBuffer(cairo_image_surface_get_data(surface), w, h, cairo_image_surface_get_stride(surface),
                  PIXELS_BGRA32, 0);
  cairo_surface_mark_dirty(surface);

  // Texts are placed in canvas pixels; the image may hold more (HiDPI).
  int64_t canvasWidth = GadgetWidth(WINDOW_MAIN, GADGET_CANVAS);
  int64_t canvasHeight = GadgetHeight(WINDOW_MAIN, GADGET_CANVAS);
  double scale = canvasWidth > 0 ? static_cast<double>(w) / static_cast<double>(canvasWidth) : 1;
  cairo_save(cr);
  cairo_scale(cr, scale, scale);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Sans 10");
  pango_layout_set_font_description(layout, font);
  if (!gResult.valid && !gResult.message.empty()) {
    DrawLine(cr, layout, 12, 10, gResult.message, 200, 30, 30);
  } else if (!IsPreviewHeight(gVase.height)) {
    DrawLine(cr, layout, 12, 10, Tx(TX_PREVIEW_NO_HEIGHT), 200, 30, 30);
  }
  pango_layout_set_text(layout, "Ag", 2);
  int textWidth = 0, textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
  DrawLine(cr, layout, 10, static_cast<double>(canvasHeight - textHeight - 8), Tx(TX_PREVIEW_HINT), 90, 90, 100);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_restore(cr);
  EndCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
}
