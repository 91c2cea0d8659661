#include "engine/loop_cut/meeting_sweep.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

#include "engine/exact_orient.h"
#include "engine/key_sort.h"

namespace {

bool Adjacent(const ContactSegment& a, const ContactSegment& b) { return a.next == b.id || b.next == a.id; }

// Neighbours meet beyond their common point only where the ring folds
// straight back.
bool Meet(const ContactSegment& a, const ContactSegment& b) {
  if (!Adjacent(a, b)) return MeetKind(a.x0, a.y0, a.x1, a.y1, b.x0, b.y0, b.x1, b.y1) != 0;
  const ContactSegment& first = a.next == b.id ? a : b;
  const ContactSegment& second = a.next == b.id ? b : a;
  return OrientExact(first.x0, first.y0, first.x1, first.y1, second.x1, second.y1) == 0 &&
         (first.x0 - first.x1) * (second.x1 - first.x1) + (first.y0 - first.y1) * (second.y1 - first.y1) > 0;
}

// A segment for the sweep, its ends in (x, y) order.
struct SweepSegment {
  double lx, ly, rx, ry;
  int64_t id;
};

bool PointBefore(double ax, double ay, double bx, double by) { return ax < bx || (ax == bx && ay < by); }

// The order of segments along the sweep line while none of them meet: the
// segment that starts later is placed against the line of the other.
struct SweepOrder {
  const std::vector<SweepSegment>* segs;
  bool operator()(size_t a, size_t b) const {
    if (a == b) return false;
    const SweepSegment& A = (*segs)[a];
    const SweepSegment& B = (*segs)[b];
    if (!PointBefore(A.lx, A.ly, B.lx, B.ly)) {
      int o = OrientExact(B.lx, B.ly, B.rx, B.ry, A.lx, A.ly);
      if (o == 0) o = OrientExact(B.lx, B.ly, B.rx, B.ry, A.rx, A.ry);
      if (o != 0) return o < 0;
    } else {
      int o = OrientExact(A.lx, A.ly, A.rx, A.ry, B.lx, B.ly);
      if (o == 0) o = OrientExact(A.lx, A.ly, A.rx, A.ry, B.rx, B.ry);
      if (o != 0) return o > 0;
    }
    return A.id < B.id;
  }
};

struct SweepEvent {
  double x, y;
  size_t at;
  bool start;
};

bool EventBefore(const SweepEvent& a, const SweepEvent& b) {
  if (a.x != b.x) return a.x < b.x;
  if (a.y != b.y) return a.y < b.y;
  if (a.start != b.start) return !a.start;
  return a.at < b.at;
}

// Many events go by x through an integer sort of the values' order keys
// (-0 taken as +0, so that equal x share a key), then each run of equal x
// by the whole order; a comparison sort of them all costs several times
// more. NaN has no order to sort by: such events keep the plain sort.
constexpr size_t KEY_SORT_MIN_EVENTS = 64;

void SortEvents(std::vector<SweepEvent>& events) {
  bool plain = events.size() < KEY_SORT_MIN_EVENTS || events.size() > UINT32_MAX;
  for (size_t e = 0; e < events.size() && !plain; ++e) plain = std::isnan(events[e].x);
  if (plain) {
    std::sort(events.begin(), events.end(), EventBefore);
    return;
  }
  std::vector<KeyedIndex> keyed(events.size()), space;
  for (size_t e = 0; e < events.size(); ++e) keyed[e] = KeyedIndex{OrderKey(events[e].x + 0.0), static_cast<uint32_t>(e)};
  SortByKey(keyed, space);
  std::vector<SweepEvent> sorted(events.size());
  for (size_t e = 0; e < keyed.size(); ++e) sorted[e] = events[keyed[e].index];
  for (size_t from = 0; from < keyed.size();) {
    size_t to = from + 1;
    while (to < keyed.size() && keyed[to].key == keyed[from].key) ++to;
    if (to - from > 1) std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(from),
                                 sorted.begin() + static_cast<std::ptrdiff_t>(to), EventBefore);
    from = to;
  }
  events.swap(sorted);
}

}  // namespace

namespace {

// The sweep behind both searches for meeting segments. Without `out` it
// stops at the first pair that meets. With it, every pair found meeting is
// taken out (both segments go to `out`) and the sweep goes on: no pair met
// before the point where a pair is found (any pair met further left would
// have been found first), so the order of the rest still holds there and
// the sweep carries on as if the two had never been in it. The segments
// left then meet nowhere. Returns 1 when a pair met, 0 when none did, and
// -1 when more than `most` were taken out.
int SweepSegments(const std::vector<ContactSegment>& list, size_t& first, size_t& second, std::vector<size_t>* out,
                  size_t most) {
  size_t m = list.size();
  std::vector<SweepSegment> segs(m);
  std::vector<SweepEvent> events;
  events.reserve(2 * m);
  for (size_t a = 0; a < m; ++a) {
    const ContactSegment& c = list[a];
    bool forward = PointBefore(c.x0, c.y0, c.x1, c.y1);
    segs[a] = forward ? SweepSegment{c.x0, c.y0, c.x1, c.y1, c.id} : SweepSegment{c.x1, c.y1, c.x0, c.y0, c.id};
    events.push_back(SweepEvent{segs[a].lx, segs[a].ly, a, true});
    events.push_back(SweepEvent{segs[a].rx, segs[a].ry, a, false});
  }
  SortEvents(events);
  std::vector<char> takenOut(out ? m : 0, 0);
  bool met = false;
  // True when the search is over: the first pair found, or too many taken.
  auto report = [&](size_t a, size_t b) {
    if (!met) {
      first = a;
      second = b;
    }
    met = true;
    if (!out) return true;
    takenOut[a] = takenOut[b] = 1;
    out->push_back(a);
    out->push_back(b);
    return out->size() > most;
  };
  // Ends of segments that are not neighbours on one point: the sweep would
  // take one out before the other comes in. Taking pairs out, every pair on
  // the point is looked at.
  for (size_t e = 1; e < events.size(); ++e) {
    const SweepEvent& p = events[e - 1];
    const SweepEvent& q = events[e];
    if (p.x != q.x || p.y != q.y) continue;
    if (!out) {
      if (p.at != q.at && !Adjacent(list[p.at], list[q.at])) return report(p.at, q.at);
      continue;
    }
    size_t g = e - 1;
    while (g > 0 && events[g - 1].x == q.x && events[g - 1].y == q.y) --g;
    for (size_t f = g; f < e; ++f) {
      size_t a = events[f].at, b = q.at;
      if (a != b && !takenOut[a] && !takenOut[b] && !Adjacent(list[a], list[b]) && report(a, b)) return -1;
    }
  }
  std::set<size_t, SweepOrder> status(SweepOrder{&segs});
  std::vector<std::set<size_t, SweepOrder>::iterator> where(m);
  auto test = [&](size_t a, size_t b) { return Meet(list[a], list[b]); };
  // Takes a and b (neighbours in the status) out and tests the segments
  // that become neighbours, until none meet.
  auto takeOutPair = [&](size_t a, size_t b) {
    std::vector<size_t> pending{a, b};
    while (!pending.empty()) {
      size_t gone = pending.back();
      pending.pop_back();
      auto it = where[gone];
      auto above = std::next(it);
      bool hasBelow = it != status.begin();
      size_t below = hasBelow ? *std::prev(it) : 0;
      status.erase(it);
      if (!pending.empty() || !hasBelow || above == status.end() || !test(below, *above)) continue;
      if (report(below, *above)) return true;
      pending = {below, *above};
    }
    return false;
  };
  for (const SweepEvent& ev : events) {
    if (out && takenOut[ev.at]) continue;
    if (ev.start) {
      auto it = status.insert(ev.at).first;
      where[ev.at] = it;
      size_t other = 0;
      bool hit = false;
      if (it != status.begin() && test(*std::prev(it), ev.at)) {
        other = *std::prev(it);
        hit = true;
      } else if (std::next(it) != status.end() && test(*std::next(it), ev.at)) {
        other = *std::next(it);
        hit = true;
      }
      if (hit && report(other, ev.at)) return out ? -1 : 1;
      if (hit && takeOutPair(other, ev.at)) return -1;
    } else {
      auto it = where[ev.at];
      auto above = std::next(it);
      bool hasBelow = it != status.begin();
      size_t below = hasBelow ? *std::prev(it) : 0;
      status.erase(it);
      if (hasBelow && above != status.end() && test(below, *above)) {
        if (report(below, *above)) return out ? -1 : 1;
        if (takeOutPair(below, *above)) return -1;
      }
    }
  }
  return met ? 1 : 0;
}

}  // namespace

bool FindSegmentContact(const std::vector<ContactSegment>& list, size_t& first, size_t& second) {
  return SweepSegments(list, first, second, nullptr, 0) == 1;
}

bool FindMeetingSegments(const std::vector<ContactSegment>& list, std::vector<size_t>& met, size_t most) {
  met.clear();
  size_t first = 0, second = 0;
  return SweepSegments(list, first, second, &met, most) >= 0;
}

namespace {

// LabelChains with the signs of each segment's advance in x and y given by
// signs(k) as {sx, sy}.
template <typename Signs>
int64_t LabelChainsBy(int64_t n, const int64_t* segs, size_t m, std::vector<int64_t>& chain, Signs signs) {
  chain.resize(m);
  int64_t label = -1;
  int sx0 = 0, sy0 = 0;
  bool alongX = false, alongY = false;
  for (size_t a = 0; a < m; ++a) {
    int64_t k = segs[a];
    const auto [sx, sy] = signs(k, k + 1 == n ? 0 : k + 1);
    bool keepX = alongX && sx == sx0, keepY = alongY && sy == sy0;
    if (a > 0 && k == segs[a - 1] + 1 && (keepX || keepY)) {
      alongX = keepX;
      alongY = keepY;
    } else {
      ++label;
      sx0 = sx;
      sy0 = sy;
      alongX = sx != 0;
      alongY = sy != 0;
    }
    chain[a] = label;
  }
  return label + 1;
}

}  // namespace

int64_t LabelChains(const double* x, const double* y, int64_t n, const int64_t* segs, size_t m,
                    std::vector<int64_t>& chain) {
  return LabelChainsBy(n, segs, m, chain, [x, y](int64_t k, int64_t k1) {
    return std::pair<int, int>{Sign(x[k1] - x[k]), Sign(y[k1] - y[k])};
  });
}

void MeasureAdvances(const double* x, const double* y, int64_t n, std::vector<int8_t>& advance) {
  advance.resize(static_cast<size_t>(n));
  for (int64_t k = 0; k < n; ++k) {
    int64_t k1 = k + 1 == n ? 0 : k + 1;
    advance[static_cast<size_t>(k)] = static_cast<int8_t>(3 * (Sign(x[k1] - x[k]) + 1) + Sign(y[k1] - y[k]) + 1);
  }
}

int64_t LabelChains(const std::vector<int8_t>& advance, const int64_t* segs, size_t m, std::vector<int64_t>& chain) {
  return LabelChainsBy(static_cast<int64_t>(advance.size()), segs, m, chain, [&advance](int64_t k, int64_t) {
    const int code = advance[static_cast<size_t>(k)];
    return std::pair<int, int>{code / 3 - 1, code % 3 - 1};
  });
}
