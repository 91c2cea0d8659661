// Switches the C numeric locale to one with a decimal comma, so tests can
// prove that number texts never depend on the locale.
#pragma once

// Returns false when no such locale can be had on this machine.
bool UseCommaLocale();
void RestoreCLocale();
