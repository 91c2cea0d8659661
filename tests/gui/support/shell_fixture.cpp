#include "tests/gui/support/shell_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/gadgets.h"
#include "app/import_command.h"
#include "app/loop_state.h"
#include "app/main_program.h"
#include "app/main_window.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "tests/gui/support/temp_folder.h"

extern char** environ;

void EnsureWindowSystem() {
  static int started = -1;
  if (started < 0) {
    static char name[] = "ribbelo_gui_tests";
    static char* args[] = {name, nullptr};
    int argc = 1;
    char** argv = args;
    started = static_cast<int>(InitWindowSystem(argc, argv));
  }
  ASSERT_EQ(started, 1) << "no X display";
}

void ShellTest::SetUp() {
  EnsureWindowSystem();
  UseCannedDialogs(1);
  ClearCannedDialogs();
  StartMainProgram();
  ProcessPendingToolkitEvents();
  ClearEventQueue();
}

void ShellTest::TearDown() {
  CloseWindow(WINDOW_MAIN);
  ProcessPendingToolkitEvents();
  ClearEventQueue();
  ClearCannedDialogs();
}

void DispatchQueuedEvents() {
  while (PollEvent() != EVENT_NONE) DispatchCurrentEvent();
}

void PostGadgetEvent(int64_t gadget, int64_t type) {
  WindowEvent event;
  event.kind = EVENT_GADGET;
  event.window = WINDOW_MAIN;
  event.id = gadget;
  event.type = type;
  PostEvent(event);
  DispatchQueuedEvents();
}

void PostMenuEvent(int64_t id) {
  WindowEvent event;
  event.kind = EVENT_MENU;
  event.window = WINDOW_MAIN;
  event.id = id;
  PostEvent(event);
  DispatchQueuedEvents();
}

int64_t CountQueuedEdits() {
  int64_t edits = 0;
  while (PollEvent() != EVENT_NONE) {
    if (EventKindOf() != EVENT_GADGET || EventType() == EVENT_CHANGE || EventType() == EVENT_CLICK) ++edits;
  }
  return edits;
}

void Retype(int64_t gadget, const std::string& text) {
  UserClearText(WINDOW_MAIN, gadget);
  UserTypeText(WINDOW_MAIN, gadget, text);
  DispatchQueuedEvents();
}

void Choose(int64_t gadget, int64_t index) {
  UserSelectComboItem(WINDOW_MAIN, gadget, index);
  DispatchQueuedEvents();
}

std::string Field(int64_t gadget) { return GetGadgetText(WINDOW_MAIN, gadget); }

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  for (int waited = 0;; waited += 10) {
    ProcessPendingToolkitEvents();
    if (condition()) return true;
    if (waited >= milliseconds) return false;
    usleep(10000);
  }
}

std::string Status() { return GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE); }

void ResetImportState() {
  UnloadStlModel();
  gImportFromStl = 0;
  gImportFileName.clear();
  gImportMessage.clear();
  gLastFolder.clear();
  ClearCannedDialogs();
}

void ImportPath(const std::string& path) {
  ClearCannedDialogs();
  AddCannedFileAnswer(path);
  ImportBaseOutline();
}

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

namespace {

int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, const std::string& outPath,
          const std::string& errPath) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& e : extraEnv) {
    size_t eq = e.find('=');
    std::string name = e.substr(0, eq);
    std::string value = eq == std::string::npos ? "" : e.substr(eq + 1);
    if (value.empty())
      unsetenv(name.c_str());
    else
      setenv(name.c_str(), value.c_str(), 1);
  }
  if (!outPath.empty() && freopen(outPath.c_str(), "w", stdout) == nullptr) _exit(126);
  if (!errPath.empty() && freopen(errPath.c_str(), "w", stderr) == nullptr) _exit(126);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, std::string& out,
               std::string& err) {
  TempFolder folder;
  if (folder.Dir().empty()) return -1;
  std::string outPath = folder.Path("out"), errPath = folder.Path("err");
  int pid = Spawn(argv, extraEnv, outPath, errPath);
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  out = ReadBytes(outPath);
  err = ReadBytes(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StartProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                 const std::string& errPath) {
  return Spawn(argv, extraEnv, "/dev/null", errPath);
}

void StopProgram(int pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 200; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

std::string CommandOutput(const std::string& command) {
  std::string result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) result += buffer;
  pclose(pipe);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

std::string WaitForWindow(const std::string& titlePattern, int pid, int milliseconds) {
  std::string owner = pid > 0 ? "--all --pid " + std::to_string(pid) + " " : "";
  for (int waited = 0; waited <= milliseconds; waited += 100) {
    std::string id =
        CommandOutput("xdotool search " + owner + "--name '^" + titlePattern + "$' 2>/dev/null | head -n1");
    if (!id.empty()) return id;
    usleep(100000);
  }
  return "";
}

std::string WindowName(const std::string& id) { return CommandOutput("xdotool getwindowname " + id + " 2>/dev/null"); }

std::string WaitForWindowName(const std::string& id, const std::string& title, int milliseconds) {
  std::string name;
  for (int waited = 0; waited <= milliseconds; waited += 50) {
    name = WindowName(id);
    if (name == title) break;
    usleep(50000);
  }
  return name;
}
