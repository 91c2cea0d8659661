// The program's user-visible texts. Each language has one table with the
// same keys; a program picks its language by the selector it links
// (language_en.cpp or language_nl.cpp).
#pragma once

enum TextKey {
#define T(key, text) key,
#include "text/texts_en_engine.inc"
#include "text/texts_en_info.inc"
#include "text/texts_en_app.inc"
#include "text/texts_en_view.inc"
#include "text/texts_en_vase.inc"
#include "text/texts_en_export.inc"
#include "text/texts_en_exportcmd.inc"
#include "text/texts_en_import.inc"
#include "text/texts_en_project.inc"
#include "text/texts_en_help.inc"
#undef T
  TEXT_KEY_COUNT
};

// The texts of the language this program was built for.
extern const char* const* gTexts;

// The two tables, indexed by TextKey.
extern const char* const gTextsEn[TEXT_KEY_COUNT];
extern const char* const gTextsNl[TEXT_KEY_COUNT];

// 1 in the Dutch build, 0 in the English one.
extern const int gDutchBuild;

inline const char* Tx(TextKey key) { return gTexts[key]; }
