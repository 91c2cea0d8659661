#include "tests/support/vase_designs.h"

#include <cmath>
#include <random>

#include "engine/recompute.h"
#include "tests/support/default_design.h"
#include "tests/support/imported_design.h"

VaseDesign MakeVaseDesign(const std::string& name, const DesignParams& params, VaseParams vase) {
  VaseDesign d;
  d.name = name;
  RecomputeOutline(params, d.result);
  SetVaseDepths(vase, params, d.result);
  d.vase = vase;
  return d;
}

PointList CShapeOutline() {
  return {{0, 20}, {-20, 20}, {-20, -20}, {20, -20}, {20, -8}, {-8, -8}, {-8, 8}, {20, 8}, {20, 20}};
}

PointList LShapeOutline() { return {{0, 40}, {-20, 40}, {-20, -20}, {30, -20}, {30, 0}, {0, 0}}; }

namespace {

PointList StarOutline() {
  PointList star;
  for (int k = 0; k < 10; ++k) {
    double a = M_PI / 2 + M_PI * k / 5;
    double r = k % 2 == 0 ? 30 : 15;
    star.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return star;
}

}  // namespace

std::vector<VaseDesign> HollowTestDesigns() {
  VaseParams hollow;
  hollow.hollow = VASE_HOLLOW;
  std::vector<VaseDesign> designs;
  designs.push_back(MakeVaseDesign("default", DefaultDesign(), hollow));

  DesignParams star = ImportedDesign(StarOutline(), 57.06, 54.27);
  star.figureKind = FIGURE_SINE;
  star.count = 36;
  star.depth = 1.5;
  VaseParams twisted = hollow;
  twisted.twist = 72;
  designs.push_back(MakeVaseDesign("star with sines", star, twisted));

  DesignParams inward = DefaultDesign();
  inward.direction = DIRECTION_INWARD;
  inward.count = 30;
  VaseParams following = hollow;
  following.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  following.wallThickness = 0.8;
  following.topScale = 0.8;
  following.bulge = 0.2;
  designs.push_back(MakeVaseDesign("inward, following the pattern", inward, following));

  DesignParams c = ImportedDesign(CShapeOutline(), 40, 40);
  c.figureKind = FIGURE_NONE;
  designs.push_back(MakeVaseDesign("C shape", c, hollow));
  return designs;
}

std::vector<VaseDesign> FoldingTestDesigns() {
  std::vector<VaseDesign> designs;
  DesignParams ellipse = DefaultDesign();
  ellipse.shapeKind = SHAPE_ELLIPSE;
  ellipse.width = 80;
  ellipse.height = 40;
  ellipse.count = 90;
  ellipse.shift = 0.25;
  VaseParams thin;
  thin.hollow = VASE_HOLLOW;
  thin.height = 60;
  thin.twist = 90;
  thin.bulge = 0.5;
  thin.steps = 40;
  thin.wallThickness = 0.5;
  thin.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  designs.push_back(MakeVaseDesign("ellipse, dense outward rectangles", ellipse, thin));

  DesignParams rectangle = DefaultDesign();
  rectangle.shapeKind = SHAPE_RECTANGLE;
  rectangle.width = 60;
  rectangle.height = 40;
  rectangle.cornerRadius = 0;
  rectangle.figureKind = FIGURE_HALF_CIRCLE;
  rectangle.direction = DIRECTION_INWARD;
  rectangle.count = 3;
  rectangle.shift = -0.4;
  VaseParams coarse;
  coarse.hollow = VASE_HOLLOW;
  coarse.height = 120;
  coarse.twist = 90;
  coarse.topScale = 0.8;
  coarse.bulge = 0.1;
  coarse.steps = 12;
  designs.push_back(MakeVaseDesign("sharp rectangle, coarse twist", rectangle, coarse));

  // The L's points span 50 by 60 mm; the design stretches it to 60 by 60.
  DesignParams l = ImportedDesign(LShapeOutline(), 50, 60);
  l.width = 60;
  l.figureKind = FIGURE_TRAPEZOID;
  l.direction = DIRECTION_INWARD;
  l.count = 12;
  l.shift = -0.4;
  designs.push_back(MakeVaseDesign("L shape, inward trapezoids", l, coarse));
  l.figureKind = FIGURE_NONE;
  designs.push_back(MakeVaseDesign("L shape", l, coarse));
  return designs;
}

VaseParams RandomVaseParams(std::mt19937& random, double thinnestWall) {
  auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  VaseParams v;
  v.hollow = VASE_HOLLOW;
  v.height = uniform(20, 150);
  v.twist = pick(3) == 0 ? 0 : uniform(-180, 180);
  v.topScale = pick(3) == 0 ? 1 : uniform(0.5, 1.5);
  v.bulge = pick(3) == 0 ? 0 : uniform(-0.4, 1);
  v.steps = static_cast<int64_t>(std::exp(uniform(0, std::log(400.5))));
  v.wallThickness = uniform(thinnestWall, 3);
  v.bottomThickness = uniform(0.5, 5);
  v.innerWallMode = pick(3);
  return v;
}

VaseDesign SweepVaseDesign(uint32_t seed) {
  std::mt19937 random(seed);
  auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  DesignParams p = DefaultDesign();
  p.shapeKind = pick(4);
  p.width = uniform(30, 80);
  p.height = uniform(20, 60);
  p.cornerRadius = pick(2) ? 0 : uniform(0, 8);
  if (p.shapeKind == SHAPE_IMPORTED) {
    const PointList shapes[3] = {CShapeOutline(), LShapeOutline(), StarOutline()};
    const double sizes[3][2] = {{40, 40}, {50, 60}, {57.06, 54.27}};
    int k = pick(3);
    p = ImportedDesign(shapes[k], sizes[k][0], sizes[k][1]);
    p.width = sizes[k][0] * uniform(0.8, 1.5);
    p.height = sizes[k][1] * uniform(0.8, 1.5);
  }
  p.figureKind = pick(7);
  p.direction = pick(2) ? DIRECTION_OUTWARD : DIRECTION_INWARD;
  p.count = 3 + pick(60);
  p.depth = uniform(0.5, 4);
  p.shift = uniform(-0.5, 0.5);
  p.pointSpacing = 0.3;
  VaseParams v = RandomVaseParams(random, 0.4);
  v.hollow = pick(3) == 0 ? VASE_SOLID : VASE_HOLLOW;
  return MakeVaseDesign("sweep " + std::to_string(seed), p, v);
}
