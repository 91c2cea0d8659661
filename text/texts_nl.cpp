#include "text/texts.h"

namespace {

struct Entry {
  TextKey key;
  const char* text;
};

constexpr Entry kEntries[] = {
#define T(key, text) {key, text},
#include "text/texts_nl_engine.inc"
#include "text/texts_nl_info.inc"
#include "text/texts_nl_app.inc"
#include "text/texts_nl_view.inc"
#include "text/texts_nl_vase.inc"
#include "text/texts_nl_export.inc"
#include "text/texts_nl_exportcmd.inc"
#include "text/texts_nl_import.inc"
#include "text/texts_nl_project.inc"
#include "text/texts_nl_help.inc"
#undef T
};

// The Dutch table must name every key of the English one, in the same order.
constexpr bool SameKeysInOrder() {
  for (int i = 0; i < TEXT_KEY_COUNT; ++i)
    if (kEntries[i].key != i) return false;
  return true;
}
static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == TEXT_KEY_COUNT,
              "the Dutch table has a different number of texts");
static_assert(SameKeysInOrder(), "the Dutch table's keys differ from the English ones");


}  // namespace

const char* const gTextsNl[TEXT_KEY_COUNT] = {
#define T(key, text) text,
#include "text/texts_nl_engine.inc"
#include "text/texts_nl_info.inc"
#include "text/texts_nl_app.inc"
#include "text/texts_nl_view.inc"
#include "text/texts_nl_vase.inc"
#include "text/texts_nl_export.inc"
#include "text/texts_nl_exportcmd.inc"
#include "text/texts_nl_import.inc"
#include "text/texts_nl_project.inc"
#include "text/texts_nl_help.inc"
#undef T
};
