// Every text of the window is readable at the default size, in both builds.
#include <gtest/gtest.h>

#include "app/draw2d.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "tests/gui/support/help_windows.h"
#include "tests/gui/support/shell_fixture.h"
#include "text/texts.h"

namespace {

// The texts a gadget shows: its own, or every item of a combo box.
std::vector<std::string> ShownTexts(int64_t id) {
  std::vector<std::string> texts;
  int64_t items = ComboItemCount(WINDOW_MAIN, id);
  for (int64_t i = 0; i < items; ++i) texts.push_back(GetComboItemText(WINDOW_MAIN, id, i));
  if (items == 0) texts.push_back(GetGadgetText(WINDOW_MAIN, id));
  return texts;
}

// The texts that do not fit their gadgets, with their widths.
std::string CutTexts() {
  std::string cut;
  for (int64_t id : GadgetIds(WINDOW_MAIN)) {
    int64_t room = GadgetTextRoom(WINDOW_MAIN, id);
    for (const std::string& text : ShownTexts(id)) {
      int64_t width = GadgetTextPixelWidth(WINDOW_MAIN, id, text);
      if (width > room) cut += "\"" + text + "\" " + std::to_string(width) + " > " + std::to_string(room) + "\n";
    }
  }
  return cut;
}

class TextFit : public ShellTest {
 protected:
  void TearDown() override {
    ShellTest::TearDown();
    gTexts = gTextsEn;
  }
  // Builds the window anew in the language and lets the toolkit lay it out.
  void BuildIn(const char* const* texts) {
    CloseWindow(WINDOW_MAIN);
    gTexts = texts;
    StartMainProgram();
    SettleToolkit();
  }
};

TEST_F(TextFit, NoTextIsCutAtTheDefaultSizeInEitherBuild) {
  for (const char* const* texts : {gTextsEn, gTextsNl}) {
    BuildIn(texts);
    EXPECT_EQ(CutTexts(), "");
    // The zoom hint is drawn whole on the default canvas.
    EXPECT_EQ(ZoomHintForWidth(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS)), ZoomHintText());
  }
}

TEST_F(TextFit, ANarrowCanvasDropsInstructionsButKeepsTheScale) {
  std::string full = ZoomHintText();
  std::string narrow = ZoomHintForWidth(400);
  EXPECT_LT(narrow.size(), full.size());
  EXPECT_EQ(narrow.rfind("Wheel = zoom   drag = pan", 0), 0u) << narrow;
  EXPECT_EQ(full.substr(full.size() - narrow.size() + narrow.find('(')), narrow.substr(narrow.find('('))) << narrow;
  EXPECT_EQ(ZoomHintForWidth(10), full.substr(full.rfind('(')));  // only the scale is left
  gTexts = gTextsNl;  // instructions set apart by two blanks
  narrow = ZoomHintForWidth(400);
  EXPECT_EQ(narrow.rfind("Wiel = zoom  slepen = pannen  ", 0), 0u) << narrow;
  EXPECT_EQ(narrow.substr(narrow.size() - 7), " px/mm)");
}

}  // namespace
