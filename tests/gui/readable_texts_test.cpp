// What the window says can be read where and when it is shown: the import
// message whole, the preview's reason a vase cannot be exported, canvas
// texts clear of the drawing, and no status text that has gone stale.
#include <gtest/gtest.h>

#include <string>

#include "app/document_state.h"
#include "app/canvas_text.h"
#include "app/draw2d.h"
#include "app/export_commands.h"
#include "app/gadgets.h"
#include "app/import_command.h"
#include "app/main_program.h"
#include "app/preview_draw.h"
#include "app/project_commands.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "tests/gui/support/help_windows.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"
#include "tests/support/import_files.h"
#include "text/texts.h"
#include "vase/preview_renderer.h"

namespace {

struct Rgb {
  int r, g, b;
};

Rgb Pixel(int64_t x, int64_t y) {
  uint32_t p = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, x, y);
  return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
}

// The canvas texts' own colours, anti-aliased over a light background.
// (The red x axis has green and blue alike.)
bool IsWarningInk(Rgb p) { return p.g > p.b + 15 && p.r > p.g + 10; }
bool IsHintInk(Rgb p) { return p.r < 180 && p.b > p.r + 5; }
bool IsErrorInk(Rgb p) { return p.r > 150 && p.g < 110 && p.b < 110; }
// The model's clay colours, lit or in shade; background and grey text lean blue.
bool IsModel(Rgb p) { return p.r > p.b + 20; }

class ReadableTexts : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ResetImportState();
    gModified = 0;
  }
  void TearDown() override {
    ResetImportState();
    gModified = 0;
    ShellTest::TearDown();
    gTexts = gTextsEn;
  }
  // The window built anew in the language, laid out by the toolkit.
  static void BuildIn(const char* const* texts) {
    CloseWindow(WINDOW_MAIN);
    gTexts = texts;
    StartMainProgram();
    SettleToolkit();
    ClearEventQueue();
  }
  static void Resize(int64_t w, int64_t h) {
    ResizeWindow(WINDOW_MAIN, w, h);
    ASSERT_TRUE(WaitUntil([&] { return WindowInnerWidth(WINDOW_MAIN) == w && WindowInnerHeight(WINDOW_MAIN) == h; }));
    SettleToolkit();
  }
  // Screen box of the outline, in canvas pixels.
  static void OutlineBox(double& top, double& left, double& right) {
    top = 1e9, left = 1e9, right = -1e9;
    for (const OutlinePoint& p : gResult.outlinePoints) {
      OutlinePoint q;
      WorldToScreen(q, p.x, p.y);
      top = std::min(top, q.y);
      left = std::min(left, q.x);
      right = std::max(right, q.x);
    }
  }
  TempFolder scratch;
};

TEST_F(ReadableTexts, TheImportMessageIsShownWholeInBothBuildsAndSizes) {
  // Two closed loops, and an STL section with an open chain beside its loop:
  // the longest messages the import gives.
  const std::string dxf = ImportTestPath("star_of_the_design.dxf");
  WriteTestFile(dxf, DxfEntities("0\nCIRCLE\n10\n0\n20\n0\n40\n25\n0\nCIRCLE\n10\n0\n20\n0\n40\n5\n"));
  const std::string stl = ImportTestPath("vase_model_with_a_loose_fin.stl");
  std::vector<StlTriangle> triangles = StlBox(0, 0, 0, 40, 30, 60);
  triangles.push_back({StlVertex{50, 0, 0}, StlVertex{60, 0, 0}, StlVertex{55, 5, 60}});
  WriteTestFile(stl, BinaryStl(triangles, static_cast<uint32_t>(triangles.size())));
  for (const char* const* texts : {gTextsEn, gTextsNl}) {
    BuildIn(texts);
    for (int size = 0; size < 2; ++size) {
      if (size == 1) Resize(1024, 768);
      for (const std::string& path : {dxf, stl}) {
        ImportPath(path);
        SettleToolkit();
        const std::string shown = Field(GADGET_IMPORT_INFO);
        ASSERT_EQ(shown.rfind(FilePart(path) + ": ", 0), 0u) << shown;
        EXPECT_NE(shown.find(Tx(TX_IMPORT_POINTS_END)), std::string::npos) << shown;
        EXPECT_EQ(GadgetTextShownWhole(WINDOW_MAIN, GADGET_IMPORT_INFO), 1) << shown;
        EXPECT_EQ(GetGadgetTooltip(WINDOW_MAIN, GADGET_IMPORT_INFO), shown);
      }
    }
  }
}

TEST_F(ReadableTexts, ThePreviewSaysWhyAVaseWouldBeRefused) {
  for (const char* const* texts : {gTextsEn, gTextsNl}) {
    BuildIn(texts);
    Retype(GADGET_WIDTH, "60");
    Choose(GADGET_VASE_TYPE, 1);
    Retype(GADGET_WALL_THICKNESS, "30");
    PostMenuEvent(MENU_TOGGLE_3D);
    ASSERT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D), 1);
    auto redAtTheTop = [] {
      int64_t n = 0;
      for (int64_t y = 10; y < 28; ++y)
        for (int64_t x = 12; x < 300; ++x) n += IsErrorInk(Pixel(x, y)) ? 1 : 0;
      return n;
    };
    // The export's own words, drawn in red where the height hint goes.
    EXPECT_EQ(gPreviewRefusal, Tx(TX_VASE_WALL_TOO_THICK));
    EXPECT_GT(redAtTheTop(), 20);
    ClearCannedDialogs();
    AddCannedFileAnswer(scratch.Dir() + "refused.stl");
    AddCannedMessageAnswer(ANSWER_OK);
    ExportVase(VASE_EXPORT_STL);
    ASSERT_EQ(RecordedDialogCalls().size(), 2u);
    EXPECT_EQ(RecordedDialogCalls()[1].text.rfind(Tx(TX_VASE_WALL_TOO_THICK), 0), 0u);

    Retype(GADGET_WALL_THICKNESS, "2");
    EXPECT_EQ(gPreviewRefusal, "");
    EXPECT_EQ(redAtTheTop(), 0);
  }
}

TEST_F(ReadableTexts, WarningsStayAboveAFittedOutlineAndInsideTheCanvas) {
  // A square with sharp corners and sizes below the smallest size.
  Choose(GADGET_SHAPE, 2);
  Retype(GADGET_HEIGHT, "50");
  Retype(GADGET_CORNER_RADIUS, "0");
  Retype(GADGET_SMALLEST_SIZE, "3");
  ASSERT_GE(gResult.warnings.size(), 2u);
  for (int size = 0; size < 2; ++size) {
    if (size == 1) Resize(700, 450);
    PostMenuEvent(MENU_FIT_VIEW);
    const int64_t w = GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), h = GadgetHeight(WINDOW_MAIN, GADGET_CANVAS);
    double top, left, right;
    OutlineBox(top, left, right);
    int64_t ink = 0, lowest = -1, rightmost = -1;
    for (int64_t y = 0; y < h; ++y)
      for (int64_t x = 0; x < w; ++x)
        if (IsWarningInk(Pixel(x, y))) {
          ++ink;
          lowest = std::max(lowest, y);
          rightmost = std::max(rightmost, x);
        }
    EXPECT_GT(ink, 50) << size;
    EXPECT_LT(static_cast<double>(lowest), top) << size;  // above the outline's top row
    EXPECT_LT(rightmost, w - 8) << size;
  }
}

// A text too long for its room loses whole words from its end, then "…";
// a word too long on its own loses characters.
TEST(CanvasTextCut, WholeWordsFirstThenCharacters) {
  const std::string ellipsis = "\u2026";
  struct Case {
    const char* text;
    int64_t room;
    const char* shown;  // nullptr: cut, checked by the rules below
  };
  const Case cases[] = {
      {"Sharp corner", 1000, "Sharp corner"},
      {"", 10, ""},
      {"! Sharp corner: figures across the corner get distorted; use a small corner radius.", 200, nullptr},
      {"! Scherpe hoek: figuren over de hoek worden vervormd", 120, nullptr},
      {"Onvervormbaarheidsbeginsel", 60, nullptr},
      {"Wand   dikte", 45, nullptr},
      {"Sharp corner", 1, ""},
  };
  PangoFontDescription* font = pango_font_description_from_string("Sans 10");
  for (const Case& c : cases) {
    std::string shown, text = c.text;
    int64_t width = 0;
    FitOnScratchLayout(font, [&](PangoLayout* layout) {
      shown = CutToWidth(layout, text, c.room);
      width = CanvasTextWidth(layout, shown);
      return shown;
    });
    EXPECT_LE(width, c.room) << text;
    if (c.shown != nullptr) {
      EXPECT_EQ(shown, c.shown) << text;
      continue;
    }
    ASSERT_GT(shown.size(), ellipsis.size()) << text;
    ASSERT_EQ(shown.substr(shown.size() - ellipsis.size()), ellipsis) << text;
    const std::string kept = shown.substr(0, shown.size() - ellipsis.size());
    ASSERT_EQ(text.rfind(kept, 0), 0u) << shown;
    EXPECT_NE(kept.back(), ' ') << shown;
    // Cut at a blank unless the text's first word alone is too long.
    if (text.find(' ') < kept.size()) {
      EXPECT_EQ(text[kept.size()], ' ') << shown;
    }
  }
  pango_font_description_free(font);
}

TEST_F(ReadableTexts, ThreeDTextsKeepClearOfTheModelAndShortenOnNarrowCanvases) {
  PostMenuEvent(MENU_TOGGLE_3D);
  const int64_t w = GadgetWidth(WINDOW_MAIN, GADGET_CANVAS), h = GadgetHeight(WINDOW_MAIN, GADGET_CANVAS);
  EXPECT_EQ(PreviewHintForWidth(w), Tx(TX_PREVIEW_HINT));
  UserTurnWheel(WINDOW_MAIN, GADGET_CANVAS, 12);
  DispatchQueuedEvents();
  ASSERT_GT(gZoom3D, 4);
  // The hint's rows: from its highest ink down to the bottom.
  int64_t hintTop = h;
  for (int64_t y = h - 1; y > h - 60; --y)
    for (int64_t x = 10; x < 200; ++x)
      if (IsHintInk(Pixel(x, y))) hintTop = y;
  ASSERT_LT(hintTop, h - 8);
  int64_t modelAbove = 0, modelInBand = 0;
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x < w; x += 2) {
      bool model = IsModel(Pixel(x, y));
      if (y >= hintTop)
        modelInBand += model ? 1 : 0;
      else
        modelAbove += model ? 1 : 0;
    }
  EXPECT_GT(modelAbove, 1000);  // zoomed in, the vase fills the canvas
  EXPECT_EQ(modelInBand, 0);

  Resize(700, 450);
  const std::string narrow = PreviewHintForWidth(GadgetWidth(WINDOW_MAIN, GADGET_CANVAS));
  EXPECT_LT(narrow.size(), std::string(Tx(TX_PREVIEW_HINT)).size());
  EXPECT_EQ(narrow.rfind("3D preview:  drag = rotate", 0), 0u) << narrow;
}

TEST_F(ReadableTexts, StatusTextsGoWhenWhatTheyDescribeIsGone) {
  // The pointer position, once the 3D preview is shown.
  WindowEvent move;
  move.kind = EVENT_GADGET;
  move.window = WINDOW_MAIN;
  move.id = GADGET_CANVAS;
  move.type = EVENT_MOUSE_MOVE;
  move.x = 120;
  move.y = 80;
  PostEvent(move);
  DispatchQueuedEvents();
  ASSERT_EQ(Status().rfind("x = ", 0), 0u) << Status();
  PostMenuEvent(MENU_TOGGLE_3D);
  EXPECT_EQ(Status(), "");
  PostMenuEvent(MENU_TOGGLE_3D);

  // "Written: " after an import and after a project open; a message that
  // is not the pointer's stays when the preview is shown.
  const std::string dir = scratch.Dir();
  auto exportVase = [&] {
    ClearCannedDialogs();
    AddCannedFileAnswer(dir + "vase1.stp");
    AddCannedMessageAnswer(ANSWER_YES);
    ExportVase(VASE_EXPORT_STEP);
    ASSERT_EQ(Status().rfind(Tx(TX_EXPORTCMD_WRITTEN) + std::string("vase1.stp"), 0), 0u) << Status();
  };
  exportVase();
  PostMenuEvent(MENU_TOGGLE_3D);
  EXPECT_NE(Status(), "");
  PostMenuEvent(MENU_TOGGLE_3D);
  const std::string dxf = ImportTestPath("status_circle.dxf");
  WriteTestFile(dxf, DxfEntities("0\nCIRCLE\n10\n0\n20\n0\n40\n20\n"));
  ImportPath(dxf);
  SettleToolkit();
  ASSERT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_IMPORTED);
  EXPECT_EQ(Status(), "");

  ClearCannedDialogs();
  AddCannedFileAnswer(dir + "design.omt");
  ASSERT_EQ(SaveProject(1), 1);
  exportVase();
  ClearCannedDialogs();
  AddCannedFileAnswer(dir + "design.omt");
  OpenProjectDialog();
  ASSERT_EQ(gProjectPath, dir + "design.omt");
  EXPECT_EQ(Status(), "");
}

}  // namespace
