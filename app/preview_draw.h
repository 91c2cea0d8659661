// The 3D preview on the canvas: the software renderer's frame copied into
// the canvas image, with the error or height hint and the help line on top.
#pragma once

#include <cstdint>
#include <string>

// Draws the whole 3D view into GADGET_CANVAS; DrawCanvas calls it in 3D mode.
void DrawPreview3D();
// The help line as drawn on a canvas this wide: without the instructions
// from its end that do not fit.
std::string PreviewHintForWidth(int64_t canvasWidth);
