// One triangle of the preview into the colour and depth buffers.
//
// The pixels are those of the plain rule: per pixel centre the weights
// wa = na / A, wb = nb / A (na, nb the edge values of the formulas), the
// tests wa < 0, wb < 0, wa + wb > 1, then iz = wa/da + wb/db + wc/dc stored
// as a float when it is nearer. The work is cut without changing a pixel:
// - only pixel centres near the triangle's box can pass; a triangle with
//   none stops at once, one with a few runs the formulas for each;
// - each edge value, signed to be >= 0 inside, is certain wherever it lies
//   farther from zero than `certain`, a bound far above the rounding of any
//   of the forms used; a pixel with a value below -certain fails the rule,
//   one with all three above +certain passes it; only the thin bands in
//   between go through the formulas;
// - scan lines are cut to the pixels that are not certainly outside, from
//   the edges' crossings, so a thin triangle costs little more than its
//   pixels; a triangle taller than wide is scanned by columns;
// - iz is approximated with products; where the approximation lies clearly
//   behind the stored depth, or clearly inside one float rounding interval,
//   it gives the same float as the formula; elsewhere the formula runs.
#include <algorithm>
#include <cmath>

#include "vase/preview_renderer.h"

namespace {

constexpr double LIGHT_RIGHT = -0.35;
constexpr double LIGHT_UP = 0.45;
constexpr double LIGHT_DEPTH = 0.8200000000000001;  // subtracted
constexpr double MIN_SCREEN_AREA = 1e-9;
// Error bounds, relative to the squared extent of a triangle and to its
// area; the rounding they cover is below 1e-14 of either.
constexpr double EDGE_ERROR = 1e-12;
constexpr double DEPTH_ERROR = 1e-13;
// Up to this many candidate centres a triangle skips the span setup.
constexpr int64_t SMALL_TRIANGLE_CENTRES = 4;

uint32_t ShadeColour(uint32_t colour, int64_t k) {
  uint32_t r = ((colour & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  uint32_t g = (((colour >> 8) & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  uint32_t b = (((colour >> 16) & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  return r | (g << 8) | (b << 16);
}

int64_t LightFactor(double nx, double nu, double nd) {
  double length = std::sqrt(nx * nx + nu * nu + nd * nd);
  if (!(length > 0)) return 256;
  double k =
      std::nearbyint((std::fabs(LIGHT_RIGHT * nx + LIGHT_UP * nu - LIGHT_DEPTH * nd) * 0.7 / length + 0.3) * 256);
  return k > 256 ? 256 : static_cast<int64_t>(k);
}

// One edge value along a pixel row: row - slope * (x - origin), as in the
// weight formulas; times sigma it is >= 0 on the inner side.
struct EdgeRow {
  double slope, origin, sigma;
  double row = 0;
  double At(double x) const { return row - slope * (x - origin); }
  double Signed(int64_t px) const { return sigma * At(static_cast<double>(px) + 0.5); }
};

EdgeRow MakeEdge(double slope, double origin, double sigma) { return EdgeRow{slope, origin, sigma}; }

// The float that `approx` rounds to, when every value within `slack` of it
// rounds to the same float; else 0 (the caller then computes exactly).
// Rounding to float is monotonic, so equal floats at both ends of the
// interval (widened to twice the slack, far beyond the double rounding of
// the ends) settle every value inside.
float CertainFloat(double approx, double slack) {
  float low = static_cast<float>(approx - 2 * slack);
  return low == static_cast<float>(approx + 2 * slack) ? low : 0;
}

// Flat shading: the light factor from the camera-space normal.
uint32_t TriangleColour(int64_t a, int64_t b, int64_t c, uint32_t base) {
  double e1x = gCamX[b] - gCamX[a], e1u = gCamUp[b] - gCamUp[a], e1d = gViewDepth[b] - gViewDepth[a];
  double e2x = gCamX[c] - gCamX[a], e2u = gCamUp[c] - gCamUp[a], e2d = gViewDepth[c] - gViewDepth[a];
  double nx = e1u * e2d - e1d * e2u;
  double nu = e1d * e2x - e1x * e2d;
  double nd = e1x * e2u - e1u * e2x;
  return ShadeColour(base, LightFactor(nx, nu, nd));
}

// std::trunc for the box without a library call; values are first held
// within +-1e15, far beyond any frame, so the box is the same.
double Truncate(double v) {
  double held = std::min(std::max(v, -1e15), 1e15);
  return static_cast<double>(static_cast<int64_t>(held));
}

// The pixel centres that can pass the weight test lie within the box
// widened by `reach`: such a centre has all three signed edge values above
// -certain, so it is the weighted mean of the corners with weights above
// -certain / area, within 3 * certain * extent / area of the box. Most
// triangles of a dense mesh hold none or a few of them.
struct Candidates {
  int64_t x0, x1, y0, y1;  // inclusive; empty when x0 > x1 or y0 > y1
  bool known;              // false far from the frame: use the whole box
};

Candidates CandidateCentres(double minX, double maxX, double minY, double maxY, double absArea) {
  // Far from the frame the subtractions below would round too coarsely.
  constexpr double LIMIT = 1e6;
  Candidates none{0, 0, 0, 0, false};
  if (!(minX > -LIMIT && maxX < LIMIT && minY > -LIMIT && maxY < LIMIT)) return none;
  double extent = std::max(maxX - minX, maxY - minY) + 2;
  double certain = EDGE_ERROR * (extent * extent + absArea);
  double reach = 3 * certain * extent / absArea + 1e-6;
  if (!(reach < LIMIT)) return none;
  // Centres px + 0.5 in [lo, hi] are the integers in [lo - 0.5, hi - 0.5];
  // shifted by 4 * LIMIT, the values are positive and truncation is floor.
  auto range = [reach](double lo, double hi, int64_t& first, int64_t& last) {
    constexpr double SHIFT = 4 * LIMIT;
    double from = lo - reach - 0.5 + SHIFT, to = hi + reach - 0.5 + SHIFT;
    first = static_cast<int64_t>(from);
    first += static_cast<double>(first) < from;
    last = static_cast<int64_t>(to);
    first -= static_cast<int64_t>(SHIFT);
    last -= static_cast<int64_t>(SHIFT);
  };
  Candidates c{0, 0, 0, 0, true};
  range(minX, maxX, c.x0, c.x1);
  range(minY, maxY, c.y0, c.y1);
  return c;
}

}  // namespace

void RasterizeTriangle(int64_t a, int64_t b, int64_t c, uint32_t front, uint32_t back) {
  double da = gViewDepth[a], db = gViewDepth[b], dc = gViewDepth[c];
  if (da <= 0 || db <= 0 || dc <= 0) return;
  double xa = gScreenX[a], ya = gScreenY[a];
  double xb = gScreenX[b], yb = gScreenY[b];
  double xc = gScreenX[c], yc = gScreenY[c];
  double area = (xb - xa) * (yc - ya) - (yb - ya) * (xc - xa);
  // Also refuses a non-finite area, whose box could not be converted.
  if (!(std::fabs(area) >= MIN_SCREEN_AREA) || !std::isfinite(area)) return;

  double minX = std::min(xa, std::min(xb, xc)), maxX = std::max(xa, std::max(xb, xc));
  double minY = std::min(ya, std::min(yb, yc)), maxY = std::max(ya, std::max(yb, yc));
  Candidates centres = CandidateCentres(minX, maxX, minY, maxY, std::fabs(area));
  if (centres.known && (centres.x0 > centres.x1 || centres.y0 > centres.y1)) return;
  double lastX = static_cast<double>(gFrameW - 1), lastY = static_cast<double>(gFrameH - 1);
  double fx0 = Truncate(minX), fx1 = Truncate(maxX) + 1;
  double fy0 = Truncate(minY), fy1 = Truncate(maxY) + 1;
  if (fx0 > lastX || fy0 > lastY || fx1 < 0 || fy1 < 0) return;
  int64_t x0 = fx0 < 0 ? 0 : static_cast<int64_t>(fx0);
  int64_t y0 = fy0 < 0 ? 0 : static_cast<int64_t>(fy0);
  int64_t x1 = fx1 > lastX ? gFrameW - 1 : static_cast<int64_t>(fx1);
  int64_t y1 = fy1 > lastY ? gFrameH - 1 : static_cast<int64_t>(fy1);
  if (x0 > x1 || y0 > y1) return;
  uint32_t base = area < 0 ? front : back;

  if (centres.known) {
    int64_t cx0 = std::max(x0, centres.x0), cx1 = std::min(x1, centres.x1);
    int64_t cy0 = std::max(y0, centres.y0), cy1 = std::min(y1, centres.y1);
    if (cx0 > cx1 || cy0 > cy1) return;
    // A few centres: the plain rule for each costs less than the span setup.
    if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) <= SMALL_TRIANGLE_CENTRES) {
      // Every iz is a mean of the three inverse depths with weights that sum
      // to 1 within rounding; a stored depth at or above this bound wins.
      double nearest = std::max(1 / da, std::max(1 / db, 1 / dc)) * (1 + 1e-9);
      bool positive = area > 0;
      uint32_t colour = 0;
      bool shaded = false;
      for (int64_t py = cy0; py <= cy1; ++py) {
        double sy = static_cast<double>(py) + 0.5;
        uint32_t* colourRow = gFrameColour.data() + py * gFrameW;
        float* depthRow = gDepthBuffer.data() + py * gFrameW;
        for (int64_t px = cx0; px <= cx1; ++px) {
          if (static_cast<double>(depthRow[px]) >= nearest) continue;
          double sx = static_cast<double>(px) + 0.5;
          double na = (xc - xb) * (sy - yb) - (yc - yb) * (sx - xb);
          double nb = (xa - xc) * (sy - yc) - (ya - yc) * (sx - xc);
          if (positive ? (na < 0 || nb < 0) : (na > 0 || nb > 0)) continue;
          double wa = na / area;
          double wb = nb / area;
          if (wa < 0 || wb < 0 || wa + wb > 1) continue;
          double wc = 1 - wa - wb;
          float depth = static_cast<float>(wa / da + wb / db + wc / dc);
          if (depthRow[px] < depth) {
            if (!shaded) {
              colour = TriangleColour(a, b, c, base);
              shaded = true;
            }
            depthRow[px] = depth;
            colourRow[px] = colour;
          }
        }
      }
      return;
    }
    // The spans below need only the candidate centres; a sliver then has
    // one scan line fewer.
    x0 = cx0;
    x1 = cx1;
    y0 = cy0;
    y1 = cy1;
  }

  // A triangle taller than wide is scanned column by column, with x and y
  // swapped: every edge value and the area then change sign exactly, so the
  // weights and the depth come out bit for bit the same.
  int64_t lineStride = gFrameW, pixelStride = 1;
  if (y1 - y0 > x1 - x0) {
    std::swap(xa, ya);
    std::swap(xb, yb);
    std::swap(xc, yc);
    std::swap(x0, y0);
    std::swap(x1, y1);
    std::swap(minX, minY);
    std::swap(maxX, maxY);
    area = (xb - xa) * (yc - ya) - (yb - ya) * (xc - xa);
    lineStride = 1;
    pixelStride = gFrameW;
  }

  bool positive = area > 0;
  double sigma = positive ? 1.0 : -1.0;
  double absArea = std::fabs(area);
  double extent = std::max(maxX - minX, maxY - minY) + 2;
  double certain = EDGE_ERROR * (extent * extent + absArea);
  // iz ~ fa * ia + fb * ib + fc * ic from the signed edge values, within
  // slack of the formula.
  // One division for the three factors; their few extra roundings lie far
  // inside DEPTH_ERROR. Extreme depths or areas divide one by one.
  double ia, ib, ic;
  double inverse = 1 / (da * db * dc * absArea);
  if (std::isfinite(inverse) && inverse > 1e-280) {
    ia = inverse * (db * dc);
    ib = inverse * (da * dc);
    ic = inverse * (da * db);
  } else {
    ia = 1 / (da * absArea);
    ib = 1 / (db * absArea);
    ic = 1 / (dc * absArea);
  }
  // (DEPTH_ERROR + 4 * certain / area) / smallest depth, without dividing.
  double slack = (DEPTH_ERROR * absArea + 4 * certain) * std::max(ia, std::max(ib, ic));
  uint32_t colour = 0;
  bool shaded = false;

  EdgeRow edges[3] = {MakeEdge(yc - yb, xb, sigma), MakeEdge(ya - yc, xc, sigma), MakeEdge(yb - ya, xa, sigma)};
  EdgeRow& edgeA = edges[0];
  EdgeRow& edgeB = edges[1];
  EdgeRow& edgeC = edges[2];
  double kx[3] = {xc - xb, xa - xc, xb - xa};
  double ky[3] = {yb, yc, ya};
  double step[3];
  // Row spans: pixels more than `margin` beyond an edge's crossing have a
  // value below -certain, so they, and all beyond them, fail the weight
  // test whatever the rounding; the crossing estimates are off by far less
  // than the millionth of a pixel (and the rounding term) added. Rising
  // edges bound a row on the left, falling ones on the right; a flat edge
  // is one value per row. A single line (a sliver seen across) is scanned
  // whole: the pixel tests alone decide there.
  double margin[3] = {0, 0, 0}, slopeX[3] = {0, 0, 0}, originX[3] = {0, 0, 0};
  int lefts[2] = {0, 0}, rights[2] = {0, 0}, leftCount = 0, rightCount = 0, flat = -1;
  bool spans = y1 > y0;
  for (int e = 0; e < 3; ++e) {
    step[e] = -sigma * edges[e].slope;
    if (!spans) continue;
    double inverse = 1 / edges[e].slope;
    // Crossing column of row sy: originX + slopeX * (sy - ky).
    slopeX[e] = step[e] != 0 ? kx[e] * inverse : 0;
    originX[e] = edges[e].origin - 0.5;
    margin[e] = certain * std::fabs(inverse) + 1e-6 + 1e-14 * (std::fabs(originX[e]) + std::fabs(slopeX[e]) * extent);
    if (step[e] > 0)
      lefts[leftCount++] = e;
    else if (step[e] < 0)
      rights[rightCount++] = e;
    else
      flat = e;
  }
  // A triangle always has a rising and a falling edge; a lone one counts twice.
  if (leftCount == 1) lefts[1] = lefts[0];
  if (rightCount == 1) rights[1] = rights[0];
  int l0 = lefts[0], l1 = lefts[1], r0 = rights[0], r1 = rights[1];
  double stepA = step[0], stepB = step[1], stepC = step[2];
  double lowest = static_cast<double>(x0), highest = static_cast<double>(x1);
  for (int64_t py = y0; py <= y1; ++py) {
    double sy = static_cast<double>(py) + 0.5;
    int64_t left = x0, right = x1;
    if (spans) {
      if (flat >= 0) {
        edges[flat].row = kx[flat] * (sy - ky[flat]);
        if (edges[flat].Signed(x0) < -certain) continue;
      }
      double lo = std::max(lowest, std::max(originX[l0] + slopeX[l0] * (sy - ky[l0]) - margin[l0],
                                            originX[l1] + slopeX[l1] * (sy - ky[l1]) - margin[l1]));
      double hi = std::min(highest, std::min(originX[r0] + slopeX[r0] * (sy - ky[r0]) + margin[r0],
                                             originX[r1] + slopeX[r1] * (sy - ky[r1]) + margin[r1]));
      if (!(lo <= hi)) continue;
      // Both lie in [x0, x1] here, so truncation is floor; lo is rounded up.
      left = static_cast<int64_t>(lo);
      left += static_cast<double>(left) < lo;
      right = static_cast<int64_t>(hi);
      if (left > right) continue;
    }
    for (int e = 0; e < 3; ++e) edges[e].row = kx[e] * (sy - ky[e]);
    uint32_t* colourRow = gFrameColour.data() + py * lineStride;
    float* depthRow = gDepthBuffer.data() + py * lineStride;
    // Stepped along the row: off by far less than `certain`, so they only
    // decide where they are clear; near zero the formulas decide.
    double fa = edgeA.Signed(left), fb = edgeB.Signed(left), fc = edgeC.Signed(left);
    for (int64_t px = left; px <= right; ++px, fa += stepA, fb += stepB, fc += stepC) {
      if ((fa < -certain) | (fb < -certain) | (fc < -certain)) continue;
      float depth = 0;
      if ((fa > certain) & (fb > certain) & (fc > certain)) {
        double approx = fa * ia + fb * ib + fc * ic;
        if (static_cast<double>(depthRow[px * pixelStride]) >= approx + slack) continue;
        depth = CertainFloat(approx, slack);
      }
      if (depth == 0) {
        double sx = static_cast<double>(px) + 0.5;
        double na = edgeA.At(sx);
        double nb = edgeB.At(sx);
        if (positive ? (na < 0 || nb < 0) : (na > 0 || nb > 0)) continue;
        double wa = na / area;
        double wb = nb / area;
        if (wa < 0 || wb < 0 || wa + wb > 1) continue;
        double wc = 1 - wa - wb;
        // Compared as stored, so that a second triangle at the same depth
        // never wins through the rounding of the first.
        depth = static_cast<float>(wa / da + wb / db + wc / dc);
      }
      if (depthRow[px * pixelStride] < depth) {
        if (!shaded) {
          colour = TriangleColour(a, b, c, base);
          shaded = true;
        }
        depthRow[px * pixelStride] = depth;
        colourRow[px * pixelStride] = colour;
      }
    }
  }
}
