#include <gtest/gtest.h>

#include <string>

#include "app/form.h"
#include "app/gadgets.h"
#include "app/import_command.h"
#include "app/main_program.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "tests/gui/support/shell_fixture.h"
#include "text/texts.h"
#include "tests/support/import_files.h"

namespace {

class ImportCommandTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ResetImportState();
  }
  void TearDown() override {
    ResetImportState();
    ShellTest::TearDown();
  }
};

const std::string kCircleDxf = DxfEntities("0\nCIRCLE\n10\n3\n20\n4\n40\n5\n");

TEST(ImportExtension, LastDotOfTheFilePartLowerCased) {
  EXPECT_EQ(ImportExtension("/a/part.STL"), "stl");
  EXPECT_EQ(ImportExtension("/a/part.Stl"), "stl");
  EXPECT_EQ(ImportExtension("/a/part.dxf.bak"), "bak");
  EXPECT_EQ(ImportExtension("/a.stl/part"), "");
  EXPECT_EQ(ImportExtension("/a/part.st l"), "");
  EXPECT_EQ(ImportExtension("noext"), "");
}

TEST_F(ImportCommandTest, CancelChangesNothingButAnEmptyFolder) {
  std::string width = Field(GADGET_WIDTH);
  ImportBaseOutline();  // no canned answer: cancelled
  ASSERT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_EQ(RecordedDialogCalls()[0].kind, DIALOG_OPEN);
  EXPECT_EQ(RecordedDialogCalls()[0].title, "Import base outline");
  EXPECT_EQ(RecordedDialogCalls()[0].filters,
            "DXF / STL (*.dxf;*.stl)|*.dxf;*.stl|DXF (*.dxf)|*.dxf|STL (*.stl)|*.stl|All files (*.*)|*.*");
  EXPECT_EQ(gLastFolder, CurrentDirectory());
  EXPECT_EQ(Field(GADGET_WIDTH), width);
  EXPECT_NE(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_IMPORTED);
}

TEST_F(ImportCommandTest, DxfBecomesTheBaseOutlineAndUnloadsAModel) {
  std::string stl = ImportTestPath("cmd_box.stl");
  WriteTestFile(stl, BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12));
  ImportPath(stl);
  ASSERT_EQ(gImportFromStl, 1) << gImportMessage;

  std::string dxf = ImportTestPath("cmd_circle.txt");  // any other extension reads as DXF
  WriteTestFile(dxf, kCircleDxf);
  ImportPath(dxf);
  EXPECT_EQ(gImportFromStl, 0);
  EXPECT_EQ(gStlTriangleCount, 0);
  EXPECT_EQ(gImportFileName, dxf);
  EXPECT_EQ(gLastFolder, FolderPart(dxf));
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_IMPORTED);
  EXPECT_EQ(Field(GADGET_WIDTH), "10");
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "cmd_circle.txt: 1 closed loop(s); the largest is used (360 points).");
  EXPECT_EQ(gParams.importPoints.size(), 360u);
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STL_Z), 0);
}

TEST_F(ImportCommandTest, StlIsCutAtHalfItsRoundedHeight) {
  std::string stl = ImportTestPath("cmd_tall.STL");
  WriteTestFile(stl, BinaryStl(StlBox(0, 0, 2, 10, 20, 39.5f), 12));
  ImportPath(stl);
  ASSERT_EQ(gImportFromStl, 1) << gImportMessage;
  EXPECT_EQ(Field(GADGET_STL_Z), "18.75");
  EXPECT_EQ(GetGadgetTooltip(WINDOW_MAIN, GADGET_STL_Z),
            "Height of the cross-section above the bottom (model: 0 .. 37.50 mm)");
  EXPECT_EQ(Field(GADGET_WIDTH), "10");
  EXPECT_EQ(Field(GADGET_HEIGHT), "20");
  EXPECT_EQ(IsGadgetEnabled(WINDOW_MAIN, GADGET_STL_Z), 1);
  EXPECT_EQ(QueuedEventCount(), 0);
}

TEST_F(ImportCommandTest, FailureShowsTheFileAndReasonAndKeepsTheDesign) {
  std::string good = ImportTestPath("cmd_good.dxf");
  WriteTestFile(good, kCircleDxf);
  ImportPath(good);
  ASSERT_EQ(gImportFileName, good);
  std::string bad = ImportTestPath("cmd_bad.dxf");
  WriteTestFile(bad, DxfEntities(""));
  ImportPath(bad);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  const DialogCall& box = RecordedDialogCalls()[1];
  EXPECT_EQ(box.kind, DIALOG_MESSAGE);
  EXPECT_EQ(box.title, "Import");
  EXPECT_EQ(box.text, "cmd_bad.dxf:\nNo usable lines found in the DXF file.");
  EXPECT_EQ(box.icon, ICON_WARNING);
  EXPECT_EQ(gImportFileName, good);
  EXPECT_EQ(gParams.importPoints.size(), 360u);
  std::string binary = ImportTestPath("cmd_binary.dxf");
  WriteTestFile(binary, std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION\0", 30));
  ImportPath(binary);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(RecordedDialogCalls()[1].text,
            "cmd_binary.dxf:\nBinary DXF is not supported; save the drawing as ASCII DXF.");
  EXPECT_EQ(gImportFileName, good);
}

TEST_F(ImportCommandTest, RecutAfterAFailedFirstCutNamesTheNewModel) {
  std::string first = ImportTestPath("cmd_first.stl");
  WriteTestFile(first, BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12));
  ImportPath(first);
  ASSERT_EQ(gImportFromStl, 1);
  // Two bodies with nothing at half height: the first cut fails.
  std::vector<StlTriangle> tris = StlBox(0, 0, 0, 10, 10, 10);
  std::vector<StlTriangle> upper = StlBox(0, 0, 20, 30, 30, 30);
  tris.insert(tris.end(), upper.begin(), upper.end());
  std::string second = ImportTestPath("cmd_second.stl");
  WriteTestFile(second, BinaryStl(tris, 24));
  ImportPath(second);
  EXPECT_EQ(RecordedDialogCalls().back().text, "cmd_second.stl:\nThe cross-section is empty.");
  EXPECT_EQ(gImportFileName, first);
  EXPECT_EQ(Field(GADGET_STL_Z), "15");
  // The user picks a height that cuts the new model.
  UserClearText(WINDOW_MAIN, GADGET_STL_Z);
  UserTypeText(WINDOW_MAIN, GADGET_STL_Z, "25");
  DispatchQueuedEvents();
  EXPECT_EQ(Field(GADGET_WIDTH), "30");
  EXPECT_EQ(gImportFileName, second);
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "cmd_second.stl: 1 loop(s) in the cross-section; the largest is used (5 points).");
}

}  // namespace

namespace {

// GTK matches patterns case-sensitively; CAD programs often write A.STL.
TEST(FileFilters, MatchExtensionsInEitherCase) {
  EnsureWindowSystem();
  struct Row {
    const char* filters;
    int64_t index;
    const char* name;
    int64_t shown;
  } rows[] = {
      {gTextsEn[TX_IMPORT_FILTERS], 0, "A.STL", 1},  {gTextsEn[TX_IMPORT_FILTERS], 0, "b.dxf", 1},
      {gTextsNl[TX_IMPORT_FILTERS], 0, "c.Dxf", 1},  {gTextsEn[TX_IMPORT_FILTERS], 0, "d.txt", 0},
      {gTextsEn[TX_IMPORT_FILTERS], 0, "e.stl.bak", 0}, {gTextsEn[TX_IMPORT_FILTERS], 1, "F.DXF", 1},
      {gTextsEn[TX_IMPORT_FILTERS], 1, "g.stl", 0},  {gTextsEn[TX_IMPORT_FILTERS], 2, "H.Stl", 1},
      {gTextsEn[TX_IMPORT_FILTERS], 3, "README", 1}, {gTextsEn[TX_PROJECT_OPEN_FILTER], 0, "VASE.OMT", 1},
      {gTextsNl[TX_PROJECT_SAVE_FILTER], 0, "vaas.omt", 1}, {"STEP (*.step)|*.step", 0, "part.STEP", 1},
  };
  for (const Row& row : rows)
    EXPECT_EQ(FileFilterAccepts(row.filters, row.index, row.name), row.shown) << row.name;
}

}  // namespace
