// The window as users meet it: under a window manager, on small and scaled
// screens. Each test runs on an X server of its own with openbox, so the
// window manager never touches the windows of the other tests.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "app/gadgets.h"
#include "app/main_window.h"
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

// Lets the toolkit run until the window's inner size differs from the given
// one and then holds still for a while; false when it never changes.
bool WaitForNewWindowSize(int64_t oldW, int64_t oldH) {
  int64_t w = oldW, h = oldH, still = 0;
  for (int i = 0; i < 400 && still < 10; ++i) {
    ProcessPendingToolkitEvents();
    usleep(20000);
    int64_t nw = WindowInnerWidth(WINDOW_MAIN), nh = WindowInnerHeight(WINDOW_MAIN);
    still = (nw == w && nh == h && (w != oldW || h != oldH)) ? still + 1 : 0;
    w = nw;
    h = nh;
  }
  return w != oldW || h != oldH;
}

// What the toolkit allocated follows the resize rule for the current size.
void ExpectLayoutOnTheRule(const char* when) {
  SCOPED_TRACE(when);
  int64_t w = WindowInnerWidth(WINDOW_MAIN);
  int64_t h = WindowInnerHeight(WINDOW_MAIN) - StatusBarHeight(STATUS_BAR_MAIN);
  int64_t canvasW = std::max<int64_t>(w - gCanvasX - 8, 50), canvasH = std::max<int64_t>(h - 8, 50);
  EXPECT_EQ(GadgetAllocatedWidth(WINDOW_MAIN, GADGET_CANVAS), canvasW);
  EXPECT_EQ(GadgetAllocatedHeight(WINDOW_MAIN, GADGET_CANVAS), canvasH);
  EXPECT_EQ(CanvasSurfaceWidth(WINDOW_MAIN, GADGET_CANVAS), canvasW);  // the drawing is made for it
  EXPECT_EQ(GadgetAllocatedHeight(WINDOW_MAIN, GADGET_LEFT_PANEL), h);
  EXPECT_EQ(GadgetAllocatedHeight(WINDOW_MAIN, GADGET_INFO), std::max<int64_t>(h - gInfoFieldY - 8, 160));
}

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

}  // namespace
