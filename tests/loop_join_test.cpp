#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "import/import_pieces.h"
#include "import/import_state.h"

namespace {

void AddPiece(int64_t closed, std::initializer_list<OutlinePoint> points) {
  BeginImportPiece(closed);
  for (const OutlinePoint& p : points) AppendImportPoint(gImportPieces.back().points, p.x, p.y);
}

class LoopJoin : public ::testing::Test {
 protected:
  void SetUp() override {
    gImportPieces.clear();
    ResetImportBudget();
  }
  void TearDown() override { gImportPieces.clear(); }
};

TEST_F(LoopJoin, SquareInAnyOrderAndDirectionClosesOnce) {
  AddPiece(0, {{10, 0}, {10, 10}});
  AddPiece(0, {{0, 0}, {0, 10}});  // drawn against the loop's direction
  AddPiece(0, {{10, 10}, {0, 10}});
  AddPiece(0, {{10, 0}, {0, 0}});
  AddPiece(0, {{50, 50}, {60, 60}});  // stray
  ASSERT_EQ(JoinPiecesIntoLoops(1e-6), 1);
  ASSERT_EQ(gImportPieces.size(), 1u);
  const PointList& loop = gImportPieces[0].points;
  ASSERT_EQ(loop.size(), 4u);
  // Started by the first piece and grown from its end.
  EXPECT_EQ(loop[0].x, 10);
  EXPECT_EQ(loop[0].y, 0);
  EXPECT_EQ(loop[1].y, 10);
  EXPECT_EQ(loop[2].x, 0);
  EXPECT_EQ(loop[3].y, 0);
  EXPECT_EQ(gImportPieces[0].closed, 1);
}

TEST_F(LoopJoin, TwoHalvesWithTheSameEndsJoinTheSecondReversed) {
  AddPiece(0, {{-1, 0}, {0, 1}, {1, 0}});
  AddPiece(0, {{-1, 0}, {0, -1}, {1, 0}});
  ASSERT_EQ(JoinPiecesIntoLoops(1e-6), 1);
  const PointList& loop = gImportPieces[0].points;
  ASSERT_EQ(loop.size(), 4u);
  EXPECT_EQ(loop[3].y, -1);
}

TEST_F(LoopJoin, SelfClosingNeedsMoreThanTwoPointsAndGapsStayOpen) {
  AddPiece(0, {{30, 30}, {30, 30}});  // two points on each other
  AddPiece(0, {{0, 0}, {5, 0}, {5, 5}, {0, 1e-7}});  // ends within tol
  AddPiece(0, {{20, 0}, {25, 0}, {25, 5}, {20, 1}});  // gap of 1
  EXPECT_EQ(JoinPiecesIntoLoops(1e-6), 1);
  ASSERT_EQ(gImportPieces.size(), 1u);
  EXPECT_EQ(gImportPieces[0].points.size(), 3u);
}

TEST_F(LoopJoin, TJunctionFollowsTheEarliestPieceAndClosedPiecesStayAlone) {
  AddPiece(1, {{100, 100}, {101, 100}, {101, 101}});
  AddPiece(1, {{7, 7}, {8, 8}});  // a closed piece of 2 points is dropped
  AddPiece(0, {{0, 0}, {10, 0}});
  AddPiece(0, {{10, 0}, {10, 20}});  // dead end, but earlier in the list
  AddPiece(0, {{10, 0}, {10, 10}});
  AddPiece(0, {{10, 10}, {0, 0}});
  EXPECT_EQ(JoinPiecesIntoLoops(1e-6), 1);
  ASSERT_EQ(gImportPieces.size(), 1u);
  EXPECT_EQ(gImportPieces[0].points.size(), 3u);
  EXPECT_EQ(gImportPieces[0].points[0].x, 100);
}

TEST_F(LoopJoin, ToleranceIsASquareAndTheSearchMatchesAPlainScan) {
  // Many small gaps, shuffled and in mixed directions, on a grid much finer
  // than the drawing: the hashed search must pick what a scan picks.
  const int n = 3000;
  std::vector<std::pair<OutlinePoint, OutlinePoint>> edges;
  for (int k = 0; k < n; ++k) {
    double a0 = 2 * M_PI * k / n, a1 = 2 * M_PI * (k + 1) / n;
    OutlinePoint p{100 * std::cos(a0), 100 * std::sin(a0)};
    OutlinePoint q{100 * std::cos(a1) + 0.9e-3, 100 * std::sin(a1) - 0.9e-3};  // within 1e-3 in x and y
    edges.push_back(k % 3 ? std::make_pair(p, q) : std::make_pair(q, p));
  }
  std::mt19937 random(7);
  std::shuffle(edges.begin(), edges.end(), random);
  for (auto& e : edges) AddPiece(0, {e.first, e.second});
  std::vector<ImportPiece> copy = gImportPieces;

  // The plain scan of the rule, on the copy.
  std::vector<char> used(copy.size(), 0);
  PointList chain = copy[0].points;
  used[0] = 1;
  const double tol = 1e-3;
  auto near = [&](OutlinePoint a, OutlinePoint b) { return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol; };
  while (!(chain.size() > 2 && near(chain.back(), chain.front()))) {
    size_t j = 0;
    for (; j < copy.size(); ++j)
      if (!used[j] && (near(copy[j].points.front(), chain.back()) || near(copy[j].points.back(), chain.back()))) break;
    ASSERT_LT(j, copy.size());
    used[j] = 1;
    if (near(copy[j].points.front(), chain.back()))
      chain.push_back(copy[j].points.back());
    else
      chain.push_back(copy[j].points.front());
  }
  chain.pop_back();

  ASSERT_EQ(JoinPiecesIntoLoops(tol), 1);
  const PointList& loop = gImportPieces[0].points;
  ASSERT_EQ(loop.size(), chain.size());
  for (size_t i = 0; i < loop.size(); ++i) {
    ASSERT_EQ(loop[i].x, chain[i].x) << i;
    ASSERT_EQ(loop[i].y, chain[i].y) << i;
  }
}

TEST_F(LoopJoin, LargestLoopFirstOfEqualAreasAndZeroAreaFails) {
  PointList out{{1, 1}};
  EXPECT_EQ(PickLargestLoop(out), 0);
  EXPECT_TRUE(out.empty());
  AddPiece(1, {{0, 0}, {1, 0}, {2, 0}});  // flat
  EXPECT_EQ(PickLargestLoop(out), 0);
  AddPiece(1, {{0, 0}, {0, 2}, {2, 2}, {2, 0}});  // clockwise, area 4
  AddPiece(1, {{5, 5}, {7, 5}, {7, 7}, {5, 7}});  // same area
  ASSERT_EQ(PickLargestLoop(out), 1);
  EXPECT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].x, 0);
  EXPECT_EQ(ComputeSignedArea(out), -4);
  EXPECT_EQ(ComputeSignedArea(PointList{{0, 0}, {1, 1}}), 0);
}

TEST(Normalize, ClockwiseSquareStartsAtTheInsertedTopMidpoint) {
  PointList square{{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  double w = 0, h = 0;
  NormalizeImportedOutline(square, w, h);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 10);
  ASSERT_EQ(square.size(), 5u);
  EXPECT_EQ(square[0].x, 0);
  EXPECT_EQ(square[0].y, 5);
  EXPECT_EQ(square[1].x, -5);
  EXPECT_EQ(square[1].y, 5);
  EXPECT_EQ(square[4].x, 5);
  EXPECT_EQ(square[4].y, 5);
  EXPECT_GT(ComputeSignedArea(square), 0);
}

TEST(Normalize, AVertexOnTheAxisIsUsedAsItIs) {
  PointList diamond{{3, 0}, {6, 3}, {3, 8}, {0, 3}};  // top vertex at the centre's x
  double w = 0, h = 0;
  NormalizeImportedOutline(diamond, w, h);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 8);
  ASSERT_EQ(diamond.size(), 4u);
  EXPECT_EQ(diamond[0].x, 0);
  EXPECT_EQ(diamond[0].y, 4);
  EXPECT_EQ(diamond[1].x, -3);
}

TEST(Normalize, NoCrossingLeavesTheOrderAndEmptyGivesZeroSize) {
  PointList flat{{1, 0}, {1, 4}};  // on the axis once centred: nothing crosses it
  double w = -1, h = -1;
  NormalizeImportedOutline(flat, w, h);
  ASSERT_EQ(flat.size(), 2u);
  EXPECT_EQ(flat[0].x, 0);
  EXPECT_EQ(flat[0].y, -2);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 4);
  PointList none;
  NormalizeImportedOutline(none, w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(Normalize, ABoxFarFromTheOriginIsCentredWithinItsOwnRounding) {
  // The box's middle falls between two numbers that far out: the first
  // centring leaves it an eighth of a micrometre off.
  const double x0 = 777777771, x1 = 777777772 + 3 * std::ldexp(1.0, -23);
  PointList far{{x0, x0}, {x1, x0}, {x1, x1}, {x0, x1}};
  double w = 0, h = 0;
  NormalizeImportedOutline(far, w, h);
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const OutlinePoint& p : far) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  EXPECT_LE(std::fabs(minX + maxX), 1e-15);
  EXPECT_LE(std::fabs(minY + maxY), 1e-15);
  EXPECT_EQ(w, x1 - x0);
  EXPECT_NEAR(maxX - minX, w, 1e-15);
  EXPECT_EQ(far[0].x, 0);
}

TEST_F(LoopJoin, FinishRefusesSliversAndKeepsTheOutputsUntouched) {
  // A needle: its area is above 0, but simplification leaves 2 points.
  AddPiece(1, {{0, 0}, {10, 0}, {20, 0}, {10, 1e-6}});
  PointList out{{9, 9}};
  double w = 7, h = 7;
  EXPECT_EQ(FinishImportedOutline(out, w, h), 0);
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(w, 7);
  gImportPieces.clear();
  AddPiece(1, {{0, 0}, {10, 0}, {10, 4}, {0, 4}});
  ASSERT_EQ(FinishImportedOutline(out, w, h), 1);
  EXPECT_EQ(out.size(), 5u);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 4);
}

TEST_F(LoopJoin, PointBudgetRefusesFurtherPoints) {
  gImportPointLimit = 3;
  ResetImportBudget();
  AddPiece(0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  gImportPointLimit = IMPORT_MAX_POINTS;
  EXPECT_EQ(gImportPieces.back().points.size(), 3u);
  EXPECT_EQ(gImportOverBudget, 1);
  ResetImportBudget();
  EXPECT_EQ(gImportOverBudget, 0);
}

}  // namespace
