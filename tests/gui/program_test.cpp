#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/main_window.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/support/comma_locale.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kProgram = std::string(RIBBELO_BINARY_DIR) + "/app/ribbelo_en";

TEST(Program, WithoutADisplayExitsNonZeroWithAMessage) {
  std::string out, err;
  int status = RunProgram({kProgram}, {"DISPLAY=", "WAYLAND_DISPLAY="}, out, err);
  EXPECT_NE(status, 0);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("cannot open the display"), std::string::npos) << err;
}

// Run in a child process of this binary with the Dutch locale in the
// environment: the toolkit takes the whole locale, numbers must still use
// a decimal point.
TEST(LocaleChild, NumbersKeepTheDecimalPointUnderADutchEnvironment) {
  if (std::getenv("RIBBELO_LOCALE_CHILD") == nullptr) GTEST_SKIP() << "runs as a child of DutchEnvironment";
  EnsureWindowSystem();
  const char* ctype = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(ctype, nullptr);
  EXPECT_EQ(std::string(ctype).rfind("nl_NL", 0), 0u) << ctype;
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  EXPECT_STREQ(text, "1.5");
  UseCannedDialogs(1);
  StartMainProgram();
  EXPECT_EQ(GetGadgetText(WINDOW_MAIN, GADGET_FIGURE_WIDTH), "1.806");
  EXPECT_EQ(GetStatusBarText(STATUS_BAR_MAIN, STATUS_PITCH), "Pitch = 3.61 mm");
  CloseWindow(WINDOW_MAIN);
}

TEST(Program, DutchEnvironmentKeepsNumbersWithAPoint) {
  if (std::getenv("RIBBELO_LOCALE_CHILD") != nullptr) GTEST_SKIP();
  if (!UseCommaLocale()) GTEST_SKIP() << "no Dutch locale can be had";
  RestoreCLocale();
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  std::string out, err;
  int status = RunProgram({self, "--gtest_filter=LocaleChild.*"},
                          {"RIBBELO_LOCALE_CHILD=1", "LC_ALL=nl_NL.UTF-8", "LANG=nl_NL.UTF-8"}, out, err);
  EXPECT_EQ(status, 0) << out << err;
  EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

// The real program under the X server, driven like a user with xdotool.
TEST(Program, RealProgramMarksTheTitleWhenTheUserTypes) {
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
  // The layout of this process is the program's: same fonts, same metrics.
  EnsureWindowSystem();
  UseCannedDialogs(1);
  StartMainProgram();
  int64_t x = GadgetX(WINDOW_MAIN, GADGET_COUNT) + 20;
  int64_t y = GadgetY(WINDOW_MAIN, GADGET_COUNT) + gButtonHeight / 2;
  CloseWindow(WINDOW_MAIN);
  ProcessPendingToolkitEvents();

  TempFolder scratch;
  const std::string errPath = scratch.Path("err");
  ASSERT_FALSE(scratch.Dir().empty());
  int pid = StartProgram({kProgram}, {}, errPath);
  ASSERT_GT(pid, 0);
  std::string id = WaitForWindow("Ribbelo - new project", pid);
  ASSERT_FALSE(id.empty()) << "the window did not appear";
  // Other tests may map windows over ours meanwhile: raise and retry.
  std::string title;
  for (int attempt = 0; attempt < 5 && title != "Ribbelo - new project *"; ++attempt) {
    usleep(200000);
    CommandOutput("xdotool windowraise " + id + " windowfocus --sync " + id + " 2>/dev/null");
    CommandOutput("xdotool mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y) +
                  " click 1 2>/dev/null");
    usleep(100000);
    CommandOutput("xdotool key --clearmodifiers End type --delay 30 5 2>/dev/null");
    for (int i = 0; i < 20; ++i) {
      title = WindowName(id);
      if (title == "Ribbelo - new project *") break;
      usleep(100000);
    }
  }
  EXPECT_EQ(title, "Ribbelo - new project *");
  StopProgram(pid);
  std::ifstream in(errPath);
  std::stringstream err;
  err << in.rdbuf();
  EXPECT_EQ(err.str(), "") << "the program wrote to standard error";
}

}  // namespace

namespace {

class CommandLine : public ShellTest {
 protected:
  void TearDown() override {
    SetProgramParameters({});
    ShellTest::TearDown();
  }
  // Starts the program again with these parameters.
  void Restart(const std::vector<std::string>& parameters) {
    CloseWindow(WINDOW_MAIN);
    SetProgramParameters(parameters);
    StartMainProgram();
  }
};

TEST_F(CommandLine, ProjectPathSetsTheLastFolderOnlyForAFileWithBytes) {
  TempFolder scratch;
  const std::string folder = scratch.Dir();
  ASSERT_FALSE(folder.empty());
  const std::string dir = folder.substr(0, folder.size() - 1);
  std::string full = folder + "p.omt", empty = folder + "e.omt";
  std::ofstream(full) << "x";
  std::ofstream(empty).close();

  Restart({full, "ignored"});
  EXPECT_EQ(gLastFolder, folder);
  Restart({empty});
  EXPECT_EQ(gLastFolder, "");
  Restart({folder + "missing.omt"});
  EXPECT_EQ(gLastFolder, "");
  Restart({dir});
  EXPECT_EQ(gLastFolder, "");

  // A bare file name leaves the folder empty.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  Restart({"p.omt"});
  EXPECT_EQ(gLastFolder, "");
  ASSERT_EQ(chdir(cwd), 0);

  // No question and no change of the default design when it is no project.
  EXPECT_EQ(GetWindowTitle(WINDOW_MAIN), "Ribbelo - new project");
  EXPECT_EQ(Field(GADGET_COUNT), "40");
}

}  // namespace
