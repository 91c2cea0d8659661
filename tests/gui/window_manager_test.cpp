// The window as users meet it: under a window manager, on small and scaled
// screens. Each test runs on an X server of its own with openbox, so the
// window manager never touches the windows of the other tests.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "app/gadgets.h"
#include "engine/design.h"
#include "tests/gui/support/private_display.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"

namespace {

const std::string kProgram = std::string(RIBBELO_BINARY_DIR) + "/app/ribbelo_en";

// Runs inside the child that RunChildTests starts on the private display.
class UnderWindowManager : public ShellTest {
 protected:
  void SetUp() override {
    if (!IsChildTestRun()) GTEST_SKIP() << "runs in a child under its own window manager";
    ShellTest::SetUp();
  }
  void TearDown() override {
    if (IsChildTestRun()) ShellTest::TearDown();
  }
};

TEST_F(UnderWindowManager, LayoutFollowsResizeMaximiseAndUnmaximise) {
  ASSERT_TRUE(WaitForNewWindowSize(0, 0));
  ExpectLayoutOnTheRule("at start");
  gResult.warnings.push_back("sentinel");  // a recompute would drop it

  int64_t w = WindowInnerWidth(WINDOW_MAIN), h = WindowInnerHeight(WINDOW_MAIN);
  MaximizeWindow(WINDOW_MAIN, 1);
  ASSERT_TRUE(WaitForNewWindowSize(w, h));
  EXPECT_GT(WindowInnerWidth(WINDOW_MAIN), w);
  ExpectLayoutOnTheRule("maximised");

  w = WindowInnerWidth(WINDOW_MAIN), h = WindowInnerHeight(WINDOW_MAIN);
  MaximizeWindow(WINDOW_MAIN, 0);
  ASSERT_TRUE(WaitForNewWindowSize(w, h));
  ExpectLayoutOnTheRule("unmaximised");

  w = WindowInnerWidth(WINDOW_MAIN), h = WindowInnerHeight(WINDOW_MAIN);
  ResizeWindow(WINDOW_MAIN, 820, 520);
  ASSERT_TRUE(WaitForNewWindowSize(w, h));
  EXPECT_EQ(WindowInnerWidth(WINDOW_MAIN), 820);
  ExpectLayoutOnTheRule("resized");
  ASSERT_FALSE(gResult.warnings.empty());
  EXPECT_EQ(gResult.warnings.back(), "sentinel");
}

TEST(WindowManager, LayoutFollowsResizeMaximiseAndUnmaximise) {
  PrivateDisplay display;
  if (!display.Start(1024, 768)) GTEST_SKIP() << "Xvfb or openbox missing";
  std::string out;
  int status = RunChildTests("UnderWindowManager.*", {display.Environment(), "GDK_SCALE=", "GDK_DPI_SCALE="}, out);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

bool Inside(const std::vector<int>& outer, int screenW, int screenH) {
  return outer[0] >= 0 && outer[1] >= 0 && outer[0] + outer[2] <= screenW && outer[1] + outer[3] <= screenH;
}

// The real program on a private display, driven with xdotool; this test
// process points its own DISPLAY there, so the helpers of the fixture
// reach it (each test runs in a process of its own).
class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
  }
  void TearDown() override { StopProgram(pid_); }
  bool Start(int width, int height, const std::vector<std::string>& env, const std::string& folder = "") {
    if (!display_.Start(width, height)) return false;
    setenv("DISPLAY", display_.Name().c_str(), 1);
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    if (!folder.empty() && chdir(folder.c_str()) != 0) return false;
    pid_ = StartProgram({kProgram}, env, "/dev/null");
    if (chdir(cwd) != 0) return false;
    return pid_ > 0;
  }
  std::string Xdotool(const std::string& arguments) { return CommandOutput("xdotool " + arguments + " 2>/dev/null"); }
  // Frame and all of the window, in device pixels: x, y, width, height.
  std::vector<int> OuterGeometry(const std::string& id) {
    std::istringstream inner(CommandOutput("xwininfo -id " + id + " | awk '/Absolute upper-left [XY]|Width|Height/ {print $NF}'"));
    std::string extents = CommandOutput("xprop -id " + id + " _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'");
    std::istringstream frame(extents);
    int x = 0, y = 0, w = 0, h = 0, left = 0, right = 0, top = 0, bottom = 0;
    inner >> x >> y >> w >> h;
    // Not framed yet: no geometry counts as inside.
    if (!(frame >> left >> right >> top >> bottom)) return {-1, -1, w, h};
    return {x - left, y - top, w + left + right, h + top + bottom};
  }
  // The frame is fitted once the window manager has framed the window: the
  // geometry once it lies inside the screen, or the last one seen.
  std::vector<int> OuterGeometryOnceInside(const std::string& id, int screenW, int screenH) {
    std::vector<int> outer = OuterGeometry(id);
    for (int i = 0; i < 50 && !Inside(outer, screenW, screenH); ++i) {
      usleep(100000);
      outer = OuterGeometry(id);
    }
    return outer;
  }
  // Waits for the program to end; its exit status, or -1 when it does not.
  int WaitForExit() {
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(100000);
    }
    return -1;
  }
  // Starts the program on a screen of this size; the frame of its window
  // once it lies inside the screen, or the last one seen.
  std::vector<int> StartAndFindTheFrame(int screenW, int screenH, const std::string& scale) {
    if (!Start(screenW, screenH, {"GDK_SCALE=" + scale, "GDK_DPI_SCALE="})) return {};
    std::string id = WaitForWindow("Ribbelo - new project", pid_);
    return id.empty() ? std::vector<int>{-1, -1, 0, 0} : OuterGeometryOnceInside(id, screenW, screenH);
  }
  PrivateDisplay display_;
  int pid_ = -1;
};

TEST_F(RealProgram, StartsInsideASmallScreen) {
  std::vector<int> outer = StartAndFindTheFrame(1024, 768, "");
  if (outer.empty()) GTEST_SKIP() << "Xvfb or openbox missing";
  EXPECT_TRUE(Inside(outer, 1024, 768)) << outer[0] << "," << outer[1] << " " << outer[2] << "x" << outer[3];
  EXPECT_GE(outer[2], 1000);  // narrowed only as far as needed
}

TEST_F(RealProgram, StartsInsideAScreenScaledByTwo) {
  std::vector<int> outer = StartAndFindTheFrame(1920, 1080, "2");
  if (outer.empty()) GTEST_SKIP() << "Xvfb or openbox missing";
  EXPECT_TRUE(Inside(outer, 1920, 1080)) << outer[0] << "," << outer[1] << " " << outer[2] << "x" << outer[3];
}

TEST_F(RealProgram, ReturnInTheQuestionOnClosingSavesTheChanges) {
  TempFolder folder;
  if (!Start(1024, 768, {"GDK_SCALE=", "GDK_DPI_SCALE="}, folder.Dir())) GTEST_SKIP() << "Xvfb or openbox missing";
  std::string id = WaitForWindow("Ribbelo - new project", pid_);
  ASSERT_FALSE(id.empty());
  Xdotool("windowactivate --sync " + id + " key F3");  // F3 marks the project modified
  ASSERT_EQ(WaitForWindowName(id, "Ribbelo - new project *"), "Ribbelo - new project *");
  Xdotool("key alt+F4");  // the window manager's close request
  std::string question = WaitForWindow("Ribbelo", pid_);
  ASSERT_FALSE(question.empty()) << "no question to save";
  Xdotool("windowactivate --sync " + question + " key Return");
  std::string save = WaitForWindow("Save project", pid_);
  ASSERT_FALSE(save.empty()) << "Return did not answer Yes";
  Xdotool("windowactivate --sync " + save + " key Return");
  EXPECT_EQ(WaitForExit(), 0);
  EXPECT_NE(ReadBytes(folder.Path("outline.omt")), "");
}

}  // namespace
