#include "tests/support/vase_designs.h"

#include <cmath>

#include "engine/recompute.h"
#include "tests/support/default_design.h"

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

namespace {

DesignParams Imported(const PointList& points, double width, double height) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_IMPORTED;
  p.importPoints = points;
  p.importWidth = p.width = width;
  p.importHeight = p.height = height;
  return p;
}

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

  DesignParams star = Imported(StarOutline(), 57.06, 54.27);
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

  DesignParams c = Imported(CShapeOutline(), 40, 40);
  c.figureKind = FIGURE_NONE;
  designs.push_back(MakeVaseDesign("C shape", c, hollow));
  return designs;
}
