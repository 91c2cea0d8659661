#include "export/sound_outline.h"

#include "engine/sound_ring.h"

bool KeepSoundOutline(const PointList& source, PointList& thinned) {
  if (CheckSoundOutline(thinned) != 0) return true;
  if (CheckSoundOutline(source) == 0) return false;
  thinned = source;
  return true;
}
