#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/project_file.h"
#include "engine/number_parse.h"
#include "export/export_file.h"
#include "tests/gui/support/temp_folder.h"
#include "tests/support/comma_locale.h"
#include "tests/support/default_design.h"
#include "text/texts.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  EXPECT_TRUE(line.empty()) << "text must end with a line feed";
  return lines;
}

// The form's defaults with the fitted sizes it shows for them.
void DefaultRecords(DesignParams& p, VaseParams& v, ProjectExtras& e) {
  p = DefaultDesign();
  p.height = 50;
  p.figureWidth = 1.806;
  p.gap = 1.806;
  v = VaseParams();
  v.height = 120;
  v.twist = 0;
  v.topScale = 1;
  v.bulge = 0;
  v.steps = 60;
  v.hollow = 0;
  v.wallThickness = 1.6;
  v.bottomThickness = 2;
  v.innerWallMode = 0;
  e = ProjectExtras();
  e.showGrid = 1;
  e.showBaseLine = 1;
  e.showFill = 1;
  e.stepHeight = 10;
  e.stlZ = 10;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Dir().empty()); }
  std::string Path(const std::string& name) const { return folder_.Path(name); }
  std::vector<std::string> FolderEntries() const { return folder_.Entries(); }
  // Saves, reads into fresh records, saves again: the bytes must not change.
  void ExpectStableRoundTrip(const DesignParams& p, const VaseParams& v, const ProjectExtras& e) {
    std::string first = Path("first.omt"), second = Path("second.omt");
    ASSERT_EQ(WriteProjectFile(first, p, v, e), 1);
    DesignParams p2;
    VaseParams v2;
    ProjectExtras e2;
    ASSERT_EQ(ReadProjectFile(first, p2, v2, e2), 1);
    EXPECT_EQ(gFileErrorText, "");
    ASSERT_EQ(WriteProjectFile(second, p2, v2, e2), 1);
    EXPECT_EQ(ReadBytes(first), ReadBytes(second));
  }
  TempFolder folder_;
};

TEST_F(ProjectFileTest, DefaultProjectByteForByte) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  std::string text = ComposeProjectText(p, v, e);
  ASSERT_EQ(text.substr(0, 4), "\xEF\xBB\xBF\n");
  std::vector<std::string> lines = Lines(text.substr(4));
  const std::vector<std::string> expected = {
      ";  Ribbelo - project", "[Omtrek]", "versie = 1", "[Basis]", "vorm = 0", "breedte = 50.000000000",
      "hoogte = 50.000000000", "hoekradius = 5.000000000", "maat = 0", "[Patroon]", "figuur = 1", "richting = 1",
      "verdeling = 0", "aantal = 40", "breedte = 1.806000000", "tussenruimte = 1.806000000",
      "diepte = 2.000000000", "topbreedte = 1.000000000", "afronding = 0.000000000",
      "verschuiving = 0.000000000", "[Instellingen]", "kleinste_maat = 0.400000000",
      "puntafstand = 0.100000000", "[Vaas]", "hoogte = 120.000000000", "twist = 0.000000000",
      "schaal_boven = 1.000000000", "bolling = 0.000000000", "stappen = 60", "hol = 0",
      "wanddikte = 1.600000000", "bodemdikte = 2.000000000", "binnenwand = 0", "[Weergave]", "raster = 1",
      "basislijn = 1", "vullen = 1", "3d = 0", "[Export]", "step_als = 0", "step_hoogte = 10.000000000",
      "basislijn = 0", "[Import]", "bestand = ", "stl = 0", "stl_z = 10.000000000", "breedte = 0.000000000",
      "hoogte = 0.000000000", "punten = 0"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.size() + 1, 50u);  // with the mark's own line
}

TEST_F(ProjectFileTest, NumbersAreLocaleFree) {
  EXPECT_EQ(FormatProjectNumber(-0.0), "0.000000000");
  EXPECT_EQ(FormatProjectNumber(-0.25), "-0.250000000");
  EXPECT_EQ(FormatProjectNumber(1.6), "1.600000000");
  EXPECT_EQ(FormatProjectNumber(-1e-12), "0.000000000");
  EXPECT_EQ(FormatProjectNumber(-4.9e-10), "0.000000000");
  EXPECT_EQ(FormatProjectNumber(-5.1e-10), "-0.000000001");
  EXPECT_EQ(FormatProjectNumber(INFINITY), "+Infinity");
  EXPECT_EQ(FormatProjectNumber(NAN), "NaN");
  if (!UseCommaLocale()) GTEST_SKIP() << "no comma locale";
  EXPECT_EQ(FormatProjectNumber(12.5), "12.500000000");
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  ASSERT_EQ(ReadProjectText("[Omtrek]\nversie=1\n[Basis]\nbreedte = 12.25\n", p, v, e), 1);
  EXPECT_EQ(p.width, 12.25);
  RestoreCLocale();
}

TEST_F(ProjectFileTest, RoundTripsAreByteIdentical) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;

  DefaultRecords(p, v, e);
  p.shapeKind = SHAPE_RECTANGLE;
  p.height = 30;
  p.divideByWidth = 1;
  ExpectStableRoundTrip(p, v, e);

  DefaultRecords(p, v, e);
  p.figureKind = FIGURE_TRAPEZOID;
  p.direction = DIRECTION_INWARD;
  p.topWidth = 0.75;
  ExpectStableRoundTrip(p, v, e);

  DefaultRecords(p, v, e);
  p.shift = 0.125;
  v.hollow = 1;
  v.topScale = 0.8;
  v.bulge = -0.1;
  v.innerWallMode = 2;
  e.show3d = 1;
  e.stepAs = 1;
  ExpectStableRoundTrip(p, v, e);
  EXPECT_NE(ReadBytes(Path("first.omt")).find("\nverschuiving = 0.125000000\n"), std::string::npos);
}

TEST_F(ProjectFileTest, ImportedOutlineAsPointLines) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  p.shapeKind = SHAPE_IMPORTED;
  p.importWidth = 20;
  p.importHeight = 10;
  for (int i = 0; i < 250; ++i) AddListPoint(p.importPoints, 10 * std::sin(i * 0.0251), 5 * std::cos(i * 0.0251));
  e.importFile = "/home/a/part.dxf";
  ExpectStableRoundTrip(p, v, e);

  std::vector<std::string> lines = Lines(ReadBytes(Path("first.omt")).substr(4));
  ASSERT_EQ(lines.size(), 52u);
  auto count = [](const std::string& line) { return std::count(line.begin(), line.end(), '|') + 1; };
  EXPECT_EQ(lines[48], "punten = 250");
  EXPECT_EQ(lines[49].rfind("r0 = ", 0), 0u);
  EXPECT_EQ(count(lines[49]), 100);
  EXPECT_EQ(lines[50].rfind("r1 = ", 0), 0u);
  EXPECT_EQ(count(lines[50]), 100);
  EXPECT_EQ(lines[51].rfind("r2 = ", 0), 0u);
  EXPECT_EQ(count(lines[51]), 50);

  p.importPoints.resize(2);
  p.importPoints[0] = {12.5, -3.25};
  p.importPoints[1] = {12.4, -3.3};
  std::string text = ComposeProjectText(p, v, e);
  EXPECT_NE(text.find("\nr0 = 12.500000000;-3.250000000|12.400000000;-3.300000000\n"), std::string::npos);
}

TEST_F(ProjectFileTest, LenientReading) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  // No mark, CR LF, capitals, no blanks around "=", a decimal comma, stray
  // values for every clamped key, a repeated group and a repeated key.
  std::string file =
      "; comment\r\n[OMTREK]\r\nversie = 3\r\n\r\n  [BASIS] trailing\r\nVorm=2\r\nbreedte = 1,5\r\n"
      "breedte = 99\r\nmaat = 5\r\n[Patroon]\r\nfiguur = 9\r\nrichting = 0\r\nverdeling = 7\r\n"
      "aantal = 12.7 ; note\r\n[Vaas]\r\nhol = 2\r\nbinnenwand = 5\r\n[Weergave]\r\nraster = 0\r\n3d = 9\r\n"
      "[Export]\r\nstep_als = -1\r\n[Import]\r\nbestand =  caf\xE9 ; x \r\n[Basis]\r\nhoogte = 77\r\n";
  ASSERT_EQ(ReadProjectText(file, p, v, e), 1);
  EXPECT_EQ(p.shapeKind, SHAPE_RECTANGLE);
  EXPECT_EQ(p.width, 1.0);
  EXPECT_EQ(p.height, 50.0);  // only the first [Basis] counts
  EXPECT_EQ(p.sizeIsInner, 0);
  EXPECT_EQ(p.figureKind, FIGURE_RECTANGLE);
  EXPECT_EQ(p.direction, DIRECTION_OUTWARD);
  EXPECT_EQ(p.divideByWidth, 0);
  EXPECT_EQ(p.count, 12);
  EXPECT_EQ(v.hollow, 1);
  EXPECT_EQ(v.innerWallMode, 0);
  EXPECT_EQ(e.showGrid, 0);
  EXPECT_EQ(e.show3d, 1);
  EXPECT_EQ(e.stepAs, 0);
  EXPECT_EQ(e.importFile, "caf\xC3\xA9 ; x");  // ISO 8859-1 without the mark
  EXPECT_EQ(gFileErrorText, "");
}

TEST_F(ProjectFileTest, MissingKeysKeepCurrentValuesRounded) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  p.width = 1.23456789012;
  e.importFile = "old.dxf";
  e.importIsStl = 1;
  p.importWidth = 4;
  ASSERT_EQ(ReadProjectText("\xEF\xBB\xBF\n[Omtrek]\nversie = 1\n[Basis]\nmaat = x\n", p, v, e), 1);
  EXPECT_EQ(p.width, 1.23456789);
  EXPECT_EQ(p.sizeIsInner, 0);   // present without a number reads 0
  EXPECT_EQ(v.height, 120.0);
  EXPECT_EQ(e.importFile, "");   // the import keys default to nothing
  EXPECT_EQ(e.importIsStl, 0);
  EXPECT_EQ(p.importWidth, 0.0);
}

TEST_F(ProjectFileTest, NotAProjectChangesNothing) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  std::string path = Path("notes.txt");
  WriteBytes(path, "[Basis]\nvorm = 2\nJust some text.\n");
  EXPECT_EQ(ReadProjectFile(path, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "This is not a Ribbelo project.");
  EXPECT_EQ(p.shapeKind, SHAPE_CIRCLE);

  for (const std::string& bad : {Path("missing.omt"), folder_.Dir(), Path("empty.omt")}) {
    if (bad == Path("empty.omt")) WriteBytes(bad, "");
    EXPECT_EQ(ReadProjectFile(bad, p, v, e), 0) << bad;
    EXPECT_EQ(gFileErrorText, "Cannot open the file.");
  }
  gTexts = gTextsNl;
  EXPECT_EQ(ReadProjectFile(path, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "Dit is geen Ribbelo-project.");
  gTexts = gTextsEn;
}

TEST_F(ProjectFileTest, IncompleteOutlineIsDroppedWithAWarning) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  std::string head = "\xEF\xBB\xBF\n[Omtrek]\nversie = 1\n[Basis]\nvorm = 3\n[Import]\n";
  std::string line;
  for (int i = 0; i < 100; ++i) {
    if (i > 0) line += '|';
    line += std::to_string(i) + ".5;1";
  }
  ASSERT_EQ(ReadProjectText(head + "punten = 150\nr0 = " + line + "\n", p, v, e), 1);
  EXPECT_TRUE(p.importPoints.empty());
  EXPECT_EQ(p.shapeKind, SHAPE_CIRCLE);
  EXPECT_EQ(gFileErrorText, "The imported outline in the project is incomplete.");

  p.shapeKind = SHAPE_IMPORTED;
  ASSERT_EQ(ReadProjectText(head + "punten = 0\n", p, v, e), 1);
  EXPECT_EQ(p.shapeKind, SHAPE_IMPORTED);
  EXPECT_EQ(gFileErrorText, "");

  for (const char* n : {"-1", "10000001"}) {
    ASSERT_EQ(ReadProjectText(head + "punten = " + n + "\n", p, v, e), 1);
    EXPECT_EQ(p.shapeKind, SHAPE_CIRCLE) << n;
    EXPECT_FALSE(gFileErrorText.empty());
  }

  ASSERT_EQ(ReadProjectText(head + "punten = 2\nr0 = 1;2;9|3\n", p, v, e), 1);
  ASSERT_EQ(p.importPoints.size(), 2u);
  EXPECT_EQ(p.importPoints[0].x, 1);
  EXPECT_EQ(p.importPoints[0].y, 2);
  EXPECT_EQ(p.importPoints[1].x, 3);
  EXPECT_EQ(p.importPoints[1].y, 0);

  // Coordinates in every form a real value takes elsewhere in the file.
  const std::vector<std::string> forms = {"0x10",   " +2.5", "1e400", "-1e-400", "1,5", "-0.1e1x", "NaN",
                                          "nope",  "+Infinity", "", "0.1000000000000000055511151231257827",
                                          "12.5e", "-0", "x"};
  std::string r0;
  for (size_t i = 0; i < forms.size(); ++i) r0 += (i ? "|" : "") + forms[i] + ";" + forms[forms.size() - 1 - i];
  ASSERT_EQ(ReadProjectText(head + "punten = 14\nr0 = " + r0 + "\n", p, v, e), 1);
  ASSERT_EQ(p.importPoints.size(), forms.size());
  for (size_t i = 0; i < forms.size(); ++i) {
    double x = p.importPoints[i].x, y = p.importPoints[i].y;
    double wantX = ParseNumberPrefix(forms[i]), wantY = ParseNumberPrefix(forms[forms.size() - 1 - i]);
    EXPECT_TRUE(x == wantX || (std::isnan(x) && std::isnan(wantX))) << forms[i];
    EXPECT_TRUE(y == wantY || (std::isnan(y) && std::isnan(wantY))) << forms[forms.size() - 1 - i];
    EXPECT_EQ(std::signbit(x), std::signbit(wantX)) << forms[i];
  }
}

TEST_F(ProjectFileTest, LineBreaksInTextsCannotForgeKeys) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  e.importFile = "/tmp/a\npunten = 0\rb.dxf";
  std::string path = Path("a.omt");
  ASSERT_EQ(WriteProjectFile(path, p, v, e), 1);
  EXPECT_EQ(Lines(ReadBytes(path).substr(4)).size(), 49u);
  ProjectExtras back;
  ASSERT_EQ(ReadProjectFile(path, p, v, back), 1);
  EXPECT_EQ(back.importFile, "/tmp/a punten = 0 b.dxf");
}

TEST_F(ProjectFileTest, FailedWriteKeepsTheOldFile) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  std::string path = Path("keep.omt");
  ASSERT_EQ(WriteProjectFile(path, p, v, e), 1);
  std::string before = ReadBytes(path);
  for (int i = 0; i < 2000; ++i) AddListPoint(p.importPoints, i, i);
  int result = RunWithFileSizeLimit(512, [&] {
    return WriteProjectFile(path, p, v, e) == 0 && gFileErrorText == "Cannot write the file." ? 0 : 1;
  });
  EXPECT_EQ(result, 0) << "the write must fail with its message";
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"keep.omt"});
}

TEST_F(ProjectFileTest, SaveKeepsModeAndLinks) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  std::string real = Path("real.omt"), link = Path("link.omt");
  WriteBytes(real, "old");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real.omt", link.c_str()), 0);
  ASSERT_EQ(WriteProjectFile(link, p, v, e), 1);
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadBytes(real), ComposeProjectText(p, v, e));
  // A folder in the way is refused, not replaced.
  std::string folder = Path("folder.omt");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_EQ(WriteProjectFile(folder, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "Cannot write the file.");
}

// Saving edge cases: a write-protected project is refused like a write in
// place, the longest file name still saves, a temporary left by a killed
// save goes with the next save of the same project, a device is written in
// place and never removed.
TEST_F(ProjectFileTest, SaveRespectsProtectionNameLengthAndStaleTemporaries) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  const std::string locked = Path("locked.omt");
  WriteBytes(locked, "old");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  EXPECT_EQ(WriteProjectFile(locked, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "Cannot write the file.");
  EXPECT_EQ(ReadBytes(locked), "old");

  const std::string longName = std::string(251, 'n') + ".omt";
  ASSERT_EQ(WriteProjectFile(Path(longName), p, v, e), 1);
  EXPECT_EQ(ReadBytes(Path(longName)), ComposeProjectText(p, v, e));

  const std::string stale = TemporaryPrefixFor("a.omt") + "Xy12Zq";
  const std::string other = TemporaryPrefixFor("b.omt") + "Xy12Zq";
  WriteBytes(Path(stale), "half");
  WriteBytes(Path(other), "half");
  ASSERT_EQ(WriteProjectFile(Path("a.omt"), p, v, e), 1);
  std::vector<std::string> entries = FolderEntries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{other, "a.omt", "locked.omt", longName}));

  if (access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(WriteProjectFile("/dev/full", p, v, e), 0);
    EXPECT_EQ(access("/dev/full", F_OK), 0);
  }
}

// A file is judged by its head before it is read whole: 2 GB of zeros is
// no project, a project head on a file past the limit cannot be opened,
// and the group line may come after comments and blank lines.
TEST_F(ProjectFileTest, LargeFilesAreJudgedByTheirHead) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  DefaultRecords(p, v, e);
  const std::string zeros = Path("zeros.omt"), big = Path("big.omt"), late = Path("late.omt");
  WriteBytes(zeros, "");
  ASSERT_EQ(truncate(zeros.c_str(), off_t{2} << 30), 0);
  EXPECT_EQ(ReadProjectFile(zeros, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "This is not a Ribbelo project.");
  WriteBytes(big, "[Omtrek]\nversie = 1\n");
  ASSERT_EQ(truncate(big.c_str(), PROJECT_MAX_FILE_BYTES + 1), 0);
  EXPECT_EQ(ReadProjectFile(big, p, v, e), 0);
  EXPECT_EQ(gFileErrorText, "Cannot open the file.");
  // Past the head, but a group line within it.
  WriteBytes(late, std::string(1000, '\n') + ";" + std::string(70000, 'x') + "\n[Omtrek]\nversie = 1\n[Basis]\nvorm = 2\n");
  EXPECT_EQ(ReadProjectFile(late, p, v, e), 0) << "the group line lies past the head";
  WriteBytes(late, "; note\n\n  [Omtrek]\nversie = 1\n[Basis]\nvorm = 2\n" + std::string(70000, ';') + "\n");
  ASSERT_EQ(ReadProjectFile(late, p, v, e), 1);
  EXPECT_EQ(p.shapeKind, 2);
}

}  // namespace
