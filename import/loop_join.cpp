#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "import/import_pieces.h"

namespace {

bool Near(const OutlinePoint& a, const OutlinePoint& b, double tol) {
  return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

bool Joinable(const ImportPiece& piece) { return piece.closed == 0 && piece.points.size() >= 2; }

// The ends of the open pieces hashed on a grid of cells at least twice the
// tolerance wide, so every end within the tolerance of a point lies in the
// 3 x 3 cells around it. Each cell lists its pieces in increasing order;
// used pieces are unlinked as they are met, which keeps the search linear.
struct EndGrid {
  double minX = 0, minY = 0, cell = 1;
  std::unordered_map<uint64_t, int64_t> heads;
  std::vector<int64_t> piece, next;

  int64_t CellIndex(double v, double origin) const {
    double c = std::floor((v - origin) / cell);
    if (!(c >= 0)) c = 0;
    if (c > 2147483647.0) c = 2147483647.0;
    return static_cast<int64_t>(c);
  }
  uint64_t Key(int64_t ix, int64_t iy) const { return (static_cast<uint64_t>(ix) << 32) | static_cast<uint64_t>(iy); }
  uint64_t KeyOf(const OutlinePoint& p) const { return Key(CellIndex(p.x, minX), CellIndex(p.y, minY)); }

  void Build(const std::vector<ImportPiece>& pieces, double tol) {
    double maxX = -1e300, maxY = -1e300;
    minX = minY = 1e300;
    for (const ImportPiece& p : pieces) {
      if (!Joinable(p)) continue;
      for (const OutlinePoint* q : {&p.points.front(), &p.points.back()}) {
        minX = MinF(minX, q->x), maxX = MaxF(maxX, q->x);
        minY = MinF(minY, q->y), maxY = MaxF(maxY, q->y);
      }
    }
    double extent = MaxF(maxX - minX, maxY - minY);
    cell = 2 * tol;
    // Coarser cells only add candidates; they keep the indices in range.
    if (!(extent / 1073741824.0 <= cell)) cell = extent / 1073741824.0;
    if (!(cell > 0) || !std::isfinite(cell)) cell = 1;
    heads.reserve(pieces.size() * 2);
    for (int64_t j = static_cast<int64_t>(pieces.size()) - 1; j >= 0; --j) {
      const ImportPiece& p = pieces[static_cast<size_t>(j)];
      if (!Joinable(p)) continue;
      uint64_t a = KeyOf(p.points.front()), b = KeyOf(p.points.back());
      Push(a, j);
      if (b != a) Push(b, j);
    }
  }

  void Push(uint64_t key, int64_t j) {
    auto [it, fresh] = heads.try_emplace(key, -1);
    piece.push_back(j);
    next.push_back(it->second);
    it->second = static_cast<int64_t>(piece.size()) - 1;
  }

  // The lowest-numbered unused piece with an end within tol of p, or -1.
  int64_t FindFirst(const OutlinePoint& p, double tol, const std::vector<ImportPiece>& pieces,
                    const std::vector<char>& used) {
    int64_t best = -1;
    int64_t cx = CellIndex(p.x, minX), cy = CellIndex(p.y, minY);
    for (int64_t dx = -1; dx <= 1; ++dx) {
      for (int64_t dy = -1; dy <= 1; ++dy) {
        if (cx + dx < 0 || cy + dy < 0) continue;
        auto it = heads.find(Key(cx + dx, cy + dy));
        if (it == heads.end()) continue;
        int64_t* link = &it->second;
        while (*link >= 0) {
          int64_t e = *link;
          int64_t j = piece[static_cast<size_t>(e)];
          if (used[static_cast<size_t>(j)]) {
            *link = next[static_cast<size_t>(e)];
            continue;
          }
          if (best >= 0 && j >= best) break;
          const PointList& pts = pieces[static_cast<size_t>(j)].points;
          if (Near(pts.front(), p, tol) || Near(pts.back(), p, tol)) {
            best = j;
            break;
          }
          link = &next[static_cast<size_t>(e)];
        }
      }
    }
    return best;
  }
};

}  // namespace

int64_t JoinPiecesIntoLoops(double tol) {
  std::vector<ImportPiece> pieces;
  pieces.swap(gImportPieces);
  std::vector<char> used(pieces.size(), 0);
  EndGrid grid;
  grid.Build(pieces, tol);

  std::vector<ImportPiece> loops;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (used[i]) continue;
    used[i] = 1;
    ImportPiece& start = pieces[i];
    if (start.points.size() < 2) continue;
    PointList chain;
    chain.swap(start.points);
    bool closed = start.closed != 0;
    while (!closed) {
      const OutlinePoint last = chain.back();
      if (chain.size() > 2 && Near(last, chain.front(), tol)) {
        chain.pop_back();
        closed = true;
        break;
      }
      int64_t j = grid.FindFirst(last, tol, pieces, used);
      if (j < 0) break;
      used[static_cast<size_t>(j)] = 1;
      const PointList& pts = pieces[static_cast<size_t>(j)].points;
      if (Near(pts.front(), last, tol))
        chain.insert(chain.end(), pts.begin() + 1, pts.end());
      else
        chain.insert(chain.end(), pts.rbegin() + 1, pts.rend());
    }
    if (closed && chain.size() >= 3) {
      loops.emplace_back();
      loops.back().closed = 1;
      loops.back().points.swap(chain);
    }
  }
  gImportPieces.swap(loops);
  return static_cast<int64_t>(gImportPieces.size());
}
