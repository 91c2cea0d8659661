// User input for tests, in a library of its own that only the tests link:
// the programs do not contain it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/platform/window_system.h"

// These act on the widgets as the user's input would, through the same
// toolkit paths, so the same events are raised (each typed character is
// one change; the digit filter applies).

void UserTypeText(int64_t window, int64_t id, const std::string& text);
void UserClearText(int64_t window, int64_t id);
void UserClick(int64_t window, int64_t id);
void UserSelectComboItem(int64_t window, int64_t id, int64_t index);
// A key pressed over the window with the given MODIFIER_* bits; key is a
// ShortcutKey or an upper-case letter.
void UserPressKey(int64_t window, int64_t key, int64_t modifiers);
// A wheel turn over a gadget: +1 per notch up, -1 down.
void UserTurnWheel(int64_t window, int64_t id, int64_t notches);
// Maximises the window (1) or gives it its size back (0), through the
// window manager when there is one.
void MaximizeWindow(int64_t window, int64_t on);

// What the window tests read back.

// The size the toolkit last allocated to the gadget (of a canvas, its
// drawing area inside the frame).
int64_t GadgetAllocatedWidth(int64_t window, int64_t id);
int64_t GadgetAllocatedHeight(int64_t window, int64_t id);
// Every gadget id of the window, the layer's own label ids included.
std::vector<int64_t> GadgetIds(int64_t window);
// Of a label, button, check box or combo box: the width in pixels that
// its allocation leaves for the text, and the width a text takes in the
// gadget's font; 0 for other kinds.
int64_t GadgetTextRoom(int64_t window, int64_t id);
int64_t GadgetTextPixelWidth(int64_t window, int64_t id, const std::string& text);
// Of a label: 1 when its text as laid out now fits the allocation whole
// (wrapped or not, nothing left out for "…"), else 0.
int64_t GadgetTextShownWhole(int64_t window, int64_t id);
