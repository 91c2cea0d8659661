#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/document_state.h"
#include "app/export_commands.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"
#include "text/texts.h"
#include "vase/vase_params.h"

namespace {

class ExportCommandTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    gLastFolder.clear();
    gModified = 0;
    folder = scratch.Dir();
    ASSERT_FALSE(folder.empty());
  }
  void TearDown() override {
    gLastFolder.clear();
    ShellTest::TearDown();
  }
  // Runs an export command with the save dialog answering path and the
  // message boxes answering answers in turn.
  static void Export(void (*command)(int64_t), int64_t format, const std::string& path,
                     std::initializer_list<int64_t> answers = {}) {
    ClearCannedDialogs();
    if (!path.empty()) AddCannedFileAnswer(path);
    for (int64_t answer : answers) AddCannedMessageAnswer(answer);
    command(format);
  }
  static const DialogCall& Call(size_t index) { return RecordedDialogCalls().at(index); }
  static void ChooseFigure(int64_t figure, const std::string& count) {
    UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, figure);
    DispatchQueuedEvents();
    if (!count.empty()) Retype(GADGET_COUNT, count);
  }
  TempFolder scratch;
  std::string folder;
};

TEST_F(ExportCommandTest, AnInvalidDesignIsRefusedBeforeAnyDialog) {
  gResult.valid = 0;
  gVase.height = -7;  // the vase command must not refill the record either
  for (int64_t format : {OUTLINE_EXPORT_DXF, OUTLINE_EXPORT_STEP}) {
    Export(ExportOutline, format, folder + "x");
    ASSERT_EQ(RecordedDialogCalls().size(), 1u);
    EXPECT_EQ(Call(0).kind, DIALOG_MESSAGE);
    EXPECT_EQ(Call(0).title, "Export");
    EXPECT_EQ(Call(0).text, "There is no valid outline to export.");
    EXPECT_EQ(Call(0).buttons, BUTTONS_OK);
    EXPECT_EQ(Call(0).icon, ICON_WARNING);
  }
  for (int64_t format : {VASE_EXPORT_STL, VASE_EXPORT_STEP}) {
    Export(ExportVase, format, folder + "x");
    ASSERT_EQ(RecordedDialogCalls().size(), 1u);
    EXPECT_EQ(Call(0).text, "There is no valid outline to export.");
    EXPECT_EQ(Call(0).icon, ICON_WARNING);
  }
  EXPECT_EQ(gVase.height, -7);
  EXPECT_EQ(gLastFolder, "");
  EXPECT_EQ(FileSize(folder + "x"), -1);
}

TEST_F(ExportCommandTest, DialogsWithoutAFigureOpenInTheCurrentFolder) {
  ChooseFigure(FIGURE_NONE, "");
  const std::string before = Status();
  struct Case {
    void (*command)(int64_t);
    int64_t format;
    const char* title;
    const char* name;
    const char* filters;
  };
  const Case cases[] = {
      {ExportOutline, OUTLINE_EXPORT_DXF, "Export as DXF", "outline.dxf", "DXF (*.dxf)|*.dxf|All files (*.*)|*.*"},
      {ExportOutline, OUTLINE_EXPORT_STEP, "Export as STP", "outline.stp",
       "STEP (*.stp;*.step)|*.stp;*.step|All files (*.*)|*.*"},
      {ExportVase, VASE_EXPORT_STL, "Export vase as STL", "vase.stl", "STL (*.stl)|*.stl|All files (*.*)|*.*"},
      {ExportVase, VASE_EXPORT_STEP, "Export vase as STP", "vase.stp",
       "STEP (*.stp;*.step)|*.stp;*.step|All files (*.*)|*.*"},
  };
  for (const Case& c : cases) {
    gLastFolder.clear();
    gVase.height = -7;
    Export(c.command, c.format, "");  // cancelled
    ASSERT_EQ(RecordedDialogCalls().size(), 1u) << c.title;
    EXPECT_EQ(Call(0).kind, DIALOG_SAVE);
    EXPECT_EQ(Call(0).title, c.title);
    EXPECT_EQ(Call(0).defaultPath, CurrentDirectory() + c.name);
    EXPECT_EQ(Call(0).filters, c.filters);
    EXPECT_EQ(gLastFolder, CurrentDirectory());
    // Only the vase commands read the vase fields, and before the dialog.
    EXPECT_EQ(gVase.height, c.command == ExportVase ? 120 : -7);
  }
  EXPECT_EQ(Status(), before);
}

TEST_F(ExportCommandTest, DefaultNamesCarryTheFigureAsListedAndTheCount) {
  ChooseFigure(FIGURE_HALF_CIRCLE, "12");
  ASSERT_EQ(gResult.count, 12);
  gLastFolder = folder;
  Export(ExportOutline, OUTLINE_EXPORT_DXF, "");
  EXPECT_EQ(Call(0).defaultPath, folder + "outline_half_circle_12.dxf");
  Export(ExportVase, VASE_EXPORT_STL, "");
  EXPECT_EQ(Call(0).defaultPath, folder + "vase_half_circle_12.stl");
  // The list itself keeps its capitals.
  EXPECT_EQ(Field(GADGET_FIGURE), "Half circle");
  EXPECT_EQ(DefaultExportName("x"), "x_half_circle_12");
}

TEST_F(ExportCommandTest, WrittenFileIsReportedAndItsFolderRemembered) {
  gLastFolder = "/elsewhere/";
  Export(ExportOutline, OUTLINE_EXPORT_DXF, folder + "shape.dxf");
  ASSERT_GT(FileSize(folder + "shape.dxf"), 0);
  EXPECT_EQ(RecordedDialogCalls().size(), 1u);  // no question for a new file
  EXPECT_EQ(gLastFolder, folder);
  const std::string status = Status();
  EXPECT_EQ(status.rfind("Written: shape.dxf (", 0), 0u) << status;
  EXPECT_EQ(status.substr(status.size() - 8), " points)");
  // The next dialog of any export opens there.
  Export(ExportVase, VASE_EXPORT_STL, "");
  EXPECT_EQ(FolderPart(Call(0).defaultPath), folder);
}

TEST_F(ExportCommandTest, MissingExtensionsAreAddedOthersKept) {
  const struct {
    const char* typed;
    const char* written;
  } cases[] = {{"part", "part.stp"},
               {"part.", "part..stp"},
               {"part.step", "part.step"},
               {"part.txt", "part.txt"},
               {"my part.v2 final", "my part.v2 final.stp"},
               {".hidden", ".hidden.stp"}};
  for (const auto& c : cases) {
    Export(ExportOutline, OUTLINE_EXPORT_STEP, folder + c.typed);
    EXPECT_GT(FileSize(folder + c.written), 0) << c.typed;
    EXPECT_EQ(Status().find(std::string("Written: ") + c.written + " ("), 0u) << Status();
  }
  Export(ExportVase, VASE_EXPORT_STL, folder + "pot");
  EXPECT_GT(FileSize(folder + "pot.stl"), 0);
}

TEST_F(ExportCommandTest, AnExistingFileIsOnlyReplacedAfterYes) {
  const std::string path = folder + "old.dxf";
  WriteBytes(path, "old");
  gLastFolder = "/elsewhere/";
  const std::string before = Status();
  Export(ExportOutline, OUTLINE_EXPORT_DXF, path, {ANSWER_NO});
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(Call(1).title, "Export");
  EXPECT_EQ(Call(1).text, "old.dxf already exists. Overwrite?");
  EXPECT_EQ(Call(1).buttons, BUTTONS_YES_NO);
  EXPECT_EQ(Call(1).icon, ICON_NONE);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(gLastFolder, "/elsewhere/");
  EXPECT_EQ(Status(), before);

  // The typed name without extension meets the existing file after the rule.
  WriteBytes(folder + "pot.stl", "old");
  Export(ExportVase, VASE_EXPORT_STL, folder + "pot", {ANSWER_NO});
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(Call(1).text, "pot.stl already exists. Overwrite?");
  EXPECT_EQ(ReadBytes(folder + "pot.stl"), "old");

  Export(ExportOutline, OUTLINE_EXPORT_DXF, path, {ANSWER_YES});
  EXPECT_NE(ReadBytes(path), "old");
  EXPECT_EQ(gLastFolder, folder);
  EXPECT_EQ(Status().find("Written: old.dxf ("), 0u);
}

TEST_F(ExportCommandTest, AFailedWriteShowsReasonAndFullPath) {
  const std::string dir = folder + "taken.dxf";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  const std::string before = Status();
  Export(ExportOutline, OUTLINE_EXPORT_DXF, dir);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);  // a folder is no existing file: no question
  EXPECT_EQ(Call(1).title, "Export");
  EXPECT_EQ(Call(1).text, "Cannot write the file:\n" + dir);
  EXPECT_EQ(Call(1).buttons, BUTTONS_OK);
  EXPECT_EQ(Call(1).icon, ICON_ERROR);
  EXPECT_EQ(gLastFolder, folder);
  EXPECT_EQ(Status(), before);

  const std::string stl = folder + "taken.stl";
  ASSERT_EQ(mkdir(stl.c_str(), 0700), 0);
  gLastFolder = "/elsewhere/";
  Export(ExportVase, VASE_EXPORT_STL, stl);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(Call(1).text, "Cannot write the file.\n" + stl);
  EXPECT_EQ(Call(1).icon, ICON_ERROR);
  EXPECT_EQ(gLastFolder, folder);
  EXPECT_EQ(Status(), before);
}

TEST_F(ExportCommandTest, AnOutlineTheWriterRefusesShowsTheWritersReason) {
  // Valid, but thinned at 0.001 mm it is a line.
  gResult.valid = 1;
  gResult.outlinePoints = {{0, 0}, {1, 0.0001}, {2, 0}, {1, -0.0001}};
  for (int64_t format : {OUTLINE_EXPORT_DXF, OUTLINE_EXPORT_STEP}) {
    const std::string path = folder + (format == OUTLINE_EXPORT_DXF ? "line.dxf" : "line.stp");
    Export(ExportOutline, format, path);
    ASSERT_EQ(RecordedDialogCalls().size(), 2u);
    EXPECT_EQ(Call(1).text, "There is no valid outline to export.\n" + path);
    EXPECT_EQ(Call(1).icon, ICON_ERROR);
    EXPECT_LT(FileSize(path), 0);
  }
}

TEST_F(ExportCommandTest, InvalidVaseIsReportedAfterTheDialogAndLeavesFilesAlone) {
  UserSelectComboItem(WINDOW_MAIN, GADGET_SHAPE, SHAPE_RECTANGLE);
  DispatchQueuedEvents();
  ChooseFigure(FIGURE_NONE, "");
  Retype(GADGET_WIDTH, "100");
  Retype(GADGET_HEIGHT, "20");
  SetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  SetGadgetText(WINDOW_MAIN, GADGET_WALL_THICKNESS, "30");
  const std::string path = folder + "thick.stl";
  WriteBytes(path, "old");
  gLastFolder = "/elsewhere/";
  Export(ExportVase, VASE_EXPORT_STL, path, {ANSWER_YES});
  ASSERT_EQ(RecordedDialogCalls().size(), 3u) << Status();
  EXPECT_EQ(Call(2).title, "Export");
  EXPECT_EQ(Call(2).text, "The wall thickness is too large for this outline.\n" + path);
  EXPECT_EQ(Call(2).icon, ICON_ERROR);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(gLastFolder, folder);
  // The fields were read into the record before the dialog, not at start.
  EXPECT_EQ(gVase.hollow, VASE_HOLLOW);
  EXPECT_EQ(gVase.wallThickness, 30);

  SetGadgetText(WINDOW_MAIN, GADGET_VASE_HEIGHT, "0");
  Export(ExportVase, VASE_EXPORT_STL, folder + "flat.stl");
  EXPECT_EQ(Call(1).text, "The height must be greater than 0.\n" + folder + "flat.stl");
  EXPECT_EQ(FileSize(folder + "flat.stl"), -1);
}

TEST_F(ExportCommandTest, SolidStepNeedsAFinitePositiveHeight) {
  SetGadgetState(WINDOW_MAIN, GADGET_STEP_AS, STEP_AS_SOLID);
  for (const char* height : {"0", "-1", "abc", "nan", "+Infinity", "1e999", "1e-300", "0.0000004"}) {
    SetGadgetText(WINDOW_MAIN, GADGET_STEP_HEIGHT, height);
    gLastFolder = "/elsewhere/";
    Export(ExportOutline, OUTLINE_EXPORT_STEP, folder + "solid.stp");
    ASSERT_EQ(RecordedDialogCalls().size(), 2u) << height;
    EXPECT_EQ(Call(1).text, "The STEP height must be greater than 0.") << height;
    EXPECT_EQ(Call(1).icon, ICON_WARNING);
    EXPECT_EQ(FileSize(folder + "solid.stp"), -1) << height;
    EXPECT_EQ(gLastFolder, folder);
  }
  SetGadgetText(WINDOW_MAIN, GADGET_STEP_HEIGHT, "2,5");
  Export(ExportOutline, OUTLINE_EXPORT_STEP, folder + "solid.stp");
  EXPECT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_GT(FileSize(folder + "solid.stp"), 0);
  // Curves never look at the height.
  SetGadgetState(WINDOW_MAIN, GADGET_STEP_AS, STEP_AS_CURVE);
  SetGadgetText(WINDOW_MAIN, GADGET_STEP_HEIGHT, "abc");
  Export(ExportOutline, OUTLINE_EXPORT_STEP, folder + "curves.stp");
  EXPECT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_GT(FileSize(folder + "curves.stp"), 0);
}

TEST_F(ExportCommandTest, ButtonsAndCtrlDExportWithoutRecomputingOrMarkingModified) {
  ChooseFigure(FIGURE_SINE, "10");
  gModified = 0;
  const int64_t count = gResult.count;
  const size_t points = gResult.outlinePoints.size();
  // A field changed behind the loop's back: an export writes the result as it stands.
  SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "30");
  const struct {
    int64_t gadget;
    int64_t menu;
    const char* name;
  } cases[] = {{GADGET_DXF_BUTTON, -1, "a.dxf"},
               {-1, MENU_EXPORT_DXF, "b.dxf"},
               {GADGET_STEP_BUTTON, -1, "c.stp"},
               {GADGET_VASE_STL_BUTTON, -1, "d.stl"}};
  for (const auto& c : cases) {
    ClearCannedDialogs();
    AddCannedFileAnswer(folder + c.name);
    if (c.gadget >= 0)
      PostGadgetEvent(c.gadget, EVENT_CLICK);
    else
      PostMenuEvent(c.menu);
    EXPECT_GT(FileSize(folder + c.name), 0) << c.name;
    EXPECT_EQ(Status().find(std::string("Written: ") + c.name), 0u) << Status();
    EXPECT_EQ(gModified, 0) << c.name;
    EXPECT_EQ(gResult.count, count);
    EXPECT_EQ(gResult.outlinePoints.size(), points);
  }
  // Ctrl+D and the button write the same file.
  EXPECT_EQ(ReadBytes(folder + "a.dxf"), ReadBytes(folder + "b.dxf"));
  EXPECT_EQ(Call(0).defaultPath, folder + "vase_sine_" + std::to_string(count) + ".stl");
}

TEST_F(ExportCommandTest, DxfReadsBackAsOneClosedR12Polyline) {
  if (CommandOutput("/usr/bin/python3 -c 'import ezdxf; print(1)' 2>/dev/null") != "1")
    GTEST_SKIP() << "ezdxf is not installed";
  const std::string path = folder + "outline.dxf";
  Export(ExportOutline, OUTLINE_EXPORT_DXF, path);
  const std::string status = Status();
  const std::string report = CommandOutput(
      "/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
      "e=list(d.modelspace()); print(d.dxfversion, len(e), e[0].dxftype(), e[0].is_closed, len(e[0].vertices))\" '" +
      path + "' 2>&1");
  std::istringstream read(report);
  std::string version, type, closed;
  int entities = 0, vertices = 0;
  read >> version >> entities >> type >> closed >> vertices;
  EXPECT_EQ(version, "AC1009") << report;
  EXPECT_EQ(entities, 1);
  EXPECT_EQ(type, "POLYLINE");
  EXPECT_EQ(closed, "True");
  EXPECT_EQ(status, "Written: outline.dxf (" + std::to_string(vertices) + " points)");
}

TEST_F(ExportCommandTest, StlHoldsTheReportedTrianglesAndIsClean) {
  const std::string path = folder + "vase.stl";
  Export(ExportVase, VASE_EXPORT_STL, path);
  const std::string status = Status();
  const std::string prefix = "Written: vase.stl (", suffix = " triangles)";
  ASSERT_EQ(status.find(prefix), 0u) << status;
  ASSERT_EQ(status.substr(status.size() - suffix.size()), suffix);
  const int64_t count = std::stoll(status.substr(prefix.size()));
  EXPECT_GT(count, 0);
  EXPECT_EQ(FileSize(path), 84 + 50 * count);
  const std::string report = CommandOutput("admesh '" + path + "' 2>&1");
  if (report.find("Number of parts") == std::string::npos) GTEST_SKIP() << "admesh is not available";
  for (const char* clean : {"Number of parts       :     1", "Degenerate facets     :     0",
                            "Edges fixed           :     0", "Facets removed        :     0",
                            "Backwards edges       :     0", "Normals fixed         :     0"})
    EXPECT_NE(report.find(clean), std::string::npos) << clean << "\n" << report;
}

TEST_F(ExportCommandTest, VaseStepReportsTheFacesOfTheSolid) {
  ChooseFigure(FIGURE_NONE, "");
  SetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  SetGadgetText(WINDOW_MAIN, GADGET_STEPS, "4");
  gModified = 0;
  ClearCannedDialogs();
  AddCannedFileAnswer(folder + "pot");
  PostGadgetEvent(GADGET_VASE_STEP_BUTTON, EVENT_CLICK);
  const std::string status = Status();
  const std::string prefix = "Written: pot.stp (", suffix = " faces)";
  ASSERT_EQ(status.find(prefix), 0u) << status;
  ASSERT_EQ(status.substr(status.size() - suffix.size()), suffix);
  const std::string file = ReadBytes(folder + "pot.stp");
  int64_t faces = 0;
  for (size_t at = file.find("ADVANCED_FACE("); at != std::string::npos; at = file.find("ADVANCED_FACE(", at + 1))
    ++faces;
  EXPECT_GT(faces, 0);
  EXPECT_EQ(status, prefix + std::to_string(faces) + suffix);
  EXPECT_EQ(gModified, 0);
}

// The window is built with the Dutch texts so that the figure list is Dutch.
class DutchExportCommandTest : public ExportCommandTest {
 protected:
  void SetUp() override {
    gTexts = gTextsNl;
    ExportCommandTest::SetUp();
  }
  void TearDown() override {
    ExportCommandTest::TearDown();
    gTexts = gTextsEn;
  }
};

TEST_F(DutchExportCommandTest, NamesTitlesAndMessagesAreDutch) {
  ChooseFigure(FIGURE_HALF_CIRCLE, "12");
  ASSERT_EQ(gResult.count, 12);
  gLastFolder = folder;
  Export(ExportOutline, OUTLINE_EXPORT_DXF, "");
  EXPECT_EQ(Call(0).title, "Exporteren als DXF");
  EXPECT_EQ(Call(0).defaultPath, folder + "omtrek_halve_cirkel_12.dxf");
  EXPECT_EQ(Call(0).filters, "DXF (*.dxf)|*.dxf|Alle bestanden (*.*)|*.*");

  ChooseFigure(FIGURE_NONE, "");
  Export(ExportVase, VASE_EXPORT_STEP, "");
  EXPECT_EQ(Call(0).title, "Vaas exporteren als STP");
  EXPECT_EQ(Call(0).defaultPath, folder + "vaas.stp");
  Export(ExportOutline, OUTLINE_EXPORT_STEP, "");
  EXPECT_EQ(Call(0).defaultPath, folder + "omtrek.stp");

  WriteBytes(folder + "omtrek.dxf", "old");
  Export(ExportOutline, OUTLINE_EXPORT_DXF, folder + "omtrek", {ANSWER_YES});
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(Call(1).title, "Exporteren");
  EXPECT_EQ(Call(1).text, "omtrek.dxf bestaat al. Overschrijven?");
  EXPECT_EQ(Status().find("Geschreven: omtrek.dxf ("), 0u) << Status();
  EXPECT_EQ(Status().substr(Status().size() - 8), " punten)");

  Export(ExportVase, VASE_EXPORT_STL, folder + "vaas");
  EXPECT_EQ(Status().find("Geschreven: vaas.stl ("), 0u) << Status();
  EXPECT_EQ(Status().substr(Status().size() - 12), " driehoeken)");
  Export(ExportVase, VASE_EXPORT_STEP, folder + "vaas");
  EXPECT_EQ(Status().find("Geschreven: vaas.stp ("), 0u) << Status();
  EXPECT_EQ(Status().substr(Status().size() - 9), " vlakken)");

  const std::string dir = folder + "map.dxf";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  Export(ExportOutline, OUTLINE_EXPORT_DXF, dir);
  EXPECT_EQ(Call(1).text, "Kan het bestand niet schrijven:\n" + dir);

  gResult.valid = 0;
  Export(ExportVase, VASE_EXPORT_STL, "");
  EXPECT_EQ(Call(0).text, "Er is geen geldige omtrek om te exporteren.");
}

}  // namespace
