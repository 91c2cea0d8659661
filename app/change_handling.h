// The road of a change: form -> records -> recompute -> write-back ->
// texts -> view -> preview -> drawing.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

// source: the gadget the user changed (never written back), or -1.
// refit 1 fits the 2D view again.
int64_t OnParametersChanged(int64_t source, int64_t refit);
// The first half of the road: form -> records -> recompute -> write-back
// -> texts; the view, preview and drawing follow in OnParametersChanged.
void UpdateDesignFromForm(int64_t source);
// Sets the shift from a position along the base line in pitches.
int64_t SetShiftFromFraction(double pitches);
constexpr double SHIFT_WRAP_LIMIT = 0.99995;
// Makes a normalised closed loop (mm) the base outline.
int64_t ApplyImportedOutline(const PointList& points, double width, double height);
// The import message under the import button, also as its tooltip, so
// that a message longer than the room left is still read whole.
void ShowImportInfo(const std::string& text);
// Re-cuts the loaded STL model at the height of the STL field.
int64_t OnStlSectionChanged();
// The information field and status fields 0 to 3 from gResult.
void ComposeInfoText();
void ComposeStatusText();
