#include "app/draw2d.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <string>

#include "app/canvas_text.h"
#include "app/clip.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/preview_draw.h"
#include "app/view.h"
#include "engine/design.h"
#include "text/texts.h"

namespace {

constexpr double TEXT_SIZE_PX = 13;

struct Rgba {
  int r, g, b, a;
};

constexpr Rgba BACKGROUND_COLOUR{250, 250, 252, 255};
constexpr Rgba FINE_GRID_COLOUR{222, 224, 230, 255};
constexpr Rgba MAJOR_GRID_COLOUR{190, 194, 204, 255};
constexpr Rgba X_AXIS_COLOUR{230, 60, 60, 255};
constexpr Rgba Y_AXIS_COLOUR{40, 190, 60, 255};
constexpr Rgba FILL_COLOUR{150, 180, 220, 110};
constexpr Rgba BASE_LINE_COLOUR{120, 120, 135, 255};
constexpr Rgba OUTLINE_COLOUR{20, 20, 30, 255};
constexpr Rgba ERROR_COLOUR{200, 30, 30, 255};
constexpr Rgba WARNING_COLOUR{200, 90, 0, 255};
constexpr Rgba HINT_COLOUR{90, 90, 100, 255};
constexpr int64_t HINT_MARGIN_PX = 10;
constexpr int64_t TEXT_LEFT_PX = 12;

// A point closer than this to the last one kept adds nothing visible to a
// line of 1.2 px, but costs cairo as much as any other.
constexpr double DROP_DISTANCE_PX = 0.5;

// Screen points of the outline, and of the fill or the base line.
PointList gScreenPoints, gOtherPoints;

bool Near(const OutlinePoint& a, const OutlinePoint& b) {
  const double dx = a.x - b.x, dy = a.y - b.y;
  return dx * dx + dy * dy < DROP_DISTANCE_PX * DROP_DISTANCE_PX;
}

// Both sides of the cone of directions from a start point within `tol` of
// a point at (ex, ey) from it (|e| > tol): e turned each way by asin(tol/|e|).
void ConeSides(double ex, double ey, double tol, double& rx, double& ry, double& lx, double& ly) {
  const double s = tol / std::sqrt(ex * ex + ey * ey), c = std::sqrt(1 - s * s);
  rx = ex * c + ey * s;
  ry = ey * c - ex * s;
  lx = ex * c - ey * s;
  ly = ey * c + ex * s;
}

// Direction (qx, qy) within the cone from right side r to left side l
// (narrower than a half turn).
bool InCone(double qx, double qy, double rx, double ry, double lx, double ly) {
  return rx * qy - ry * qx >= 0 && qx * ly - qy * lx >= 0;
}

}  // namespace

// Smooth curves come out of the mapping with a point every pixel or two,
// and cairo's cost goes by the segment. Each point left out holds the
// line's direction to a cone; a point is kept once the next one lies
// outside the cones, or nearer the start than a point left out.
void KeepBends(PointList& points) {
  if (points.size() < 3) return;
  constexpr double TOL = STRAIGHT_TOLERANCE_PX;
  OutlinePoint start = points[0], end = points[1];
  size_t kept = 1;
  // The cones' common part (once a point further than TOL is left out),
  // and the largest squared distance of a point left out.
  bool coned = false;
  double rx = 0, ry = 0, lx = 0, ly = 0, reach = 0;
  for (size_t k = 2; k < points.size(); ++k) {
    const OutlinePoint q = points[k];
    const double ex = end.x - start.x, ey = end.y - start.y, e2 = ex * ex + ey * ey;
    const double qx = q.x - start.x, qy = q.y - start.y;
    // Leaving out `end` as well, q must lie in its cone too.
    const bool far = !(e2 <= TOL * TOL);
    double erx = 0, ery = 0, elx = 0, ely = 0;
    if (far) ConeSides(ex, ey, TOL, erx, ery, elx, ely);
    if (qx * qx + qy * qy >= std::max(reach, e2) && (!coned || InCone(qx, qy, rx, ry, lx, ly)) &&
        (!far || InCone(qx, qy, erx, ery, elx, ely))) {
      // Both cones hold q's direction, so their sides compare within a
      // half turn.
      if (far && (!coned || rx * ery - ry * erx > 0)) rx = erx, ry = ery;
      if (far && (!coned || lx * ely - ly * elx < 0)) lx = elx, ly = ely;
      coned = coned || far;
      reach = std::max(reach, e2);
    } else {
      points[kept++] = end;
      start = end;
      coned = false;
      reach = 0;
    }
    end = q;
  }
  points[kept++] = end;
  points.resize(kept);
}

namespace {

// The world points as screen points, ready for the clipper, thinned on the
// way: every point within DROP_DISTANCE_PX of the last point kept is left
// out, and so is a way back and forth again (A B C q with C near A and q
// near B: both segments lie within that distance of A-B). Dense figures
// fold hundreds of times within a pixel; drawn, they are one band, but
// every fold costs cairo a stroke and a fill edge. Non-finite points are
// kept (the clipper rejects them). One pass over the world points, so that
// a ring of millions of points never needs a screen copy of its size; then
// the straight stretches of what is kept are drawn as single segments.
void MapForDrawing(const PointList& world, PointList& kept) {
  kept.clear();
  OutlinePoint q;
  for (const OutlinePoint& p : world) {
    WorldToScreen(q, p.x, p.y);
    size_t n = kept.size();
    if (n > 0 && Near(q, kept[n - 1])) continue;
    if (n >= 3 && Near(kept[n - 1], kept[n - 3]) && Near(q, kept[n - 2])) {
      kept.pop_back();
      continue;
    }
    kept.push_back(q);
  }
  KeepBends(kept);
}

void SetColour(cairo_t* cr, const Rgba& c) {
  cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0);
}

// Strokes of a path of many crossing segments (a dense pattern folds over
// itself pixel by pixel) make cairo sort hundreds of thousands of edges on
// every scanline; strokes of pieces of this many segments keep that small.
constexpr size_t STROKE_PIECE_SEGMENTS = 64;

// Hands the clipped path to cairo and empties it. Given strokeEvery, the
// path is stroked each time it has that many segments and goes on from its
// last segment, so that every join is drawn; with an opaque colour the
// twice-drawn segment looks the same. The last piece is left to stroke.
void AppendClipPath(cairo_t* cr, size_t strokeEvery = 0) {
  cairo_new_path(cr);
  size_t k = 0, segments = 0;
  OutlinePoint last{0, 0};
  for (uint8_t op : gClipPath.ops) {
    if (op == CLIP_CLOSE_PATH) {
      cairo_close_path(cr);
      continue;
    }
    const OutlinePoint& p = gClipPath.points[k++];
    if (op == CLIP_MOVE_TO) {
      cairo_move_to(cr, p.x, p.y);
    } else {
      if (strokeEvery > 0 && segments == strokeEvery) {
        cairo_stroke(cr);
        cairo_move_to(cr, last.x, last.y);
        segments = 0;
      }
      cairo_line_to(cr, p.x, p.y);
      ++segments;
    }
    last = p;
  }
  ClearClipPath();
}

// Half a pixel past the nearest whole pixel, halves away from zero, so that
// one-pixel lines fall on pixel centres.
double PixelCentre(double v) { return std::round(v) + 0.5; }

// Adds the lines of one grid pass; false when the step would give more
// lines than the canvas can show apart, or the range is not finite.
bool AddGridLines(cairo_t* cr, double step, int64_t w, int64_t h) {
  double s = gScale2D;
  double x0 = gPanX - (w / 2.0) / s, x1 = gPanX + (w / 2.0) / s;
  double y0 = gPanY - (h / 2.0) / s, y1 = gPanY + (h / 2.0) / s;
  double i0 = std::floor(x0 / step), i1 = std::floor(x1 / step);
  double j0 = std::floor(y0 / step), j1 = std::floor(y1 / step);
  // Beyond 2^53 grid indices are no longer whole numbers apart.
  const double kIndexLimit = 9007199254740992.0;
  for (double index : {i0, i1, j0, j1})
    if (!(std::fabs(index) < kIndexLimit)) return false;
  double xLimit = w / GRID_MIN_SPACING_PX + 2, yLimit = h / GRID_MIN_SPACING_PX + 2;
  if (i1 - i0 + 1 > xLimit || j1 - j0 + 1 > yLimit) return false;
  OutlinePoint p;
  int64_t lines = 0;
  for (int64_t i = static_cast<int64_t>(i0); static_cast<double>(i) * step <= x1 && lines <= xLimit; ++i, ++lines) {
    WorldToScreen(p, static_cast<double>(i) * step, 0);
    double x = PixelCentre(p.x);
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x, static_cast<double>(h));
  }
  lines = 0;
  for (int64_t j = static_cast<int64_t>(j0); static_cast<double>(j) * step <= y1 && lines <= yLimit; ++j, ++lines) {
    WorldToScreen(p, 0, static_cast<double>(j) * step);
    double y = PixelCentre(p.y);
    cairo_move_to(cr, 0, y);
    cairo_line_to(cr, static_cast<double>(w), y);
  }
  return true;
}

PangoFontDescription* CanvasFont() {
  static PangoFontDescription* font = nullptr;
  if (font == nullptr) {
    font = pango_font_description_from_string("Sans");
    pango_font_description_set_absolute_size(font, TEXT_SIZE_PX * PANGO_SCALE);
  }
  return font;
}

void DrawText(cairo_t* cr, PangoLayout* layout, double x, double y, const std::string& text, const Rgba& colour) {
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  SetColour(cr, colour);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
}

// The hint line, shortened by whole instructions from its end until it fits
// the canvas, so that the scale in parentheses always stays readable.
std::string FitZoomHint(PangoLayout* layout, int64_t canvasWidth) {
  std::string hint = ZoomHintText();
  const std::string instructions = Tx(TX_VIEW_HINT_2D);
  size_t open = instructions.rfind('(');
  if (open == std::string::npos) return hint;
  return DropInstructionsToWidth(layout, instructions.substr(0, open), hint.substr(open),
                                 canvasWidth - 2 * HINT_MARGIN_PX);
}

void DrawTexts(cairo_t* cr, int64_t w, int64_t h) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_layout_set_font_description(layout, CanvasFont());
  // The lines end a hint margin short of the right edge.
  const int64_t room = w - TEXT_LEFT_PX - HINT_MARGIN_PX;
  double y = TEXT_TOP_PX;
  if (!gResult.valid && !gResult.message.empty()) {
    DrawText(cr, layout, TEXT_LEFT_PX, y, CutToWidth(layout, gResult.message, room), ERROR_COLOUR);
    y += TEXT_LINE_PX;
  }
  for (const std::string& warning : gResult.warnings) {
    DrawText(cr, layout, TEXT_LEFT_PX, y, CutToWidth(layout, "! " + warning, room), WARNING_COLOUR);
    y += TEXT_LINE_PX;
  }
  DrawText(cr, layout, HINT_MARGIN_PX, static_cast<double>(h) - 24, FitZoomHint(layout, w), HINT_COLOUR);
  g_object_unref(layout);
}

void DrawAxes(cairo_t* cr, int64_t w, int64_t h) {
  OutlinePoint o;
  WorldToScreen(o, 0, 0);
  cairo_set_line_width(cr, 1);
  // Far-away coordinates wrap in cairo's fixed point; draw only what shows.
  double y = PixelCentre(o.y);
  if (y >= 0 && y <= static_cast<double>(h)) {
    cairo_move_to(cr, 0, y);
    cairo_line_to(cr, static_cast<double>(w), y);
    SetColour(cr, X_AXIS_COLOUR);
    cairo_stroke(cr);
  }
  double x = PixelCentre(o.x);
  if (x >= 0 && x <= static_cast<double>(w)) {
    cairo_move_to(cr, x, 0);
    cairo_line_to(cr, x, static_cast<double>(h));
    SetColour(cr, Y_AXIS_COLOUR);
    cairo_stroke(cr);
  }
}

void DrawDesign(cairo_t* cr, int64_t showBaseLine, int64_t showFill) {
  MapForDrawing(gResult.outlinePoints, gScreenPoints);
  if (showFill) {
    gOtherPoints = gScreenPoints;
    AddClippedPolygon(gOtherPoints);
    AppendClipPath(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    SetColour(cr, FILL_COLOUR);
    cairo_fill(cr);
  }
  if (showBaseLine && gParams.figureKind != FIGURE_NONE) {
    MapForDrawing(gResult.baseLinePoints, gOtherPoints);
    AddClippedPolyline(gOtherPoints, 1);
    AppendClipPath(cr);
    const double dash[] = {5, 5};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 1);
    SetColour(cr, BASE_LINE_COLOUR);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  AddClippedPolyline(gScreenPoints, 1);
  cairo_set_line_width(cr, 1.2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  SetColour(cr, OUTLINE_COLOUR);
  AppendClipPath(cr, STROKE_PIECE_SEGMENTS);
  cairo_stroke(cr);
  for (PointList* list : {&gScreenPoints, &gOtherPoints}) {
    list->clear();
    list->shrink_to_fit();
  }
}

}  // namespace

void GridSteps(double s, double& fine, double& major) {
  int64_t k = 0;
  double step = GRID_FIRST_STEP_MM;
  double m = 1;
  while (step * s < GRID_MIN_SPACING_PX && step < GRID_MAX_STEP_MM) {
    ++k;
    m = k % 3 == 0 ? 1 : (k % 3 == 1 ? 2 : 5);
    step = m * std::pow(10.0, static_cast<double>(k / 3 - 3));
  }
  fine = step;
  major = m == 5 ? 2 * step : 5 * step;
}

int64_t DrawGrid(cairo_t* cr, int64_t w, int64_t h) {
  double fine, major;
  GridSteps(gScale2D, fine, major);
  cairo_set_line_width(cr, 1);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  const double steps[2] = {fine, major};
  const Rgba colours[2] = {FINE_GRID_COLOUR, MAJOR_GRID_COLOUR};
  for (int pass = 0; pass < 2; ++pass) {
    cairo_new_path(cr);
    if (!AddGridLines(cr, steps[pass], w, h)) {
      cairo_new_path(cr);
      continue;
    }
    SetColour(cr, colours[pass]);
    cairo_stroke(cr);
  }
  return 0;
}

std::string ZoomHintText() {
  return std::string(Tx(TX_VIEW_HINT_2D)) + FormatDecimals(2, gScale2D) + Tx(TX_VIEW_HINT_UNIT);
}

std::string ZoomHintForWidth(int64_t canvasWidth) {
  return FitOnScratchLayout(CanvasFont(), [&](PangoLayout* layout) { return FitZoomHint(layout, canvasWidth); });
}

void PaintCanvas2D(cairo_t* cr, int64_t w, int64_t h, double surfaceWidth, int64_t showGrid, int64_t showBaseLine,
                   int64_t showFill) {
  if (w > 0) {
    gPixelScale = surfaceWidth / static_cast<double>(w);
    if (!(gPixelScale > 0)) gPixelScale = 1;
  }
  gCanvasWidth = static_cast<double>(w);
  gCanvasHeight = static_cast<double>(h);
  cairo_save(cr);
  cairo_scale(cr, gPixelScale, gPixelScale);
  SetClipRect(static_cast<double>(w), static_cast<double>(h));
  ClearClipPath();
  SetColour(cr, BACKGROUND_COLOUR);
  cairo_paint(cr);
  if (showGrid) DrawGrid(cr, w, h);
  DrawAxes(cr, w, h);
  if (gResult.valid) DrawDesign(cr, showBaseLine, showFill);
  DrawTexts(cr, w, h);
  cairo_restore(cr);
}

void ReadCanvasSize() {
  gCanvasWidth = static_cast<double>(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS));
  gCanvasHeight = static_cast<double>(GadgetHeight(WINDOW_MAIN, GADGET_CANVAS));
}

int64_t DrawCanvas() {
  ReadCanvasSize();
  if (GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D)) {
    DrawPreview3D();
    return 0;
  }
  cairo_t* cr = BeginCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  if (cr == nullptr) return 0;
  PaintCanvas2D(cr, GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), GadgetHeight(WINDOW_MAIN, GADGET_CANVAS),
                static_cast<double>(CanvasSurfaceWidth(WINDOW_MAIN, GADGET_CANVAS)),
                GetGadgetState(WINDOW_MAIN, GADGET_SHOW_GRID), GetGadgetState(WINDOW_MAIN, GADGET_SHOW_BASE_LINE),
                GetGadgetState(WINDOW_MAIN, GADGET_SHOW_FILL));
  EndCanvasDrawing(WINDOW_MAIN, GADGET_CANVAS);
  return 0;
}
