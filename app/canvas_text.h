// Texts drawn over the canvas, fitted to the room the canvas leaves them:
// measured in a pango layout, shortened by whole words or instructions.
#pragma once

#include <pango/pangocairo.h>

#include <cstdint>
#include <functional>
#include <string>

// Width in pixels of the text in the layout's font.
int64_t CanvasTextWidth(PangoLayout* layout, const std::string& text);
// The text as it fits room pixels: whole, or cut after its last word that
// fits and ended with "…"; a first word too long on its own is cut by
// characters.
std::string CutToWidth(PangoLayout* layout, const std::string& text, int64_t room);
// A help line: instructions (set apart by two or more blanks) followed by
// a tail that always stays; instructions are left out from the end until
// the line fits room pixels.
std::string DropInstructionsToWidth(PangoLayout* layout, std::string instructions, const std::string& tail,
                                    int64_t room);
// What fit returns for a layout in the font on a scratch surface, for
// asking how a text would be drawn without drawing it.
std::string FitOnScratchLayout(const PangoFontDescription* font,
                               const std::function<std::string(PangoLayout*)>& fit);
