// One pitch of the pattern drawn flat: x is u (distance along the base line
// from the start of the pitch), y is v (signed distance along the outward
// normal). Corner figures get circular fillets.
#pragma once

#include <cstdint>

#include "engine/design.h"

constexpr int64_t HALF_CIRCLE_POINTS = 49;
constexpr int64_t SINE_POINTS = 96;
constexpr double FILLET_STEP_DEG = 7.5;

// Appends the profile of one figure (kind a FigureKind, dir +1 outward or -1
// inward) to profile. filletUsed comes in as the asked radius and is lowered
// to the smallest radius actually applied at a corner.
void BuildFigureProfile(int64_t kind, int64_t dir, double pitch, double w, double g, double d, double top,
                        double fillet, PointList& profile, double& filletUsed);
