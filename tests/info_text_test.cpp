#include <gtest/gtest.h>

#include <string>

#include "engine/info_text.h"
#include "tests/support/comma_locale.h"
#include "tests/support/default_design.h"

namespace {

DesignResult ValidResult() {
  DesignResult r;
  r.valid = 1;
  r.count = 40;
  r.pitch = 3.6128;
  r.figureWidth = 1.8064;
  r.gap = 1.8064;
  r.depth = 2;
  r.topWidth = 0.9032;
  r.fillet = 0.25;
  r.baseLength = 144.5132;
  r.patternLength = 304.51;
  r.minX = -25;
  r.maxX = 25;
  r.minY = -24.9995;
  r.maxY = 25;
  r.outlinePoints.resize(1234);
  return r;
}

TEST(InfoLine, LabelPaddedOrCutTo18Characters) {
  EXPECT_EQ(FormatInfoLine("Pitch", "3.613 mm"), "Pitch             3.613 mm\n");
  EXPECT_EQ(FormatInfoLine("", "x"), std::string(18, ' ') + "x\n");
  EXPECT_EQ(FormatInfoLine("exactly eighteen!!", "v"), "exactly eighteen!!v\n");
  EXPECT_EQ(FormatInfoLine("a label longer than eighteen", "v"), "a label longer thav\n");
  // Characters, not bytes: "é" is one of them and is never split.
  EXPECT_EQ(FormatInfoLine("Diepte é", "1"), "Diepte é" + std::string(10, ' ') + "1\n");
  EXPECT_EQ(FormatInfoLine(std::string(17, 'a') + "éé", "1"), std::string(17, 'a') + "é1\n");
}

TEST(InfoText, InvalidShowsOnlyTheMessage) {
  DesignResult r = ValidResult();
  r.valid = 0;
  r.message = "The depth must be greater than 0.";
  r.warnings.push_back("ignored");
  EXPECT_EQ(BuildInfoText(r, DefaultDesign(), 0, ""), "Invalid: The depth must be greater than 0.");
  DutchTexts dutch;
  EXPECT_EQ(BuildInfoText(r, DefaultDesign(), 0, ""), "Ongeldig: The depth must be greater than 0.");
}

TEST(InfoText, AllLinesOfAFilletedTrapezoidOnAnImportedShape) {
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_TRAPEZOID;
  p.fillet = 0.5;
  p.shapeKind = SHAPE_IMPORTED;
  p.importWidth = 81.456;
  p.importHeight = 40;
  DesignResult r = ValidResult();
  r.warnings = {"Fillet reduced to 0.250 mm (does not fit).", "Pitch 0.60 mm is very small."};
  EXPECT_EQ(BuildInfoText(r, p, 1, "/home/user/drawings/vase.dxf"),
            "Division          by width\n"
            "Count             40\n"
            "Pitch             3.613 mm\n"
            "Width             1.806 mm\n"
            "Gap               1.806 mm\n"
            "Depth             2.000 mm\n"
            "Top width         0.903 mm\n"
            "Fillet            0.250 mm\n"
            "\n"
            "Imported          vase.dxf (81.46 x 40.00 mm)\n"
            "Base line length  144.513 mm\n"
            "Pattern length    304.510 mm\n"
            "Outer size        50.000 x 49.999 mm\n"
            "Points            1234\n"
            "\nWarnings:\n"
            "! Fillet reduced to 0.250 mm (does not fit).\n"
            "! Pitch 0.60 mm is very small.\n");
}

TEST(InfoText, DutchLabels) {
  DutchTexts dutch;
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_TRAPEZOID;
  p.fillet = 1;
  p.shapeKind = SHAPE_IMPORTED;
  DesignResult r = ValidResult();
  r.warnings = {"x"};
  std::string text = BuildInfoText(r, p, 0, "omtrek.dxf");
  EXPECT_EQ(text,
            "Verdeling         op aantal\n"
            "Aantal            40\n"
            "Steek             3.613 mm\n"
            "Breedte           1.806 mm\n"
            "Tussenruimte      1.806 mm\n"
            "Diepte            2.000 mm\n"
            "Topbreedte        0.903 mm\n"
            "Afronding         0.250 mm\n"
            "\n"
            "Ingelezen         omtrek.dxf (0.00 x 0.00 mm)\n"
            "Lengte basislijn  144.513 mm\n"
            "Lengte patroon    304.510 mm\n"
            "Buitenmaat        50.000 x 49.999 mm\n"
            "Punten            1234\n"
            "\nWaarschuwingen:\n"
            "! x\n");
}

TEST(InfoText, LinesDependOnTheFigureKind) {
  DesignResult r = ValidResult();
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_NONE;
  EXPECT_EQ(BuildInfoText(r, p, 0, ""),
            "Base line length  144.513 mm\n"
            "Pattern length    304.510 mm\n"
            "Outer size        50.000 x 49.999 mm\n"
            "Points            1234\n");
  // Imported without a figure: no empty line before the file line.
  p.shapeKind = SHAPE_IMPORTED;
  EXPECT_EQ(BuildInfoText(r, p, 0, "plain").rfind("Imported          plain (", 0), 0u);
  // The sine has no gap line and never a fillet line.
  p = DefaultDesign();
  p.figureKind = FIGURE_SINE;
  p.fillet = 2;
  std::string sine = BuildInfoText(r, p, 0, "");
  EXPECT_EQ(sine.find("Gap"), std::string::npos);
  EXPECT_EQ(sine.find("Fillet"), std::string::npos);
  EXPECT_EQ(sine.find("Top width"), std::string::npos);
  // A fillet line only when one was asked for.
  p.figureKind = FIGURE_RECTANGLE;
  p.fillet = 0;
  EXPECT_EQ(BuildInfoText(r, p, 0, "").find("Fillet"), std::string::npos);
  p.figureKind = FIGURE_HALF_CIRCLE;
  p.fillet = 1;
  std::string half = BuildInfoText(r, p, 0, "");
  EXPECT_EQ(half.find("Fillet"), std::string::npos);
  EXPECT_NE(half.find("Gap               1.806 mm\n"), std::string::npos);
}

TEST(StatusTexts, FieldsFollowValidityAndFigure) {
  std::string t[4];
  DesignParams p = DefaultDesign();
  DesignResult r = ValidResult();
  BuildStatusTexts(r, p, t);
  EXPECT_EQ(t[0], "Pitch = 3.61 mm");
  EXPECT_EQ(t[1], "Count = 40");
  EXPECT_EQ(t[2], "Circumference = 144.51 mm");
  EXPECT_EQ(t[3], "");
  p.figureKind = FIGURE_NONE;
  BuildStatusTexts(r, p, t);
  EXPECT_EQ(t[0], "");
  EXPECT_EQ(t[1], "");
  EXPECT_EQ(t[2], "Circumference = 144.51 mm");
  // Invalid after a warning: only the warning count remains.
  p = DefaultDesign();
  r.valid = 0;
  r.warnings = {"The sizes could not be fitted exactly (count too small?)."};
  BuildStatusTexts(r, p, t);
  EXPECT_EQ(t[0], "");
  EXPECT_EQ(t[1], "");
  EXPECT_EQ(t[2], "");
  EXPECT_EQ(t[3], "! 1 warning(s)");
  DutchTexts dutch;
  r = ValidResult();
  r.warnings = {"a", "b"};
  BuildStatusTexts(r, p, t);
  EXPECT_EQ(t[0], "Steek = 3.61 mm");
  EXPECT_EQ(t[1], "Aantal = 40");
  EXPECT_EQ(t[2], "Omtrek = 144.51 mm");
  EXPECT_EQ(t[3], "! 2 waarschuwing(en)");
}

TEST(InfoText, NumbersIgnoreTheLocale) {
  if (!UseCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  DesignResult r = ValidResult();
  std::string text = BuildInfoText(r, DefaultDesign(), 0, "");
  std::string t[4];
  BuildStatusTexts(r, DefaultDesign(), t);
  RestoreCLocale();
  EXPECT_NE(text.find("Pitch             3.613 mm\n"), std::string::npos);
  EXPECT_EQ(t[0], "Pitch = 3.61 mm");
}

}  // namespace
