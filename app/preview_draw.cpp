#include "app/preview_draw.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

#include "app/canvas_text.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"
#include "vase/vase_params.h"

namespace {

constexpr double MESSAGE_X_PX = 12, MESSAGE_Y_PX = 10, HINT_X_PX = 10, HINT_BOTTOM_PX = 8;
// Between a text and the model below or above it.
constexpr double BAND_GAP_PX = 4;

void DrawLine(cairo_t* cr, PangoLayout* layout, double x, double y, const std::string& text, double r, double g,
              double b) {
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
}

PangoFontDescription* PreviewFont() {
  static PangoFontDescription* font = pango_font_description_from_string("Sans 10");
  return font;
}

std::string FitPreviewHint(PangoLayout* layout, int64_t canvasWidth) {
  return DropInstructionsToWidth(layout, Tx(TX_PREVIEW_HINT), "", canvasWidth - static_cast<int64_t>(2 * HINT_X_PX));
}

// The red line at the top: the design's error, the missing height, or why
// an export would refuse the vase; "" when all is well.
std::string PreviewMessage() {
  if (!gResult.valid && !gResult.message.empty()) return gResult.message;
  if (!IsPreviewHeight(gVase.height)) return Tx(TX_PREVIEW_NO_HEIGHT);
  return gPreviewRefusal;
}

}  // namespace

void DrawPreview3D() {
  cairo_t* cr = BeginCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  if (cr == nullptr) return;
  cairo_surface_t* surface = cairo_get_target(cr);
  cairo_surface_flush(surface);
  int64_t w = cairo_image_surface_get_width(surface);
  int64_t h = cairo_image_surface_get_height(surface);

  // Texts are placed in canvas pixels; the image may hold more (HiDPI).
  int64_t canvasWidth = GadgetWidth(WINDOW_MAIN, GADGET_CANVAS);
  int64_t canvasHeight = GadgetHeight(WINDOW_MAIN, GADGET_CANVAS);
  double scale = canvasWidth > 0 ? static_cast<double>(w) / static_cast<double>(canvasWidth) : 1;
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_layout_set_font_description(layout, PreviewFont());
  pango_layout_set_text(layout, "Ag", 2);
  int textWidth = 0, textHeight = 0;
  pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
  const double hintY = static_cast<double>(canvasHeight - textHeight) - HINT_BOTTOM_PX;
  const std::string message =
      CutToWidth(layout, PreviewMessage(), canvasWidth - static_cast<int64_t>(MESSAGE_X_PX + HINT_X_PX));
  const std::string hint = FitPreviewHint(layout, canvasWidth);

  RenderPreviewMesh(w, h, gYaw3D, gPitch3D, gZoom3D);
  if (gFrameW == w && gFrameH == h) {
    // No part of the model lies under a text.
    if (!message.empty()) FillBackgroundRows(0, static_cast<int64_t>((MESSAGE_Y_PX + textHeight + BAND_GAP_PX) * scale));
    if (!hint.empty()) FillBackgroundRows(static_cast<int64_t>((hintY - BAND_GAP_PX) * scale), h);
  }
  // The canvas image is 32-bit native-endian ARGB: bytes B, G, R, A here.
  BlitFrameBuffer(cairo_image_surface_get_data(surface), w, h, cairo_image_surface_get_stride(surface),
                  PIXELS_BGRA32, 0);
  cairo_surface_mark_dirty(surface);

  cairo_save(cr);
  cairo_scale(cr, scale, scale);
  pango_cairo_update_layout(cr, layout);
  if (!message.empty()) DrawLine(cr, layout, MESSAGE_X_PX, MESSAGE_Y_PX, message, 200, 30, 30);
  DrawLine(cr, layout, HINT_X_PX, hintY, hint, 90, 90, 100);
  g_object_unref(layout);
  cairo_restore(cr);
  EndCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
}

std::string PreviewHintForWidth(int64_t canvasWidth) {
  return FitOnScratchLayout(PreviewFont(), [&](PangoLayout* layout) { return FitPreviewHint(layout, canvasWidth); });
}
