// Every export replaces its file atomically: a failed overwrite leaves the
// old file and nothing beside it.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "export/dxf_writer.h"
#include "export/export_file.h"
#include "export/outline_step.h"
#include "export/vase_step.h"
#include "export/vase_stl.h"
#include "tests/support/export_files.h"
#include "vase/vase_params.h"

namespace {

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    closedir(d);
  }
  return names;
}

// The writer's result in a child whose files may not grow past 2 KB.
int64_t WriteUnderSizeLimit(const std::function<int64_t()>& write) {
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{2048, 2048};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(write() == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ExportFile, FailedOverwriteKeepsTheOldFile) {
  DesignResult result;
  result.valid = 1;
  result.outlinePoints = CircleOutline(20, 300);
  VaseParams vase;
  vase.height = 30;
  vase.steps = 3;
  const std::vector<std::pair<std::string, std::function<int64_t(const std::string&)>>> writers = {
      {"a.dxf", [&](const std::string& p) { return ExportOutlineDxf(p, result, 0, OUTLINE_EXPORT_TOLERANCE); }},
      {"a.stp", [&](const std::string& p) { return ExportOutlineStep(p, result, 1, 5, OUTLINE_EXPORT_TOLERANCE); }},
      {"v.stl",
       [&](const std::string& p) { return ExportVaseStl(p, result.outlinePoints, {}, vase, VASE_STL_TOLERANCE); }},
      {"v.stp",
       [&](const std::string& p) { return ExportVaseStep(p, result.outlinePoints, {}, vase, VASE_STEP_TOLERANCE); }},
  };
  for (const auto& [name, write] : writers) {
    const std::string path = ExportTestPath(name);
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    ASSERT_EQ(WriteWholeFile(path, {"old"}), 1);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    // The superuser replacing someone else's file leaves it theirs.
    const bool root = geteuid() == 0;
    if (root) {
      ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(WriteUnderSizeLimit([&] { return write(path); }), 0) << name << ": the write must fail";
    EXPECT_EQ(ReadFileBytes(path), "old") << name;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{name}) << name;
    // Written whole, the new file takes the old one's place and mode.
    ASSERT_GT(write(path), 0) << name;
    EXPECT_GT(ReadFileBytes(path).size(), 2048u) << name;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
    if (root) {
      EXPECT_EQ(st.st_uid, 65534u) << name;
    }
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{name}) << name;
    // A file left unfinished (an exception on the way) leaves no trace.
    {
      ExportFile file;
      ASSERT_EQ(OpenExportFile(file, path), 1);
      PutExportBytes(file, "new", 3);
    }
    EXPECT_GT(ReadFileBytes(path).size(), 2048u) << name;
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{name}) << name;
  }
}

// What cannot be replaced is written in place and never removed: a device
// takes the bytes, a pipe without a reader fails at once.
TEST(ExportFile, DevicesAndPipesAreWrittenInPlace) {
  EXPECT_EQ(WriteWholeFile("/dev/null", {"bytes"}), 1);
  EXPECT_TRUE(FileExists("/dev/null"));
  const std::string pipe = ExportTestPath("pipe.dxf");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(WriteWholeFile(pipe, {"bytes"}), 0);
  struct stat st;
  ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
