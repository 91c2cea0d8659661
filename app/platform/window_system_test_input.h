// User input for tests, in a library of its own that only the tests link:
// the programs do not contain it.
#pragma once

#include <cstdint>
#include <string>

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
