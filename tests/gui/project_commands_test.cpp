#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/project_commands.h"
#include "engine/design.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"
#include "tests/support/import_files.h"
#include "text/texts.h"

namespace {

// "" when both texts are equal, else the stretch of the first line where
// they part.
std::string FirstDifference(const std::string& a, const std::string& b) {
  if (a == b) return "";
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  while (true) {
    bool more = static_cast<bool>(std::getline(sa, la)) | static_cast<bool>(std::getline(sb, lb));
    if (!more || la != lb) {
      size_t i = 0;
      while (i < la.size() && i < lb.size() && la[i] == lb[i]) ++i;
      size_t from = i > 30 ? i - 30 : 0;
      return la.substr(from, 60) + " <> " + lb.substr(from, 60);
    }
    la.clear();
    lb.clear();
  }
}

std::string Title() { return GetWindowTitle(WINDOW_MAIN); }

class ProjectCommandsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    dir_ = folder_.Dir();
    ASSERT_FALSE(dir_.empty());
    ResetImport();
  }
  void TearDown() override {
    gTexts = gTextsEn;
    ResetImport();
    ShellTest::TearDown();
  }
  static void ResetImport() {
    gImportFileName.clear();
    gImportMessage.clear();
    gImportFromStl = 0;
  }
  // Saves as path through the save dialog; 1 saved.
  static int64_t SaveAs(const std::string& path) {
    ClearCannedDialogs();
    AddCannedFileAnswer(path);
    return SaveProject(1);
  }
  // A fresh main window with the default design, as after a new start.
  static void Restart() {
    CloseWindow(WINDOW_MAIN);
    ProcessPendingToolkitEvents();
    ClearEventQueue();
    ClearCannedDialogs();
    ResetImport();
    StartMainProgram();
    ProcessPendingToolkitEvents();
    ClearEventQueue();
  }
  // Saves the form, opens the file in a fresh form and saves it again: the
  // two files must be the same bytes. Returns the first file's text.
  std::string ExpectIdenticalRoundTrip(const std::string& name) {
    std::string first = dir_ + name + "_1.omt", second = dir_ + name + "_2.omt";
    EXPECT_EQ(SaveAs(first), 1);
    Restart();
    EXPECT_EQ(OpenProjectFile(first), 1);
    EXPECT_TRUE(RecordedDialogCalls().empty()) << name;
    EXPECT_EQ(Title(), "Ribbelo - " + name + "_1.omt") << name;
    EXPECT_EQ(SaveAs(second), 1);
    std::string text = ReadBytes(first);
    EXPECT_EQ(FirstDifference(text, ReadBytes(second)), "") << name;
    return text;
  }
  void CloseRequest() {
    WindowEvent close;
    close.kind = EVENT_CLOSE_WINDOW;
    close.window = WINDOW_MAIN;
    PostEvent(close);
    DispatchQueuedEvents();
  }
  TempFolder folder_;
  std::string dir_;
};

TEST_F(ProjectCommandsTest, FirstSaveProposesTheFolderAndTheDefaultName) {
  AddCannedFileAnswer("");
  EXPECT_EQ(SaveProject(0), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 1u);
  const DialogCall& call = RecordedDialogCalls()[0];
  EXPECT_EQ(call.kind, DIALOG_SAVE);
  EXPECT_EQ(call.title, "Save project");
  EXPECT_EQ(call.defaultPath, CurrentDirectory() + "outline.omt");
  EXPECT_EQ(call.filters, "Ribbelo project (*.omt)|*.omt");
  EXPECT_EQ(gLastFolder, CurrentDirectory());

  gLastFolder.clear();
  gTexts = gTextsNl;
  ClearCannedDialogs();
  EXPECT_EQ(SaveProject(0), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_EQ(RecordedDialogCalls()[0].defaultPath, CurrentDirectory() + "omtrek.omt");
  EXPECT_EQ(RecordedDialogCalls()[0].title, "Project opslaan");
  gTexts = gTextsEn;

  // After a dialog has set the folder, the first save proposes that one;
  // saving itself never moves it.
  gLastFolder = dir_;
  ASSERT_EQ(SaveAs(dir_ + "sub.omt"), 1);
  EXPECT_EQ(RecordedDialogCalls()[0].defaultPath, dir_ + "outline.omt");
  EXPECT_EQ(gLastFolder, dir_);
  EXPECT_EQ(gProjectPath, dir_ + "sub.omt");
  EXPECT_EQ(Title(), "Ribbelo - sub.omt");
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE), "Saved: sub.omt");
}

TEST_F(ProjectCommandsTest, SaveAsAsksOnlyBeforeReplacingAnotherFile) {
  std::string a = dir_ + "a.omt", b = dir_ + "b.omt";
  ASSERT_EQ(SaveAs(a), 1);
  Retype(GADGET_COUNT, "30");
  EXPECT_EQ(Title(), "Ribbelo - a.omt *");

  // A plain save of a project with a path writes at once.
  ClearCannedDialogs();
  EXPECT_EQ(SaveProject(0), 1);
  EXPECT_TRUE(RecordedDialogCalls().empty());
  EXPECT_NE(ReadBytes(a).find("\naantal = 30\n"), std::string::npos);

  // Save as proposes the current path; choosing it again asks nothing.
  Retype(GADGET_COUNT, "31");
  EXPECT_EQ(SaveAs(a), 1);
  ASSERT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_EQ(RecordedDialogCalls()[0].defaultPath, a);
  EXPECT_EQ(Title(), "Ribbelo - a.omt");

  // Another existing file: the question names only the file part.
  WriteBytes(b, "keep");
  Retype(GADGET_COUNT, "32");
  ClearCannedDialogs();
  AddCannedFileAnswer(b);
  AddCannedMessageAnswer(ANSWER_NO);
  EXPECT_EQ(SaveProject(1), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  const DialogCall& ask = RecordedDialogCalls()[1];
  EXPECT_EQ(ask.kind, DIALOG_MESSAGE);
  EXPECT_EQ(ask.title, "Save project");
  EXPECT_EQ(ask.text, "b.omt already exists. Overwrite?");
  EXPECT_EQ(ask.buttons, BUTTONS_YES_NO);
  EXPECT_EQ(ask.icon, ICON_NONE);
  EXPECT_EQ(ReadBytes(b), "keep");
  EXPECT_EQ(gProjectPath, a);
  EXPECT_EQ(Title(), "Ribbelo - a.omt *");

  ClearCannedDialogs();
  AddCannedFileAnswer(b);
  AddCannedMessageAnswer(ANSWER_YES);
  EXPECT_EQ(SaveProject(1), 1);
  EXPECT_NE(ReadBytes(b).find("\naantal = 32\n"), std::string::npos);
  EXPECT_EQ(Title(), "Ribbelo - b.omt");
}

TEST_F(ProjectCommandsTest, MissingExtensionIsAddedOthersStay) {
  ASSERT_EQ(SaveAs(dir_ + "design"), 1);
  EXPECT_EQ(gProjectPath, dir_ + "design.omt");
  EXPECT_EQ(FileSize(dir_ + "design"), -1);
  ASSERT_EQ(SaveAs(dir_ + "design.txt"), 1);
  EXPECT_EQ(gProjectPath, dir_ + "design.txt");
  EXPECT_EQ(Title(), "Ribbelo - design.txt");

  // A dot in a folder name is no extension; the completed name is the one
  // checked for an existing file.
  ASSERT_EQ(mkdir((dir_ + "v1.2").c_str(), 0755), 0);
  ASSERT_EQ(SaveAs(dir_ + "v1.2/design"), 1);
  EXPECT_EQ(gProjectPath, dir_ + "v1.2/design.omt");
  ClearCannedDialogs();
  AddCannedFileAnswer(dir_ + "design");
  EXPECT_EQ(SaveProject(1), 0);  // design.omt exists; no answer means No
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(RecordedDialogCalls()[1].text, "design.omt already exists. Overwrite?");
}

TEST_F(ProjectCommandsTest, FailedSaveKeepsTheMarkAndNamesTheFile) {
  ASSERT_EQ(mkdir((dir_ + "busy.omt").c_str(), 0755), 0);
  Retype(GADGET_WIDTH, "60");
  ASSERT_EQ(Title(), "Ribbelo - new project *");
  // A folder in the way is no existing file: no question, the write fails.
  EXPECT_EQ(SaveAs(dir_ + "busy"), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  const DialogCall& box = RecordedDialogCalls()[1];
  EXPECT_EQ(box.title, "Save project");
  EXPECT_EQ(box.text, "busy.omt:\nCannot write the file.");
  EXPECT_EQ(box.buttons, BUTTONS_OK);
  EXPECT_EQ(box.icon, ICON_ERROR);
  EXPECT_EQ(Title(), "Ribbelo - new project *");
  EXPECT_EQ(gModified, 1);
  EXPECT_EQ(gProjectPath, "");
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE), "");

  // After a good save, a failing save as keeps the old path and the mark.
  ASSERT_EQ(SaveAs(dir_ + "good.omt"), 1);
  Retype(GADGET_WIDTH, "61");
  EXPECT_EQ(SaveAs(dir_ + "busy.omt"), 0);
  EXPECT_EQ(gProjectPath, dir_ + "good.omt");
  EXPECT_EQ(Title(), "Ribbelo - good.omt *");
}

TEST_F(ProjectCommandsTest, OpeningATextFileChangesNothing) {
  std::string notes = dir_ + "notes.txt";
  WriteBytes(notes, "Shopping list\n[Basis]\nvorm = 2\n");
  Retype(GADGET_WIDTH, "60");
  Choose(GADGET_FIGURE, FIGURE_SINE);
  std::string info = Field(GADGET_INFO);
  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_NO);  // do not save the changes
  AddCannedFileAnswer(notes);
  OpenProjectDialog();
  ASSERT_EQ(RecordedDialogCalls().size(), 3u);
  EXPECT_EQ(RecordedDialogCalls()[1].kind, DIALOG_OPEN);
  EXPECT_EQ(RecordedDialogCalls()[1].title, "Open project");
  EXPECT_EQ(RecordedDialogCalls()[1].filters, "Ribbelo project (*.omt)|*.omt|All files (*.*)|*.*");
  const DialogCall& box = RecordedDialogCalls()[2];
  EXPECT_EQ(box.title, "Open project");
  EXPECT_EQ(box.text, "notes.txt:\nThis is not a Ribbelo project.");
  EXPECT_EQ(box.buttons, BUTTONS_OK);
  EXPECT_EQ(box.icon, ICON_ERROR);
  EXPECT_EQ(Field(GADGET_WIDTH), "60");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_CIRCLE);
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_FIGURE), FIGURE_SINE);
  EXPECT_EQ(Field(GADGET_INFO), info);
  EXPECT_EQ(Title(), "Ribbelo - new project *");
  EXPECT_EQ(gProjectPath, "");
  EXPECT_EQ(gLastFolder, dir_);

  // A missing file names the other reason.
  ClearCannedDialogs();
  EXPECT_EQ(OpenProjectFile(dir_ + "gone.omt"), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 1u);
  EXPECT_EQ(RecordedDialogCalls()[0].text, "gone.omt:\nCannot open the file.");
}

TEST_F(ProjectCommandsTest, OpeningRestoresTheDivisionAndLeavesTheProjectUnchanged) {
  std::string path = dir_ + "wide.omt";
  Retype(GADGET_FIGURE_WIDTH, "2.5");
  ASSERT_EQ(gDivideByWidth, DIVIDE_BY_WIDTH);
  std::string count = Field(GADGET_COUNT);
  ASSERT_EQ(SaveAs(path), 1);
  Retype(GADGET_COUNT, "12");
  ASSERT_EQ(gDivideByWidth, DIVIDE_BY_COUNT);
  std::string opened = gProjectPath;

  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_NO);
  AddCannedFileAnswer(path);
  OpenProjectDialog();
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(RecordedDialogCalls()[0].text, "The project has been changed. Save changes?");
  EXPECT_EQ(RecordedDialogCalls()[1].defaultPath, opened);
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_WIDTH);
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "2.5");
  EXPECT_EQ(Field(GADGET_COUNT), count);
  EXPECT_EQ(gModified, 0);
  EXPECT_EQ(Title(), "Ribbelo - wide.omt");
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE), "");  // no "Saved: " of before the opening
  ProcessPendingToolkitEvents();
  EXPECT_EQ(QueuedEventCount(), 0);

  // The width still drives: a new depth keeps the typed width.
  Retype(GADGET_DEPTH, "3");
  EXPECT_EQ(Field(GADGET_FIGURE_WIDTH), "2.5");
  EXPECT_EQ(Title(), "Ribbelo - wide.omt *");
}

TEST_F(ProjectCommandsTest, AskSaveChangesAnswers) {
  EXPECT_EQ(AskSaveChanges(), 1);  // nothing changed: no question
  EXPECT_TRUE(RecordedDialogCalls().empty());
  Retype(GADGET_WIDTH, "60");

  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer("");  // save dialog cancelled
  EXPECT_EQ(AskSaveChanges(), 0);
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  const DialogCall& ask = RecordedDialogCalls()[0];
  EXPECT_EQ(ask.title, "Ribbelo");
  EXPECT_EQ(ask.text, "The project has been changed. Save changes?");
  EXPECT_EQ(ask.buttons, BUTTONS_YES_NO_CANCEL);
  EXPECT_EQ(ask.icon, ICON_NONE);
  EXPECT_EQ(RecordedDialogCalls()[1].kind, DIALOG_SAVE);

  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_CANCEL);
  EXPECT_EQ(AskSaveChanges(), 0);
  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_NO);
  EXPECT_EQ(AskSaveChanges(), 1);
  EXPECT_EQ(gModified, 1);  // No goes on without saving

  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer(dir_ + "kept.omt");
  EXPECT_EQ(AskSaveChanges(), 1);
  EXPECT_NE(ReadBytes(dir_ + "kept.omt").find("\nbreedte = 60.000000000\n"), std::string::npos);
  EXPECT_EQ(gModified, 0);

  // Before an open, Yes saves a project with a path at once, then the
  // open dialog follows.
  Retype(GADGET_WIDTH, "61");
  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_YES);
  OpenProjectDialog();
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(RecordedDialogCalls()[1].kind, DIALOG_OPEN);
  EXPECT_EQ(RecordedDialogCalls()[1].defaultPath, dir_ + "kept.omt");
  EXPECT_NE(ReadBytes(dir_ + "kept.omt").find("\nbreedte = 61.000000000\n"), std::string::npos);
}

TEST_F(ProjectCommandsTest, CloseRequestFollowsTheAnswer) {
  Retype(GADGET_WIDTH, "60");
  AddCannedMessageAnswer(ANSWER_CANCEL);
  CloseRequest();
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(IsWindowOpen(WINDOW_MAIN), 1);
  EXPECT_EQ(Field(GADGET_WIDTH), "60");
  EXPECT_EQ(Title(), "Ribbelo - new project *");

  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer("");
  CloseRequest();
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(RecordedDialogCalls().size(), 2u);

  // With a failing write the program stays too.
  ASSERT_EQ(mkdir((dir_ + "busy.omt").c_str(), 0755), 0);
  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer(dir_ + "busy.omt");
  CloseRequest();
  EXPECT_EQ(gQuit, 0);
  EXPECT_EQ(Title(), "Ribbelo - new project *");

  ClearCannedDialogs();
  AddCannedMessageAnswer(ANSWER_NO);
  CloseRequest();
  EXPECT_EQ(gQuit, 1);
  gQuit = 0;
}

TEST_F(ProjectCommandsTest, OpenAfterYesAndACancelledSaveKeepsTheProject) {
  std::string other = dir_ + "other.omt";
  ASSERT_EQ(SaveAs(other), 1);
  Restart();
  Retype(GADGET_WIDTH, "70");
  AddCannedMessageAnswer(ANSWER_YES);
  AddCannedFileAnswer("");        // the save dialog is cancelled
  AddCannedFileAnswer(other);     // would be the open answer
  OpenProjectDialog();
  ASSERT_EQ(RecordedDialogCalls().size(), 2u);
  EXPECT_EQ(RecordedDialogCalls()[1].kind, DIALOG_SAVE);
  EXPECT_EQ(Field(GADGET_WIDTH), "70");
  EXPECT_EQ(Title(), "Ribbelo - new project *");
}

TEST_F(ProjectCommandsTest, RoundTripsThroughTheFormAreByteIdentical) {
  std::string text = ExpectIdenticalRoundTrip("default");
  EXPECT_NE(text.find("\nbreedte = 50.000000000\n"), std::string::npos);

  Restart();
  Choose(GADGET_SHAPE, SHAPE_RECTANGLE);
  Retype(GADGET_HEIGHT, "30");
  Retype(GADGET_CORNER_RADIUS, "7.5");
  Retype(GADGET_FIGURE_WIDTH, "2.25");
  text = ExpectIdenticalRoundTrip("rectangle");
  EXPECT_NE(text.find("\nvorm = 2\n"), std::string::npos);
  EXPECT_NE(text.find("\nverdeling = 1\n"), std::string::npos);
  EXPECT_NE(text.find("\nbreedte = 2.250000000\n"), std::string::npos);
  EXPECT_EQ(gDivideByWidth, DIVIDE_BY_WIDTH);

  Restart();
  Choose(GADGET_FIGURE, FIGURE_TRAPEZOID);
  Choose(GADGET_DIRECTION, 1);
  Retype(GADGET_COUNT, "24");
  text = ExpectIdenticalRoundTrip("trapezoid");
  EXPECT_NE(text.find("\nfiguur = 4\nrichting = -1\n"), std::string::npos);
  EXPECT_NE(text.find("\naantal = 24\n"), std::string::npos);

  Restart();
  Choose(GADGET_VASE_TYPE, 1);
  Retype(GADGET_SHIFT, "12.5");
  Retype(GADGET_TOP_SCALE, "80");
  Retype(GADGET_BULGE, "-10");
  text = ExpectIdenticalRoundTrip("vase");
  EXPECT_NE(text.find("\nverschuiving = 0.125000000\n"), std::string::npos);
  EXPECT_NE(text.find("\nschaal_boven = 0.800000000\nbolling = -0.100000000\n"), std::string::npos);
  EXPECT_NE(text.find("\nhol = 1\n"), std::string::npos);
  EXPECT_EQ(Field(GADGET_SHIFT), "12.5");
  EXPECT_EQ(Field(GADGET_TOP_SCALE), "80");
  EXPECT_EQ(Field(GADGET_BULGE), "-10");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE), 1);

  Restart();
  PointList ellipse;
  for (int i = 0; i < 250; ++i) {
    double t = 2 * std::numbers::pi * i / 250;
    AddListPoint(ellipse, -20 * std::sin(t), 12.5 * std::cos(t));
  }
  gImportFileName = "/nowhere/part.dxf";
  gImportMessage = "1 loop";
  ApplyImportedOutline(ellipse, 40, 25);
  text = ExpectIdenticalRoundTrip("imported");
  EXPECT_NE(text.find("\nvorm = 3\n"), std::string::npos);
  EXPECT_NE(text.find("\nbestand = /nowhere/part.dxf\n"), std::string::npos);
  EXPECT_NE(text.find("\npunten = 250\nr0 = "), std::string::npos);
  EXPECT_NE(text.find("\nr2 = "), std::string::npos);
  EXPECT_EQ(gParams.importPoints.size(), 250u);
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "part.dxf (outline from the project)");
  EXPECT_EQ(GetGadgetState(WINDOW_MAIN, GADGET_SHAPE), SHAPE_IMPORTED);
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
}

// Fault 1 of the format, through the command: a save that cannot finish
// leaves the old project as it was, with no stray file beside it.
TEST_F(ProjectCommandsTest, SaveThatRunsOutOfRoomKeepsTheOldProject) {
  std::string path = dir_ + "keep.omt";
  ASSERT_EQ(SaveAs(path), 1);
  std::string before = ReadBytes(path);
  ASSERT_GT(before.size(), 512u);
  Retype(GADGET_WIDTH, "60");
  ClearCannedDialogs();
  // Only the file write and the canned box run in the child: no toolkit traffic.
  int result = RunWithFileSizeLimit(512, [&] {
    if (SaveProject(0) != 0) return 1;
    if (RecordedDialogCalls().size() != 1 || RecordedDialogCalls()[0].text != "keep.omt:\nCannot write the file.")
      return 2;
    bool kept = gModified == 1 && GetWindowTitle(WINDOW_MAIN) == "Ribbelo - keep.omt *" && gProjectPath == path;
    return kept ? 0 : 3;
  });
  EXPECT_EQ(result, 0) << "1: saved, 2: no error box, 3: document state changed";
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"keep.omt"});
}

// A project without an STL model releases the model of an earlier import,
// not only its count.
TEST_F(ProjectCommandsTest, OpeningAProjectWithoutAModelReleasesTheLoadedOne) {
  std::string stl = dir_ + "box.stl";
  WriteBytes(stl, BinaryStl(StlBox(0, 0, 0, 10, 20, 30), 12));
  ASSERT_EQ(LoadStlModel(stl), 1);
  ASSERT_GT(gStlX.capacity(), 0u);
  std::string path = dir_ + "plain.omt";
  ASSERT_EQ(SaveAs(path), 1);
  ASSERT_EQ(OpenProjectFile(path), 1);
  EXPECT_EQ(gStlTriangleCount, 0);
  EXPECT_EQ(gStlX.capacity() + gStlY.capacity() + gStlZ.capacity(), 0u);
  EXPECT_EQ(gStlModelPath, "");
}

}  // namespace
