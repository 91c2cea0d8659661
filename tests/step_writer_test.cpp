#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "export/export_file.h"
#include "export/step_writer.h"
#include "tests/support/comma_locale.h"
#include "tests/support/export_files.h"
#include "text/texts.h"

namespace {

std::string ReferenceReal(double x) {
  if (std::fabs(x) < 1e-12) x = 0;
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 6);
  return std::string(buffer, r.ptr);
}

void ExpectRealTexts() {
  EXPECT_EQ(FormatStepReal(1), "1.000000");
  EXPECT_EQ(FormatStepReal(-2.5), "-2.500000");
  EXPECT_EQ(FormatStepReal(1e-13), "0.000000");
  EXPECT_EQ(FormatStepReal(-1e-13), "0.000000");
  EXPECT_EQ(FormatStepReal(-0.0), "0.000000");
  EXPECT_EQ(FormatStepReal(-1e-7), "-0.000000");
  EXPECT_EQ(FormatStepReal(12.5), "12.500000");
  EXPECT_EQ(FormatStepReal(1e9), "1000000000.000000");
  EXPECT_EQ(FormatStepReal(1e20), "100000000000000000000.000000");
  EXPECT_EQ(FormatStepReal(0.9999995), ReferenceReal(0.9999995));
  // Exact halves of the last digit round to even, as the C library does.
  EXPECT_EQ(FormatStepReal(1.0 / 128), "0.007812");
  EXPECT_EQ(FormatStepReal(3.0 / 128), "0.023438");
  EXPECT_EQ(FormatStepReal(-5.0 / 128), "-0.039062");
}

TEST(StepReal, FixedTextsInCAndCommaLocale) {
  ExpectRealTexts();
  if (!UseCommaLocale()) GTEST_SKIP() << "no comma locale on this machine";
  ExpectRealTexts();
  RestoreCLocale();
}

TEST(StepReal, MatchesCorrectlyRoundedTextOverAllMagnitudes) {
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> exponent(-13, 14);
  std::uniform_real_distribution<double> unit(1, 10);
  for (int i = 0; i < 200000; ++i) {
    double x = unit(random) * std::pow(10.0, exponent(random));
    if (i % 2) x = -x;
    ASSERT_EQ(FormatStepReal(x), ReferenceReal(x)) << x;
  }
  // Values right at the 2^43 switch to the general path and at ties.
  for (double x : {8796093022207.999, 8796093022208.0, 4503599627370495.5, 0.0000005, 0.0000015, 2.5e-6})
    EXPECT_EQ(FormatStepReal(x), ReferenceReal(x)) << x;
}


std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(StepWriter, EmptyModelHoldsTheFixedBlockAndHeader) {
  int64_t shape = 0, context = 0;
  BeginStepModel("part", shape, context);
  EXPECT_EQ(shape, 8);
  EXPECT_EQ(context, 13);
  EXPECT_EQ(gStepNextId, 13);
  std::string path = ExportTestPath("pa'rt.stp");
  ASSERT_EQ(WriteStepFile(path, "Outline with pattern"), 1);
  EXPECT_EQ(StepLineCount(), 0);
  std::string bytes = ReadFileBytes(path);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.back(), '\n');
  EXPECT_EQ(bytes.find('\r'), std::string::npos);
  std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 9u + 13u);
  EXPECT_EQ(lines[0], "ISO-10303-21;");
  EXPECT_EQ(lines[1], "HEADER;");
  EXPECT_EQ(lines[2], "FILE_DESCRIPTION(('Outline with pattern'),'2;1');");
  // FILE_NAME('part.stp','yyyy-mm-ddThh:ii:ss',(''),(''),'Ribbelo','Ribbelo','');
  const std::string head = "FILE_NAME('part.stp','", tail = "',(''),(''),'Ribbelo','Ribbelo','');";
  ASSERT_EQ(lines[3].size(), head.size() + 19 + tail.size()) << lines[3];
  EXPECT_EQ(lines[3].substr(0, head.size()), head);
  EXPECT_EQ(lines[3].substr(head.size() + 19), tail);
  std::string stamp = lines[3].substr(head.size(), 19);
  for (size_t i = 0; i < stamp.size(); ++i) {
    char expected = i == 4 || i == 7 ? '-' : i == 10 ? 'T' : i == 13 || i == 16 ? ':' : '#';
    if (expected == '#')
      EXPECT_TRUE(stamp[i] >= '0' && stamp[i] <= '9') << stamp;
    else
      EXPECT_EQ(stamp[i], expected) << stamp;
  }
  EXPECT_EQ(lines[4], "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));");
  EXPECT_EQ(lines[5], "ENDSEC;");
  EXPECT_EQ(lines[6], "DATA;");
  EXPECT_EQ(lines[7], "#1=APPLICATION_CONTEXT('core data for automotive mechanical design processes');");
  EXPECT_EQ(lines[10], "#4=PRODUCT('part','part','',(#3));");
  EXPECT_EQ(lines[14], "#8=PRODUCT_DEFINITION_SHAPE('','',#7);");
  EXPECT_EQ(lines[18], "#12=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-06),#9,'distance_accuracy_value',"
                       "'confusion accuracy');");
  EXPECT_EQ(lines[19], "#13=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#12))"
                       "GLOBAL_UNIT_ASSIGNED_CONTEXT((#9,#10,#11))REPRESENTATION_CONTEXT('Context #1',"
                       "'3D Context with UNIT and UNCERTAINTY'));");
  EXPECT_EQ(lines[20], "ENDSEC;");
  EXPECT_EQ(lines[21], "END-ISO-10303-21;");
}

TEST(StepWriter, SecondModelStartsAgainAtOne) {
  int64_t shape, context;
  BeginStepModel("a", shape, context);
  AddCartesianPoint(1, 2, 3);
  BeginStepModel("b", shape, context);
  EXPECT_EQ(gStepNextId, 13);
  EXPECT_EQ(StepLineCount(), 13);
  EXPECT_EQ(AddCartesianPoint(1, -2, 0), 14);
  EXPECT_EQ(StepLine(13), "#14=CARTESIAN_POINT('',(1.000000,-2.000000,0.000000));");
  EXPECT_EQ(StepLine(3), "#4=PRODUCT('b','b','',(#3));");
}

TEST(StepWriter, PlacementsEdgesAndLoops) {
  int64_t shape, context;
  BeginStepModel("x", shape, context);
  int64_t placement = AddAxis2Placement3D(100, 101, 0, 0, 5);
  EXPECT_EQ(placement, 15);
  EXPECT_EQ(StepLine(13), "#14=CARTESIAN_POINT('',(0.000000,0.000000,5.000000));");
  EXPECT_EQ(StepLine(14), "#15=AXIS2_PLACEMENT_3D('',#14,#100,#101);");
  int64_t edges[3] = {7, 8, 9};
  int64_t loop = AddEdgeLoop(edges, 3, 0);
  EXPECT_EQ(loop, 19);
  EXPECT_EQ(StepLine(15), "#16=ORIENTED_EDGE('',*,*,#9,.F.);");
  EXPECT_EQ(StepLine(16), "#17=ORIENTED_EDGE('',*,*,#8,.F.);");
  EXPECT_EQ(StepLine(17), "#18=ORIENTED_EDGE('',*,*,#7,.F.);");
  EXPECT_EQ(StepLine(18), "#19=EDGE_LOOP('',(#16,#17,#18));");
  loop = AddEdgeLoop(edges, 2, 1);
  EXPECT_EQ(StepLine(19), "#20=ORIENTED_EDGE('',*,*,#7,.T.);");
  EXPECT_EQ(StepLine(21), "#22=EDGE_LOOP('',(#20,#21));");
  EXPECT_EQ(AddEdgeLoop(edges, 0, 1), 23);
  EXPECT_EQ(StepLine(22), "#23=EDGE_LOOP('',());");
  EXPECT_EQ(FormatStepRef(1234567890123), "#1234567890123");
  BeginStepModel("x", shape, context);
}

TEST(StepWriter, NamesKeepLatinOneBytesAndDropWiderCharacters) {
  int64_t shape, context;
  // e acute (U+00E9) fits in one byte, the euro sign (U+20AC) does not.
  BeginStepModel("caf\xC3\xA9\xE2\x82\xAC'x", shape, context);
  EXPECT_EQ(StepLine(3), "#4=PRODUCT('caf\xE9'x','caf\xE9'x','',(#3));");
  std::string path = ExportTestPath("m\xC3\xBCg\xE2\x82\xAC.stp");
  ASSERT_EQ(WriteStepFile(path, "d\xC3\xA9sc"), 1);
  std::string bytes = ReadFileBytes(path);
  EXPECT_NE(bytes.find("FILE_DESCRIPTION(('d\xE9sc'),"), std::string::npos);
  EXPECT_NE(bytes.find("('m\xFCg.stp','"), std::string::npos);
  EXPECT_EQ(bytes.find('\xE2'), std::string::npos);
}

TEST(StepWriter, PathWithoutSlashNamesTheWholePath) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  std::string dir = ExportTestPath("cwd");
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  ASSERT_EQ(chdir(dir.c_str()), 0);
  int64_t shape, context;
  BeginStepModel("plain", shape, context);
  int64_t ok = WriteStepFile("plain.step", "d");
  std::string bytes = ReadFileBytes("plain.step");
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(ok, 1);
  EXPECT_NE(bytes.find("FILE_NAME('plain.step','"), std::string::npos);
}

TEST(StepWriter, FailuresReturnZeroAndDiscardTheModel) {
  int64_t shape, context;
  BeginStepModel("x", shape, context);
  AddCartesianPoint(0, 0, 0);
  gExportError.clear();
  EXPECT_EQ(WriteStepFile(ExportTestPath("missing/dir/x.stp"), "d"), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_CANNOT_WRITE));
  EXPECT_EQ(StepLineCount(), 0);
  EXPECT_TRUE(gStepLines.text.empty());
  // A folder of that name is left alone.
  std::string dir = ExportTestPath("folder.stp");
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  BeginStepModel("x", shape, context);
  EXPECT_EQ(WriteStepFile(dir, "d"), 0);
  EXPECT_TRUE(FileExists(dir));
  // A device that refuses the bytes: reported, and never removed.
  if (FileExists("/dev/full")) {
    BeginStepModel("x", shape, context);
    gExportError.clear();
    EXPECT_EQ(WriteStepFile("/dev/full", "d"), 0);
    EXPECT_EQ(gExportError, Tx(TX_EXPORT_CANNOT_WRITE));
    EXPECT_TRUE(FileExists("/dev/full"));
  }
}

}  // namespace
