// The shipped program under resource limits set by prlimit, as a user or a
// service manager would set them. The test leaves every signal as it is: the
// program's own start-up must turn each fault into a message.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/gui/support/shell_fixture.h"
#include "tests/gui/support/temp_folder.h"

namespace {

const std::string kProgram = std::string(RIBBELO_BINARY_DIR) + "/app/ribbelo_en";
const std::string kPrlimit = "/usr/bin/prlimit";

class LimitedProgram {
 public:
  LimitedProgram(const std::string& limit, const std::string& project)
      : argv_{kPrlimit, limit, "--", kProgram, project}, errors_(logs_.Path("errors")) {
    pid_ = StartProgram(argv_, {}, errors_);
  }
  ~LimitedProgram() { StopProgram(pid_); }
  int Pid() const { return pid_; }
  bool Running() const {
    int status = 0;
    return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
  }
  // What the program wrote to standard error, for a failure's report.
  std::string Errors() const { return ReadBytes(errors_); }
  // The window's X id, "" when none appears. A program that the busy test
  // X server turned away at start-up is started once more: that is no
  // fault of the program under the limit.
  std::string WaitForItsWindow(const std::string& title) {
    std::string id = WaitForWindow(title, pid_);
    if (id.empty() && !Running() && Errors().find("cannot open the display") != std::string::npos) {
      pid_ = StartProgram(argv_, {}, errors_);
      id = WaitForWindow(title, pid_);
    }
    return id;
  }

 private:
  std::vector<std::string> argv_;
  TempFolder logs_;
  std::string errors_;
  int pid_ = -1;
};

// The sanitizers' shadow memory does not fit under an address-space limit;
// their build is not what users run anyway.
bool AddressSpaceCanBeLimited() {
#ifdef __SANITIZE_ADDRESS__
  return false;
#else
  return true;
#endif
}

void Keys(const std::string& window, const std::string& keys) {
  CommandOutput("xdotool windowfocus --sync " + window + " 2>/dev/null");
  CommandOutput("xdotool key --clearmodifiers " + keys + " 2>/dev/null");
}

// A project whose imported outline is a circle of n points.
std::string ImportedProject(int n, const std::string& importFile, int isStl) {
  std::string text = "\xEF\xBB\xBF\n[Omtrek]\nversie = 1\n[Basis]\nvorm = 3\n[Import]\nbestand = " + importFile +
                     "\nstl = " + std::to_string(isStl) + "\nbreedte = 40\nhoogte = 40\npunten = " +
                     std::to_string(n) + "\n";
  for (int i = 0; i < n; ++i) {
    const double a = M_PI / 2 + 2 * M_PI * i / n;
    char point[64];
    std::snprintf(point, sizeof point, "%.9f;%.9f", 20 * std::cos(a), 20 * std::sin(a));
    if (i % 100 == 0) text += (i > 0 ? "\nr" : "r") + std::to_string(i / 100) + " = ";
    else text += "|";
    text += point;
  }
  return text + "\n";
}

// A file of the given size that holds the bytes at its start and zeros
// (a hole) after them.
void WriteSparse(const std::string& path, const std::string& start, off_t size) {
  WriteBytes(path, start);
  ASSERT_EQ(truncate(path.c_str(), size), 0);
}

class ResourceLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool missing";
    ASSERT_EQ(access(kProgram.c_str(), X_OK), 0);
    ASSERT_EQ(access(kPrlimit.c_str(), X_OK), 0);
    ASSERT_FALSE(folder_.Dir().empty());
  }
  TempFolder folder_;
};

// Out of memory while the project reloads its STL model (header count
// 20,000,000, 720 MB of vertices): the model is dropped silently and the
// project opens with its stored outline.
TEST_F(ResourceLimitsTest, OutOfMemoryWhileLoadingTheModelOpensTheProject) {
  if (!AddressSpaceCanBeLimited()) GTEST_SKIP() << "sanitizer build";
  const std::string stl = folder_.Path("big.stl");
  std::string header(84, '\0');
  header[80] = '\x00', header[81] = '\x2d', header[82] = '\x31', header[83] = '\x01';  // 20,000,000
  ASSERT_NO_FATAL_FAILURE(WriteSparse(stl, header, 84 + 50 * off_t{20'000'000}));
  WriteBytes(folder_.Path("big.omt"), ImportedProject(4, stl, 1));
  LimitedProgram run("--as=1000000000", folder_.Path("big.omt"));
  EXPECT_FALSE(run.WaitForItsWindow("Ribbelo - big\\.omt").empty());
  EXPECT_TRUE(run.Running()) << run.Errors();
}

// A file size limit below the size of the project: the save fails with its
// box, the project stays marked, the old file stays whole and alone.
TEST_F(ResourceLimitsTest, FileSizeLimitDuringSaveKeepsTheOldFile) {
  const std::string path = folder_.Path("a.omt");
  const std::string before = ImportedProject(5000, "", 0);
  ASSERT_GT(before.size(), 100000u);
  WriteBytes(path, before);
  LimitedProgram run("--fsize=100000", path);
  std::string id = run.WaitForItsWindow("Ribbelo - a\\.omt");
  ASSERT_FALSE(id.empty());
  usleep(300000);
  Keys(id, "F3");
  ASSERT_EQ(WaitForWindowName(id, "Ribbelo - a.omt *"), "Ribbelo - a.omt *");
  Keys(id, "ctrl+s");
  std::string box = WaitForWindow("Save project", run.Pid());
  EXPECT_FALSE(box.empty()) << "no error box";
  ASSERT_TRUE(run.Running());
  Keys(box, "Return");
  usleep(300000);
  EXPECT_EQ(WindowName(id), "Ribbelo - a.omt *");
  // Neither signal of a failed write can end the program.
  kill(run.Pid(), SIGXFSZ);
  kill(run.Pid(), SIGPIPE);
  usleep(300000);
  EXPECT_TRUE(run.Running());
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"a.omt"});
}

// A 2 GB file of zeros given as the project is refused from its head,
// without reading it into a process that has 1 GB of address space.
TEST_F(ResourceLimitsTest, HugeFileIsRefusedWithoutBeingRead) {
  if (!AddressSpaceCanBeLimited()) GTEST_SKIP() << "sanitizer build";
  const std::string path = folder_.Path("zeros.omt");
  ASSERT_NO_FATAL_FAILURE(WriteSparse(path, "", off_t{2} << 30));
  LimitedProgram run("--as=1000000000", path);
  EXPECT_FALSE(run.WaitForItsWindow("Open project").empty()) << "no error box";
  EXPECT_TRUE(run.Running()) << run.Errors();
}

}  // namespace
