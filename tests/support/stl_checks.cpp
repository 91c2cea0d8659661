#include "tests/support/stl_checks.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/export_files.h"

void ExpectAdmeshFindsNothingToFix(const std::string& path) {
  std::string report;
  if (RunCommand("admesh '" + path + "' 2>&1", report) != 0 || report.find("Number of parts") == std::string::npos)
    GTEST_SKIP() << "admesh is not available";
  for (const char* clean : {"Number of parts       :     1", "Degenerate facets     :     0",
                            "Edges fixed           :     0", "Facets removed        :     0",
                            "Backwards edges       :     0", "Normals fixed         :     0"})
    EXPECT_NE(report.find(clean), std::string::npos) << clean << " in " << path;
}

void ExpectKernelFindsSoundSolid(const std::string& path, const std::string& name) {
  std::map<std::string, double> v;
  ASSERT_TRUE(CheckStlFile(path, v)) << name;
  EXPECT_EQ(v["repeated_corner_facets"], 0) << name;
  EXPECT_EQ(v["oriented"], 1) << name;
  EXPECT_EQ(v["reoriented"], 0) << name;
  EXPECT_EQ(v["closed"], 1) << name;
  EXPECT_EQ(v["self_intersections"], 0) << name;
  EXPECT_EQ(v["degenerate_facets"], 0) << name;
  EXPECT_GT(v["volume"], 0) << name;
}
