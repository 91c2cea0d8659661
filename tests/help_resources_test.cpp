#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "resources/resources.h"
#include "tests/support/temp_folder.h"
#include "text/texts.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Bytes(const uint8_t* bytes, int64_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
}

// Line breaks in the HTML source are blanks to the reader.
std::string CollapseBlanks(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool blank = c == ' ' || c == '\n';
    if (!(blank && !out.empty() && out.back() == ' ')) out += blank ? ' ' : c;
  }
  return out;
}

std::string SourcePath(const std::string& relative) {
  return std::string(RIBBELO_SOURCE_DIR) + "/" + relative;
}

// The guide as the independent standard-library HTML parser sees it.
std::string ParseWithPython(const std::string& bytes) {
  TempFolder folder;
  std::string name = folder.Path("guide.html");
  std::ofstream(name, std::ios::binary) << bytes;
  std::string command = "/usr/bin/python3 " + SourcePath("tests/support/check_user_guide.py") + " '" + name + "'";
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  EXPECT_EQ(pclose(p), 0) << out;
  return out;
}

const char* const kHead =
    "doctype doctype html\n"
    "lang %s\n"
    "charset utf-8\n"
    "viewport 1\n"
    "title %s\n"
    "h1 Ribbelo\n"
    "styles 1\n"
    "forbidden 0\n"
    "outside 0\n"
    "dangling 0\n"
    "unclosed 0 mismatched 0\n";

std::string Expected(const char* lang, const char* title, const char* chapters) {
  char head[512];
  snprintf(head, sizeof head, kHead, lang, title);
  return std::string(head) + chapters;
}

const char* const kEnglishChapters =
    "chapter overview What does the program do?\n"
    "chapter screen The screen\n"
    "chapter base Base outline\n"
    "chapter pattern Pattern\n"
    "chapter division Division: count or width\n"
    "chapter align Aligning with the mouse\n"
    "chapter warnings Warnings\n"
    "chapter drawing The drawing and the status bar\n"
    "chapter vase 3D preview of the vase\n"
    "chapter export Exporting\n"
    "chapter import Importing (DXF and STL)\n"
    "chapter rhino Working with Rhinoceros\n"
    "chapter project Saving and opening projects\n"
    "chapter keys Keyboard shortcuts\n"
    "chapter problems Problems and questions\n";

const char* const kDutchChapters =
    "chapter overzicht Wat doet het programma?\n"
    "chapter scherm Het scherm\n"
    "chapter basis Basisomtrek\n"
    "chapter patroon Patroon\n"
    "chapter verdeling Verdeling: aantal of breedte\n"
    "chapter uitlijnen Uitlijnen met de muis\n"
    "chapter waarschuwingen Waarschuwingen\n"
    "chapter tekening De tekening en de statusbalk\n"
    "chapter vaas 3D-voorbeeld van de vaas\n"
    "chapter export Exporteren\n"
    "chapter import Inlezen (DXF en STL)\n"
    "chapter rhino Werken met Rhinoceros\n"
    "chapter project Projecten opslaan en openen\n"
    "chapter toetsen Sneltoetsen\n"
    "chapter problemen Problemen en vragen\n";

TEST(EmbeddedGuide, HoldsTheResourceFilesByteForByte) {
  std::string en = Bytes(gUserGuideEn, gUserGuideEnSize);
  std::string nl = Bytes(gUserGuideNl, gUserGuideNlSize);
  EXPECT_EQ(en, ReadFile(SourcePath("resources/user_guide_en.html")));
  EXPECT_EQ(nl, ReadFile(SourcePath("resources/user_guide_nl.html")));
  // The English selector that this test links names the English guide.
  ResourceBytes built = BuiltUserGuide();
  EXPECT_EQ(built.bytes, gUserGuideEn);
  EXPECT_EQ(built.size, gUserGuideEnSize);
  for (const std::string* guide : {&en, &nl}) {
    EXPECT_EQ(guide->rfind("<!doctype html>", 0), 0u);  // no byte-order mark in front
    EXPECT_EQ(guide->find('\0'), std::string::npos);
    EXPECT_EQ(guide->find('\r'), std::string::npos);
  }
}

TEST(EmbeddedGuide, ParsesIntoTheChaptersOfEachBuild) {
  EXPECT_EQ(ParseWithPython(Bytes(gUserGuideEn, gUserGuideEnSize)),
            Expected("en", "Ribbelo - user guide", kEnglishChapters));
  EXPECT_EQ(ParseWithPython(Bytes(gUserGuideNl, gUserGuideNlSize)),
            Expected("nl", "Ribbelo - handleiding", kDutchChapters));
}

TEST(EmbeddedGuide, ExplainsEveryShortcutAndQuotesTheMessages) {
  std::string en = CollapseBlanks(Bytes(gUserGuideEn, gUserGuideEnSize));
  std::string nl = CollapseBlanks(Bytes(gUserGuideNl, gUserGuideNlSize));
  for (const std::string* guide : {&en, &nl}) {
    for (const char* key : {"<kbd>F1</kbd>", "<kbd>F3</kbd>", "<kbd>F5</kbd>", "<kbd>Ctrl</kbd>+<kbd>O</kbd>",
                            "<kbd>Ctrl</kbd>+<kbd>S</kbd>", "<kbd>Ctrl</kbd>+<kbd>Shift</kbd>+<kbd>S</kbd>",
                            "<kbd>Ctrl</kbd>+<kbd>D</kbd>"})
      EXPECT_NE(guide->find(key), std::string::npos) << key;
  }
  // The guide quotes the messages the user sees, in the build's words.
  for (const char* text : {"Width and height must be greater than 0.", "The count must be between 1 and 100000.",
                           "The depth is too large for this outer size.", "Too many points; choose fewer figures.",
                           "The outline is inverted; check the sizes.", "The wall thickness is too large for this outline.",
                           "No closed cross-section found (is the model watertight?).", "This is not a Ribbelo project.",
                           "/tmp/ribbelo_user_guide.html"})
    EXPECT_NE(en.find(text), std::string::npos) << text;
  for (const char* text : {"Breedte en hoogte moeten groter dan 0 zijn.", "Het aantal moet tussen 1 en 100000 liggen.",
                           "De diepte is te groot voor deze buitenmaat.", "Te veel punten; kies minder figuren.",
                           "De omtrek is omgeklapt; controleer de maten.", "De wanddikte is te groot voor deze omtrek.",
                           "Geen gesloten doorsnede gevonden (is het model dicht?).", "Dit is geen Ribbelo-project.",
                           "/tmp/ribbelo_handleiding.html"})
    EXPECT_NE(nl.find(text), std::string::npos) << text;
}

TEST(EmbeddedLogo, IsTheCommittedPngOf256By256Rgba) {
  std::string logo = Bytes(gLogoPng, gLogoPngSize);
  EXPECT_EQ(logo, ReadFile(SourcePath("resources/logo.png")));
  ASSERT_GT(logo.size(), 33u);
  EXPECT_EQ(logo.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(logo.substr(12, 4), "IHDR");
  // width, height (big-endian), bit depth 8, colour type 6 (RGBA)
  EXPECT_EQ(logo.substr(16, 10), std::string("\0\0\1\0\0\0\1\0\x08\x06", 10));
}

TEST(HelpTexts, NameTheGuideFileOfEachBuild) {
  EXPECT_STREQ(gTextsEn[TX_GUIDE_FILE_NAME], "ribbelo_user_guide.html");
  EXPECT_STREQ(gTextsNl[TX_GUIDE_FILE_NAME], "ribbelo_handleiding.html");
  EXPECT_STREQ(gTextsEn[TX_ABOUT_WINDOW_TITLE], "About");
  EXPECT_STREQ(gTextsNl[TX_ABOUT_CLOSE], "Sluiten");
}

}  // namespace
