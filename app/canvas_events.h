// What the mouse does on the canvas, in 2D (zoom, pan, fit, pattern
// alignment, pointer position) and in 3D (rotate, zoom, reset). Both read
// the current event of the window-system layer; gEventType says which.
#pragma once

#include <string>

void OnCanvasEvent2D();
void OnCanvasEvent3D();
// The pointer position text of the status bar for a world point.
std::string PointerPositionText(double x, double y);
// Empties the message field of the status bar when it still shows the
// pointer position (not when a message has been written over it since).
void ClearPointerPosition();
