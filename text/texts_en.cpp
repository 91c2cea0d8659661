#include "text/texts.h"

const char* const gTextsEn[TEXT_KEY_COUNT] = {
#define T(key, text) text,
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
};
