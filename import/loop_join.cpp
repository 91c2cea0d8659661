#include <cmath>
#include <cstdint>
#include <vector>

#include "import/import_pieces.h"

namespace {

bool Near(const OutlinePoint& a, const OutlinePoint& b, double tol) {
  return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

bool Joinable(const ImportPiece& piece) { return piece.closed == 0 && piece.points.size() >= 2; }

// Spreads the low 32 bits of v to the even bits of the result.
uint64_t SpreadBits(uint64_t v) {
  v &= 0xFFFFFFFFull;
  v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
  v = (v | (v << 8)) & 0x00FF00FF00FF00FFull;
  v = (v | (v << 4)) & 0x0F0F0F0F0F0F0F0Full;
  v = (v | (v << 2)) & 0x3333333333333333ull;
  v = (v | (v << 1)) & 0x5555555555555555ull;
  return v;
}

// Cell number -> head of its list, with open addressing. A cell's first
// slot is its Z-order number, so a chain walking along its ring probes
// slots near the last ones, mostly in cache.
struct CellTable {
  static constexpr uint64_t EMPTY = ~uint64_t{0};  // no cell has this number
  struct Slot {
    uint64_t key;
    int64_t head;
  };
  std::vector<Slot> slots;
  uint64_t mask = 0;

  void Reserve(size_t count) {
    size_t size = 16;
    while (size < 2 * count) size *= 2;
    slots.assign(size, Slot{EMPTY, -1});
    mask = size - 1;
  }
  size_t Find(uint64_t key) const {
    size_t i = static_cast<size_t>(SpreadBits(key >> 32) << 1 | SpreadBits(key)) & mask;
    while (slots[i].key != EMPTY && slots[i].key != key) i = (i + 1) & mask;
    return i;
  }
};

// The ends of the open pieces hashed on a grid of cells four tolerances
// wide, so the ends within the tolerance of a point lie in the one or two
// cells per axis that its widened range touches. Each cell's ends (with
// their points and the piece's other end, so that neither a miss nor a
// piece of two points costs a visit to the piece) lie side by side in
// increasing piece order, linked so that used pieces are unlinked as they
// are met, which keeps the search linear.
struct EndGrid {
  struct End {
    int64_t piece, next;
    OutlinePoint at, other;
    bool atFront, twoPoints;
  };
  double minX = 0, minY = 0, cell = 1;
  CellTable cells;
  std::vector<End> ends;

  int64_t CellIndex(double v, double origin) const {
    double c = std::floor((v - origin) / cell);
    if (!(c >= 0)) c = 0;
    if (c > 2147483647.0) c = 2147483647.0;
    return static_cast<int64_t>(c);
  }
  uint64_t Key(int64_t ix, int64_t iy) const { return (static_cast<uint64_t>(ix) << 32) | static_cast<uint64_t>(iy); }
  static bool Finite(const OutlinePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

  void Build(const std::vector<ImportPiece>& pieces, double tol) {
    double maxX = -1e300, maxY = -1e300;
    minX = minY = 1e300;
    size_t count = 0;
    for (const ImportPiece& p : pieces) {
      if (!Joinable(p)) continue;
      count += 2;
      // A non-finite end is within no tolerance of anything; it is not listed.
      for (const OutlinePoint* q : {&p.points.front(), &p.points.back()}) {
        if (!Finite(*q)) continue;
        minX = MinF(minX, q->x), maxX = MaxF(maxX, q->x);
        minY = MinF(minY, q->y), maxY = MaxF(maxY, q->y);
      }
    }
    const double extent = MaxF(maxX - minX, maxY - minY);
    const double largest = MaxF(MaxF(std::fabs(minX), std::fabs(maxX)), MaxF(std::fabs(minY), std::fabs(maxY)));
    cell = 4 * tol;
    // Coarser cells only add candidates; they keep the indices in range and
    // the rounding margin of CellRange within one cell.
    cell = MaxF(cell, extent / 1073741824.0);
    cell = MaxF(cell, 4e-15 * largest);
    if (!(cell > 0) || !std::isfinite(cell)) cell = 1;

    // Count the ends per slot, turn the counts into starts, then place the
    // ends in piece order.
    cells.Reserve(count);
    std::vector<size_t> slotOf;
    slotOf.reserve(count);
    std::vector<int64_t> start(cells.slots.size() + 1, 0);
    auto each = [&](auto visit) {
      for (size_t j = 0; j < pieces.size(); ++j) {
        if (!Joinable(pieces[j])) continue;
        const PointList& points = pieces[j].points;
        if (Finite(points.front())) visit(static_cast<int64_t>(j), points.front(), points.back(), true);
        if (Finite(points.back())) visit(static_cast<int64_t>(j), points.back(), points.front(), false);
      }
    };
    each([&](int64_t, const OutlinePoint& at, const OutlinePoint&, bool) {
      const uint64_t key = Key(CellIndex(at.x, minX), CellIndex(at.y, minY));
      const size_t slot = cells.Find(key);
      cells.slots[slot].key = key;
      slotOf.push_back(slot);
      ++start[slot + 1];
    });
    for (size_t k = 0; k + 1 < start.size(); ++k) start[k + 1] += start[k];
    ends.resize(slotOf.size());
    size_t k = 0;
    each([&](int64_t j, const OutlinePoint& at, const OutlinePoint& other, bool atFront) {
      const size_t slot = slotOf[k++];
      const int64_t e = start[slot]++;
      ends[static_cast<size_t>(e)] = End{j, -1, at, other, atFront, pieces[static_cast<size_t>(j)].points.size() == 2};
      // start[slot] now points past this end; the cell's last end keeps -1.
      CellTable::Slot& s = cells.slots[slot];
      if (s.head < 0)
        s.head = e;
      else
        ends[static_cast<size_t>(e) - 1].next = e;
    });
  }

  // The cells that an end within tol of v can lie in: the range is widened
  // by a quarter of tol and by the rounding of v itself, so that rounding
  // never hides an end that the tolerance test accepts.
  void CellRange(double v, double origin, double tol, int64_t& first, int64_t& last) const {
    const double margin = 1.25 * tol + 1e-15 * std::fabs(v);
    first = CellIndex(v - margin, origin);
    last = CellIndex(v + margin, origin);
  }

  // The lowest-numbered unused piece with an end within tol of p, or -1;
  // `found` is then one of its ends.
  int64_t FindFirst(const OutlinePoint& p, double tol, const std::vector<char>& used, const End*& found) {
    int64_t best = -1;
    if (!Finite(p)) return best;
    int64_t x0, x1, y0, y1;
    CellRange(p.x, minX, tol, x0, x1);
    CellRange(p.y, minY, tol, y0, y1);
    for (int64_t cx = x0; cx <= x1; ++cx) {
      for (int64_t cy = y0; cy <= y1; ++cy) {
        int64_t* link = &cells.slots[cells.Find(Key(cx, cy))].head;
        while (*link >= 0) {
          End& e = ends[static_cast<size_t>(*link)];
          if (used[static_cast<size_t>(e.piece)]) {
            *link = e.next;
            continue;
          }
          if (best >= 0 && e.piece >= best) break;
          if (Near(e.at, p, tol)) {
            best = e.piece;
            found = &e;
            break;
          }
          link = &e.next;
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
      const EndGrid::End* end = nullptr;
      int64_t j = grid.FindFirst(last, tol, used, end);
      if (j < 0) break;
      used[static_cast<size_t>(j)] = 1;
      const OutlinePoint& front = end->atFront ? end->at : end->other;
      const OutlinePoint& back = end->atFront ? end->other : end->at;
      bool forward = Near(front, last, tol);
      if (end->twoPoints) {
        chain.push_back(forward ? back : front);
        continue;
      }
      const PointList& pts = pieces[static_cast<size_t>(j)].points;
      if (forward)
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
