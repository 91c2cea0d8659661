// The real programs under the X server with a project on the command line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/document_state.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/project_commands.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"

namespace {

const std::string kEnglish = std::string(RIBBELO_BINARY_DIR) + "/app/ribbelo_en";
const std::string kDutch = std::string(RIBBELO_BINARY_DIR) + "/app/ribbelo_nl";

// A started program that is always ended, also when an assertion fails.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::string& project) {
    pid_ = StartProgram({program, project}, {}, "/dev/null");
  }
  ~RunningProgram() { StopProgram(pid_); }
  int Pid() const { return pid_; }

 private:
  int pid_ = -1;
};

void Keys(const std::string& window, const std::string& keys) {
  CommandOutput("xdotool windowfocus --sync " + window + " 2>/dev/null");
  CommandOutput("xdotool key --clearmodifiers " + keys + " 2>/dev/null");
}

// Keys that reach a program before its start-up is over are dropped (it
// discards what came in while it opened the project): F3 goes again until
// the title shows the mark.
bool MarkByF3(const std::string& window, const std::string& marked) {
  for (int attempt = 0; attempt < 30; ++attempt) {
    Keys(window, "F3");
    if (WaitForWindowName(window, marked, 1000) == marked) return true;
  }
  return false;
}

class ProjectProgramTest : public ShellTest {
 protected:
  void SetUp() override {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
    ASSERT_EQ(access(kEnglish.c_str(), X_OK), 0);
    ASSERT_EQ(access(kDutch.c_str(), X_OK), 0);
    ShellTest::SetUp();
    dir_ = folder_.Dir();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    if (!dir_.empty()) ShellTest::TearDown();
  }
  // Opens the project in the program, marks it by F3 and saves it with
  // Ctrl+S, with the 3D switch back as it was (the design stays the same).
  static void OpenMarkAndSave(const std::string& program, const std::string& path) {
    RunningProgram run(program, path);
    ASSERT_GT(run.Pid(), 0);
    std::string id = WaitForWindow("Ribbelo - a\\.omt", run.Pid());
    ASSERT_FALSE(id.empty()) << program << ": the project did not open";
    // A retried F3 may have reached the program twice; the saved switch
    // tells, and every key sent so far has been handled once the save shows.
    for (int round = 0; round < 4; ++round) {
      ASSERT_TRUE(MarkByF3(id, "Ribbelo - a.omt *")) << program;
      Keys(id, "ctrl+s");
      ASSERT_EQ(WaitForWindowName(id, "Ribbelo - a.omt"), "Ribbelo - a.omt") << program;
      if (ReadBytes(path).find("\n3d = 0\n") != std::string::npos) return;
    }
    FAIL() << program << ": the 3D switch did not come back";
  }
  // Starts the program with the path and expects the default design, and
  // the open error box only when boxTitle is not empty.
  static void ExpectStart(const std::string& program, const std::string& path, const std::string& boxTitle) {
    RunningProgram run(program, path);
    ASSERT_GT(run.Pid(), 0);
    std::string id = WaitForWindow("Ribbelo - (new|nieuw) project", run.Pid());
    ASSERT_FALSE(id.empty()) << path << ": no main window with the new project";
    if (boxTitle.empty()) {
      // The program takes a key only after its start-up, where a box would
      // have come; the title still names the new project.
      EXPECT_TRUE(MarkByF3(id, program == kDutch ? "Ribbelo - nieuw project *" : "Ribbelo - new project *")) << path;
      EXPECT_EQ(WaitForWindow("(Open project|Project openen)", run.Pid(), 0), "") << path;
    } else {
      EXPECT_FALSE(WaitForWindow(boxTitle, run.Pid()).empty()) << path << ": no error box";
    }
  }
  TempFolder folder_;
  std::string dir_;
};

TEST_F(ProjectProgramTest, FilesCrossBetweenTheBuildsUnchanged) {
  // A design away from every default, written by this process.
  UserSelectComboItem(WINDOW_MAIN, GADGET_FIGURE, 4);
  UserSelectComboItem(WINDOW_MAIN, GADGET_DIRECTION, 1);
  UserSelectComboItem(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  UserClearText(WINDOW_MAIN, GADGET_FIGURE_WIDTH);
  UserTypeText(WINDOW_MAIN, GADGET_FIGURE_WIDTH, "2.5");
  UserClearText(WINDOW_MAIN, GADGET_SHIFT);
  UserTypeText(WINDOW_MAIN, GADGET_SHIFT, "12.5");
  UserClearText(WINDOW_MAIN, GADGET_TOP_SCALE);
  UserTypeText(WINDOW_MAIN, GADGET_TOP_SCALE, "80");
  DispatchQueuedEvents();
  std::string path = dir_ + "a.omt";
  AddCannedFileAnswer(path);
  ASSERT_EQ(SaveProject(1), 1);
  const std::string written = ReadBytes(path);
  ASSERT_NE(written.find("\nfiguur = 4\nrichting = -1\nverdeling = 1\n"), std::string::npos);

  // Each build reads the other's file into the same design: what it saves
  // again is the same file.
  ASSERT_NO_FATAL_FAILURE(OpenMarkAndSave(kDutch, path));
  EXPECT_EQ(ReadBytes(path), written) << "Dutch build";
  ASSERT_NO_FATAL_FAILURE(OpenMarkAndSave(kEnglish, path));
  EXPECT_EQ(ReadBytes(path), written) << "English build";
  ASSERT_NO_FATAL_FAILURE(OpenMarkAndSave(kDutch, path));
  EXPECT_EQ(ReadBytes(path), written) << "Dutch build again";
}

TEST_F(ProjectProgramTest, StartUpSkipsWhatIsNoFileAndReportsWhatIsNoProject) {
  ASSERT_EQ(mkdir((dir_ + "folder.omt").c_str(), 0755), 0);
  WriteBytes(dir_ + "empty.omt", "");
  WriteBytes(dir_ + "notes.txt", "Just a note.\n");
  ExpectStart(kEnglish, dir_ + "missing.omt", "");
  ExpectStart(kEnglish, dir_ + "empty.omt", "");
  ExpectStart(kDutch, dir_ + "folder.omt", "");
  ExpectStart(kEnglish, dir_ + "notes.txt", "Open project");
  ExpectStart(kDutch, dir_ + "notes.txt", "Project openen");
}

}  // namespace
