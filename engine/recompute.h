// The engine's one entry point: rebuilds the result from scratch.
#pragma once

#include "engine/design.h"

void RecomputeOutline(const DesignParams& params, DesignResult& result);
