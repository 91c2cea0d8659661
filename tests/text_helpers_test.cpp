// The shared text and path helpers keep the rules their callers rely on:
// the field and DXF trims leave tabs, the project file's drops them.
#include <gtest/gtest.h>

#include <string>

#include "engine/text_helpers.h"

TEST(TextHelpers, TrimCaseAndPathParts) {
  EXPECT_EQ(TrimBlanks("  \t1,5 \t "), "\t1,5 \t");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanksAndTabs(" \t waarde\t "), "waarde");
  EXPECT_EQ(TrimBlanksAndTabs("\t"), "");
  EXPECT_EQ(AsciiLower("Halve Cirkel_Ä@[Z"), "halve cirkel_Ä@[z");
  EXPECT_EQ(AsciiUpper("lwPolyline`{é"), "LWPOLYLINE`{é");
  EXPECT_EQ(FilePart("/a/b/part.omt"), "part.omt");
  EXPECT_EQ(FilePart("part.omt"), "part.omt");
  EXPECT_EQ(FilePart("/a/"), "");
  EXPECT_EQ(FolderPart("/a/b/part.omt"), "/a/b/");
  EXPECT_EQ(FolderPart("part.omt"), "");
  EXPECT_EQ(ProductNameOfPath("/x/it's.v2.stp"), "its.v2");
  EXPECT_EQ(ToSingleByteText("Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC\xC3"), "Gr\xF6\xDF" "e ");
}
