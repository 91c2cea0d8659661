// The About box of the Help menu: logo, name and version, maker's line.
#pragma once

#include <cstdint>
#include <string>

// The box's window, its gadgets and its title font (ids of the
// window-system layer; gadget ids count per window).
constexpr int64_t WINDOW_ABOUT = 1;
enum AboutGadget : int64_t { ABOUT_LOGO = 1, ABOUT_TITLE = 2, ABOUT_LABEL = 3, ABOUT_LIBRARIES = 4, ABOUT_CLOSE = 5 };
constexpr int64_t FONT_ABOUT_TITLE = 20;
// Escape and Return raise this shortcut id on the About window.
constexpr int64_t ABOUT_SHORTCUT = 1;

// Modal: the parent is insensitive while the box's own wait loop runs, and
// is brought to the front again when the box closes. The logo is decoded
// from the bytes [firstLogoByte, endOfLogoBytes); dutch chooses the texts.
// Returns 0.
int64_t ShowAboutBox(int64_t parentWindow, const std::string& title, const uint8_t* firstLogoByte,
                     const uint8_t* endOfLogoBytes, int64_t dutch);
