// One policy for a crowded cell, wherever a search of the loop cut meets
// one: walk its pairs in order on a budget (a tangled cell meets its
// crossing early), then sweep it with exact predicates, which takes out
// the segments of every pair that meets (hot) so that only their pairs
// need the segment test; where the sweep takes out too many, the cell is
// swept whole (the walk) or left to the walk (the search near the last
// cut). The two searches pay differently for a pair (the walk reads the
// ring's arrays in index order, the search near the last cut the set's
// slots through its box tree and a corner test), hence two sets of figures.
// Each figure names the benchmark that shows it moving.
#pragma once

#include <cstddef>
#include <cstdint>

// The walk (crossing_walk.cpp): a cell with more segments than
// SWEEP_MIN_ENTRIES is walked for WALK_BUDGET_PER_ENTRY pairs per segment,
// then swept; where more than 1 / HOT_SHARE_MAX of it is hot, it is swept
// whole. bench/engine_bench.cpp BM_RecomputeWorstCase, BM_RecomputeDenseSpikes.
constexpr size_t SWEEP_MIN_ENTRIES = 24;
constexpr size_t WALK_BUDGET_PER_ENTRY = 32;
constexpr size_t HOT_SHARE_MAX = 8;
// Collecting every crossing for the set, cells up to this size are walked
// pair by pair, larger ones swept. bench/engine_bench.cpp
// BM_RecomputeDenseLoops, bench/dense_rings_bench.cpp BM_DenseComb.
constexpr size_t COLLECT_WALK_MAX = 48;

// The search near the last cut (nearby_crossing.cpp): an overlap core of at
// least CORE_SWEEP_MIN segments is walked in key order for
// CORE_WALK_PER_SEGMENT pairs per segment, then swept; where more than
// 1 / CORE_HOT_SHARE of it is hot, it is left to the walk.
// bench/dense_rings_bench.cpp BM_DenseComb, BM_DenseNoisyCircle.
constexpr size_t CORE_SWEEP_MIN = 64;
constexpr size_t CORE_WALK_PER_SEGMENT = 8;
constexpr size_t CORE_HOT_SHARE = 8;

// The outline check (sound_ring.cpp): up to this many chains a cell tests
// them two by two; beyond it a sweep keeps dense bundles of near-parallel
// segments from costing squares. bench/engine_bench.cpp
// BM_RecomputeDenseTrapezoids.
constexpr int64_t MAX_CHAIN_PAIRS_CHAINS = 16;
