#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/platform/window_system.h"
#include "app/user_guide.h"
#include "resources/resources.h"
#include "tests/gui/support/help_windows.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/support/temp_folder.h"
#include "text/texts.h"

namespace {

std::string BuiltGuideBytes() {
  ResourceBytes guide = BuiltUserGuide();
  return std::string(reinterpret_cast<const char*>(guide.bytes), static_cast<size_t>(guide.size));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return lines;
}

// A folder with a stub "xdg-open" that logs its argument count and
// arguments, put first on PATH.
class StubViewer {
 public:
  StubViewer() {
    folder_ = scratch_.Dir();
    folder_.pop_back();  // PATH entries go without the slash
    log_ = folder_ + "/calls.log";
    WriteTextFile(folder_ + "/xdg-open", "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$*\" >> '" + log_ + "'\n");
    chmod((folder_ + "/xdg-open").c_str(), 0755);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    setenv("PATH", (folder_ + ":" + oldPath_).c_str(), 1);
  }
  ~StubViewer() { setenv("PATH", oldPath_.c_str(), 1); }
  // The viewer runs on its own; wait (bounded) until it has logged n calls.
  std::vector<std::string> WaitForCalls(size_t n) const {
    std::vector<std::string> calls;
    for (int i = 0; i < 500; ++i) {
      calls = Lines(ReadWholeFile(log_));
      if (calls.size() >= n) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return calls;
  }
  std::vector<std::string> CallsSoFar() const { return Lines(ReadWholeFile(log_)); }
  void HideEveryViewer() {
    std::remove((folder_ + "/xdg-open").c_str());
    setenv("PATH", folder_.c_str(), 1);
  }

 private:
  TempFolder scratch_;
  std::string folder_, log_, oldPath_;
};

class UserGuide : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    path_ = UserGuidePath();
    Clear();
  }
  void TearDown() override {
    Clear();
    ShellTest::TearDown();
  }
  void Clear() {
    rmdir(path_.c_str());
    std::remove(path_.c_str());
    ClearCannedDialogs();
  }

  void ExpectOneViewerPerRequest() {
    StubViewer viewer;
    PostMenuEvent(MENU_USER_GUIDE);  // F1 and the Help item
    EXPECT_TRUE(RecordedDialogCalls().empty());
    EXPECT_EQ(ReadWholeFile(path_), BuiltGuideBytes());
    std::vector<std::string> calls = viewer.WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "1|" + path_);  // one argument: the path
    // Started detached: no child of ours is left to reap.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    WriteTextFile(path_, "changed by someone");
    EXPECT_EQ(ShowUserGuide(), 0);
    EXPECT_EQ(ReadWholeFile(path_), BuiltGuideBytes());
    calls = viewer.WaitForCalls(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], "1|" + path_);
  }

  void ExpectErrorBoxAndNoViewerWhenTheFileCannotBeWritten() {
    StubViewer viewer;
    // A directory, then a planted link, where the guide file belongs.
    ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
    EXPECT_EQ(ShowUserGuide(), ANSWER_OK);
    ASSERT_EQ(RecordedDialogCalls().size(), 1u);
    const DialogCall& box = RecordedDialogCalls()[0];
    EXPECT_EQ(box.kind, DIALOG_MESSAGE);
    EXPECT_EQ(box.title, "User guide");
    EXPECT_EQ(box.text, "Cannot write the user guide to the temporary folder:\n" + path_);
    EXPECT_EQ(box.buttons, BUTTONS_OK);
    EXPECT_EQ(box.icon, ICON_ERROR);
    ASSERT_EQ(rmdir(path_.c_str()), 0);

    std::string target = path_ + ".target";
    WriteTextFile(target, "keep me");
    ASSERT_EQ(symlink(target.c_str(), path_.c_str()), 0);
    EXPECT_EQ(ShowUserGuide(), ANSWER_OK);
    EXPECT_EQ(RecordedDialogCalls().size(), 2u);
    EXPECT_EQ(ReadWholeFile(target), "keep me");
    std::remove(path_.c_str());
    std::remove(target.c_str());

    // The viewer of the one good request is the only one that logs.
    EXPECT_EQ(ShowUserGuide(), 0);
    EXPECT_EQ(viewer.WaitForCalls(1).size(), 1u);
  }

  void ExpectAMissingViewerNotReported() {
    StubViewer viewer;
    viewer.HideEveryViewer();
    EXPECT_EQ(ShowUserGuide(), 0);
    EXPECT_TRUE(RecordedDialogCalls().empty());
    EXPECT_EQ(ReadWholeFile(path_), BuiltGuideBytes());
  }

  std::string path_;
};

// One test for everything at the shared path, so that parallel test
// processes never meet there.
TEST_F(UserGuide, RewritesTheGuidePerRequestAndReportsAPathThatCannotBeWritten) {
  ExpectOneViewerPerRequest();
  Clear();
  ExpectErrorBoxAndNoViewerWhenTheFileCannotBeWritten();
  Clear();
  ExpectAMissingViewerNotReported();
}

TEST(UserGuidePath, FollowsTheBuildsLanguage) {
  EXPECT_EQ(UserGuidePath(), "/tmp/ribbelo_user_guide.html");
  gTexts = gTextsNl;
  EXPECT_EQ(UserGuidePath(), "/tmp/ribbelo_handleiding.html");
  gTexts = gTextsEn;
}

TEST(UserGuideFile, ReportsEveryFailedWrite) {
  const uint8_t bytes[] = {'<', '!', 'd', 'o', 'c'};
  TempFolder scratch;
  std::string folder = scratch.Dir();
  folder.pop_back();
  std::string file = folder + "/guide.html";
  EXPECT_EQ(WriteUserGuideFile(file, bytes, sizeof bytes), 1);
  EXPECT_EQ(ReadWholeFile(file), "<!doc");
  EXPECT_EQ(WriteUserGuideFile(file, bytes, 2), 1);  // an existing file is emptied first
  EXPECT_EQ(ReadWholeFile(file), "<!");
  EXPECT_EQ(WriteUserGuideFile(file, bytes, 0), 1);
  EXPECT_EQ(ReadWholeFile(file), "");
  // A full disk: the device takes no byte.
  EXPECT_EQ(WriteUserGuideFile("/dev/full", bytes, sizeof bytes), 0);
  EXPECT_EQ(WriteUserGuideFile(folder + "/missing/guide.html", bytes, sizeof bytes), 0);
  EXPECT_EQ(WriteUserGuideFile(folder, bytes, sizeof bytes), 0);
}

}  // namespace
