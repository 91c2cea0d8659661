#include "app/about_box.h"

#include "app/platform/window_system.h"
#include "app/png_image.h"
#include "text/texts.h"

int64_t ShowAboutBox(int64_t parentWindow, const std::string& title, const uint8_t* firstLogoByte,
                     const uint8_t* endOfLogoBytes, int64_t dutch) {
  // Both builds carry both sets of texts; the caller's flag chooses.
  const char* const* texts = dutch ? gTextsNl : gTextsEn;
  RgbaImage logo;
  int64_t haveLogo = 0;
  if (firstLogoByte != nullptr && endOfLogoBytes > firstLogoByte)
    haveLogo = DecodePngImage(firstLogoByte, endOfLogoBytes - firstLogoByte, logo);

  if (!OpenWindow(WINDOW_ABOUT, 600, 300, texts[TX_ABOUT_WINDOW_TITLE], WINDOW_CENTRED_ON_PARENT, parentWindow)) return 0;
  if (haveLogo)
    CreateImage(WINDOW_ABOUT, ABOUT_LOGO, 16, 16, 256, 256, logo.rgba.data(), logo.width, logo.height,
                logo.width * 4);
  CreateText(WINDOW_ABOUT, ABOUT_TITLE, 290, 24, 300, 46, title, 1);
  int64_t titleFont = LoadFont(FONT_ABOUT_TITLE, "Sans", 12, 1);
  if (titleFont) SetGadgetFont(WINDOW_ABOUT, ABOUT_TITLE, FONT_ABOUT_TITLE);
  CreateText(WINDOW_ABOUT, ABOUT_LABEL, 290, 182, 300, 20, texts[TX_ABOUT_CREATED_USING], 1);
  CreateText(WINDOW_ABOUT, ABOUT_LIBRARIES, 290, 204, 300, 44, texts[TX_ABOUT_LIBRARIES], 1);
  CreateButton(WINDOW_ABOUT, ABOUT_CLOSE, 490, 256, 94, 28, texts[TX_ABOUT_CLOSE]);
  AddKeyboardShortcut(WINDOW_ABOUT, KEY_ESCAPE, 0, ABOUT_SHORTCUT);
  AddKeyboardShortcut(WINDOW_ABOUT, KEY_RETURN, 0, ABOUT_SHORTCUT);
  SetWindowSensitive(parentWindow, 0);
  // Escape and Return need the keyboard focus on the box.
  PresentWindow(WINDOW_ABOUT);

  for (;;) {
    int64_t kind = WaitForEvent();
    if (kind == EVENT_NONE || EventWindow() != WINDOW_ABOUT) continue;
    if (kind == EVENT_CLOSE_WINDOW || kind == EVENT_MENU) break;
    // Only a click: a focus event of the button must not close the box.
    if (kind == EVENT_GADGET && EventGadget() == ABOUT_CLOSE && EventType() == EVENT_CLICK) break;
  }

  SetWindowSensitive(parentWindow, 1);
  // Closing also drops whatever this window still has queued, so no event
  // of its gadget ids reaches the main loop as one of the main window's.
  CloseWindow(WINDOW_ABOUT);
  if (titleFont) FreeFont(FONT_ABOUT_TITLE);
  PresentWindow(parentWindow);
  return 0;
}
