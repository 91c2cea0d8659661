#include "import/stl_section.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/import_pieces.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "text/texts.h"

namespace {

struct Segments {
  std::vector<double> sx, sy, ex, ey;
  std::vector<int64_t> startKey, endKey;
  size_t Count() const { return sx.size(); }
};

bool VertexLess(size_t a, size_t b) {
  if (gStlX[a] != gStlX[b]) return gStlX[a] < gStlX[b];
  if (gStlY[a] != gStlY[b]) return gStlY[a] < gStlY[b];
  return gStlZ[a] < gStlZ[b];
}

void CollectSegments(double zc, Segments& seg) {
  const int64_t n = gStlTriangleCount;
  for (int64_t t = 0; t < n; ++t) {
    const int64_t v[3] = {3 * t, 3 * t + 1, 3 * t + 2};
    bool above[3];
    for (int k = 0; k < 3; ++k) above[k] = static_cast<double>(gStlZ[static_cast<size_t>(v[k])]) - zc > 0;
    if (above[0] == above[1] && above[1] == above[2]) continue;
    OutlinePoint cross[2];
    int found = 0;
    for (int k = 0; k < 3 && found < 2; ++k) {
      int k2 = (k + 1) % 3;
      if (above[k] != above[k2]) IntersectEdgeWithPlane(v[k], v[k2], zc, cross[found++]);
    }
    seg.sx.push_back(cross[0].x);
    seg.sy.push_back(cross[0].y);
    seg.ex.push_back(cross[1].x);
    seg.ey.push_back(cross[1].y);
  }
}

// Writes v with SECTION_KEY_DECIMALS decimals. A value that rounds to zero
// loses its sign: -0 and -1e-15 (a seam at sin(2 pi), a CAD rotation's
// leftover) are the same point as 0.
char* PutKeyNumber(char* p, char* end, double v) {
  char* stop = std::to_chars(p, end, v, std::chars_format::fixed, SECTION_KEY_DECIMALS).ptr;
  if (*p == '-' && std::all_of(p + 1, stop, [](char c) { return c == '0' || c == '.'; })) {
    std::memmove(p, p + 1, static_cast<size_t>(stop - p - 1));
    --stop;
  }
  return stop;
}

// Endpoints meet only when their 12-decimal texts are equal; each distinct
// text becomes a small number.
void InternKeys(Segments& seg, int64_t& keyCount) {
  std::unordered_map<std::string, int64_t> ids;
  ids.reserve(seg.Count() * 2);
  std::string key;
  char text[2 * (std::numeric_limits<double>::max_exponent10 + SECTION_KEY_DECIMALS + 4) + 1];
  auto intern = [&](double x, double y) {
    char* end = text + sizeof text;
    char* p = PutKeyNumber(text, end, x);
    *p++ = ':';
    p = PutKeyNumber(p, end, y);
    key.assign(text, p);
    auto [it, fresh] = ids.try_emplace(key, static_cast<int64_t>(ids.size()));
    return it->second;
  };
  seg.startKey.resize(seg.Count());
  seg.endKey.resize(seg.Count());
  for (size_t i = 0; i < seg.Count(); ++i) {
    seg.startKey[i] = intern(seg.sx[i], seg.sy[i]);
    seg.endKey[i] = intern(seg.ex[i], seg.ey[i]);
  }
  keyCount = static_cast<int64_t>(ids.size());
}

// Follows the segments from each unused one into chains; returns the number
// of closed loops and counts the chains left open in openChains.
int64_t BuildChains(const Segments& seg, int64_t keyCount, int64_t& openChains) {
  const size_t count = seg.Count();
  // Per key, the segments touching it in increasing order (an adjacency array).
  std::vector<int64_t> first(static_cast<size_t>(keyCount) + 1, 0);
  for (size_t i = 0; i < count; ++i) {
    ++first[static_cast<size_t>(seg.startKey[i]) + 1];
    ++first[static_cast<size_t>(seg.endKey[i]) + 1];
  }
  for (size_t k = 0; k < static_cast<size_t>(keyCount); ++k) first[k + 1] += first[k];
  std::vector<int64_t> cursor(first.begin(), first.end() - 1);
  std::vector<int64_t> touching(2 * count);
  for (size_t i = 0; i < count; ++i) {
    touching[static_cast<size_t>(cursor[static_cast<size_t>(seg.startKey[i])]++)] = static_cast<int64_t>(i);
    touching[static_cast<size_t>(cursor[static_cast<size_t>(seg.endKey[i])]++)] = static_cast<int64_t>(i);
  }
  // Everything before a key's cursor is used, so each entry is passed once.
  cursor.assign(first.begin(), first.end() - 1);
  std::vector<char> used(count, 0);

  int64_t loops = 0;
  openChains = 0;
  for (size_t i = 0; i < count; ++i) {
    if (used[i]) continue;
    used[i] = 1;
    BeginImportPiece(1);
    PointList& chain = gImportPieces.back().points;
    AppendImportPoint(chain, seg.sx[i], seg.sy[i]);
    AppendImportPoint(chain, seg.ex[i], seg.ey[i]);
    int64_t open = seg.endKey[i];
    // A chain that is back at its start is a loop, even where more segments
    // meet there: walking on would run into the next loop and leave both open.
    for (size_t steps = 0; steps <= count && !(steps > 0 && open == seg.startKey[i]); ++steps) {
      int64_t& c = cursor[static_cast<size_t>(open)];
      const int64_t stop = first[static_cast<size_t>(open) + 1];
      while (c < stop && used[static_cast<size_t>(touching[static_cast<size_t>(c)])]) ++c;
      if (c == stop) break;
      const size_t j = static_cast<size_t>(touching[static_cast<size_t>(c)]);
      used[j] = 1;
      if (seg.startKey[j] == open) {
        AppendImportPoint(chain, seg.ex[j], seg.ey[j]);
        open = seg.endKey[j];
      } else {
        AppendImportPoint(chain, seg.sx[j], seg.sy[j]);
        open = seg.startKey[j];
      }
    }
    if (chain.size() > 3 && std::fabs(chain.back().x - chain.front().x) < POINT_MATCH_TOL &&
        std::fabs(chain.back().y - chain.front().y) < POINT_MATCH_TOL) {
      chain.pop_back();
      ++loops;
    } else {
      gImportPieces.back().closed = 0;
      // A chain that never leaves its point (a vertex on the plane) is no gap.
      bool moves = false;
      for (const OutlinePoint& p : chain) moves = moves || p.x != chain.front().x || p.y != chain.front().y;
      if (moves) ++openChains;
    }
  }
  return loops;
}

int64_t Fail(const std::string& text) {
  gImportMessage = text;
  return 0;
}

int64_t RunCut(double z, PointList& points, double& width, double& height) {
  if (gStlTriangleCount == 0) return Fail(Tx(TX_IMPORT_NO_STL_MODEL));
  if (!(z > 0 && gStlMinZ + z < gStlMaxZ))
    return Fail(Tx(TX_IMPORT_HEIGHT_OUTSIDE) + FormatDecimals(2, gStlMaxZ - gStlMinZ) + Tx(TX_IMPORT_MM_END));
  const double zc = gStlMinZ + z;
  Segments seg;
  seg.sx.reserve(1024), seg.sy.reserve(1024), seg.ex.reserve(1024), seg.ey.reserve(1024);
  CollectSegments(zc, seg);
  if (seg.Count() == 0) return Fail(Tx(TX_IMPORT_SECTION_EMPTY));
  int64_t keyCount = 0;
  InternKeys(seg, keyCount);
  int64_t openChains = 0;
  int64_t loops = BuildChains(seg, keyCount, openChains);
  std::vector<ImportPiece> closed;
  for (ImportPiece& piece : gImportPieces)
    if (piece.closed) closed.push_back(std::move(piece));
  gImportPieces.swap(closed);
  if (!FinishImportedOutline(points, width, height)) return Fail(Tx(TX_IMPORT_NO_CLOSED_SECTION));
  gImportMessage = std::to_string(loops) + Tx(TX_IMPORT_STL_LOOPS) + std::to_string(points.size()) +
                   Tx(TX_IMPORT_POINTS_END);
  if (openChains > 0) {
    // Appended piece by piece: a literal prefixed to a temporary string sets
    // off a false -Wrestrict in GCC 12 at -O2.
    gImportMessage += ' ';
    gImportMessage += std::to_string(openChains);
    gImportMessage += Tx(TX_IMPORT_OPEN_CHAINS_DROPPED);
  }
  gImportPieces.clear();
  return 1;
}

}  // namespace

void IntersectEdgeWithPlane(int64_t a, int64_t b, double zc, OutlinePoint& point) {
  size_t ia = static_cast<size_t>(a), ib = static_cast<size_t>(b);
  if (VertexLess(ib, ia)) std::swap(ia, ib);
  const double xa = gStlX[ia], ya = gStlY[ia], za = gStlZ[ia];
  const double t = (zc - za) / (static_cast<double>(gStlZ[ib]) - za);
  point.x = xa + t * (static_cast<double>(gStlX[ib]) - xa);
  point.y = ya + t * (static_cast<double>(gStlY[ib]) - ya);
}

int64_t CutStlSection(double z, PointList& points, double& width, double& height) {
  gImportPieces.clear();
  gImportMessage.clear();
  // A chain holds at most one point more than its segments; the model bounds them.
  gImportPointsLeft = std::numeric_limits<int64_t>::max();
  gImportOverBudget = 0;
  try {
    return RunCut(z, points, width, height);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::vector<ImportPiece>().swap(gImportPieces);
  return Fail(Tx(TX_IMPORT_CANNOT_READ));
}
