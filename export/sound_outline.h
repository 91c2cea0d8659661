// The writers' guard: only a simple counter-clockwise ring is written.
#pragma once

#include "engine/design.h"

// True when the thinned outline is a simple counter-clockwise ring; when
// thinning made it meet itself but the source is sound, the source takes
// its place. False when neither is sound: nothing may be written.
bool KeepSoundOutline(const PointList& source, PointList& thinned);
