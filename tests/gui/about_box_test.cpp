#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/about_box.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/platform/window_system_internal.h"
#include "app/png_image.h"
#include "resources/resources.h"
#include "tests/gui/support/help_windows.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

const char* const kVersionTitle = "Ribbelo 1.00";

// What the probe saw while the box's own loop ran.
struct BoxProbe {
  std::function<void(GtkWidget*)> close;  // the user's way of closing it
  int stage = 0;
  bool watchdogFired = false;
  bool stillOpenAfterStrayEvents = false;
  std::string windowTitle, title, label, button;
  bool parentSensitive = true;
  bool transientForParent = false;
  bool resizable = true;
  int width = 0, height = 0;
  int x = 0, y = 0;            // origin of the box on the screen
  int parentX = 0, parentY = 0;
  bool logoGadget = false;
  bool titleFontLoaded = false;
  std::string titleFamily;
  int titleWeight = 0;
  int titleSizePoints = 0;
  std::function<void(BoxProbe&)> extra;  // more looks while the box is open
};

const char* const kEnglishLabel = "Created using: GTK 3, cairo, Pango, GdkPixbuf, GLib, libpng and mimalloc";
const char* const kDutchLabel = "Gemaakt met: GTK 3, cairo, Pango, GdkPixbuf, GLib, libpng en mimalloc";

// A box that never closes must fail the test, not hang it.
gboolean Watchdog(gpointer data) {
  auto* probe = static_cast<BoxProbe*>(data);
  if (!IsWindowOpen(WINDOW_ABOUT)) return G_SOURCE_REMOVE;
  probe->watchdogFired = true;
  WindowEvent close;
  close.kind = EVENT_CLOSE_WINDOW;
  close.window = WINDOW_ABOUT;
  PostEvent(close);
  return G_SOURCE_CONTINUE;
}

void RecordOpenBox(BoxProbe& probe, GtkWidget* about) {
  probe.windowTitle = GetWindowTitle(WINDOW_ABOUT);
  probe.title = GetGadgetText(WINDOW_ABOUT, ABOUT_TITLE);
  // The label with the libraries below it.
  probe.label = GetGadgetText(WINDOW_ABOUT, ABOUT_LABEL) + " " + GetGadgetText(WINDOW_ABOUT, ABOUT_LIBRARIES);
  probe.button = GetGadgetText(WINDOW_ABOUT, ABOUT_CLOSE);
  probe.logoGadget = GadgetExists(WINDOW_ABOUT, ABOUT_LOGO) != 0;
  GtkWidget* parent = ToolkitWindow(WINDOW_MAIN);
  probe.parentSensitive = gtk_widget_get_sensitive(parent);
  probe.transientForParent = gtk_window_get_transient_for(GTK_WINDOW(about)) == GTK_WINDOW(parent);
  probe.resizable = gtk_window_get_resizable(GTK_WINDOW(about));
  gtk_window_get_size(GTK_WINDOW(about), &probe.width, &probe.height);
  gdk_window_get_origin(gtk_widget_get_window(about), &probe.x, &probe.y);
  gdk_window_get_origin(gtk_widget_get_window(parent), &probe.parentX, &probe.parentY);
  probe.titleFontLoaded = IsFontLoaded(FONT_ABOUT_TITLE) != 0;
  // The font the title label is drawn with.
  GList* children = gtk_container_get_children(GTK_CONTAINER(FindWidgetOfType(about, GTK_TYPE_LAYOUT)));
  for (GList* c = children; c != nullptr; c = c->next) {
    GtkWidget* w = FindWidgetOfType(GTK_WIDGET(c->data), GTK_TYPE_LABEL);
    if (w != nullptr && probe.title == gtk_label_get_text(GTK_LABEL(w))) {
      PangoFontDescription* font = nullptr;
      GtkStyleContext* style = gtk_widget_get_style_context(w);
      gtk_style_context_get(style, gtk_style_context_get_state(style), "font", &font, nullptr);
      if (font != nullptr) {
        probe.titleFamily = pango_font_description_get_family(font) ? pango_font_description_get_family(font) : "";
        probe.titleWeight = pango_font_description_get_weight(font);
        probe.titleSizePoints = pango_font_description_get_size(font) / PANGO_SCALE;
        pango_font_description_free(font);
      }
    }
  }
  g_list_free(children);
}

gboolean ProbeTick(gpointer data) {
  auto* probe = static_cast<BoxProbe*>(data);
  GtkWidget* about = ToolkitWindow(WINDOW_ABOUT);
  if (about == nullptr || !gtk_widget_get_mapped(about)) return G_SOURCE_CONTINUE;
  if (probe->stage == 0) {
    SettleToolkit();
    RecordOpenBox(*probe, about);
    if (probe->extra) probe->extra(*probe);
    // Neither an event of the main window nor a focus event of the button
    // may end the box's loop.
    WindowEvent stray;
    stray.kind = EVENT_GADGET;
    stray.window = WINDOW_MAIN;
    stray.id = GADGET_OPEN_BUTTON;
    stray.type = EVENT_CLICK;
    PostEvent(stray);
    stray.window = WINDOW_ABOUT;
    stray.id = ABOUT_CLOSE;
    stray.type = EVENT_FOCUS;
    PostEvent(stray);
    probe->stage = 1;
    return G_SOURCE_CONTINUE;
  }
  if (QueuedEventCount() > 0) return G_SOURCE_CONTINUE;
  probe->stillOpenAfterStrayEvents = IsWindowOpen(WINDOW_ABOUT) != 0;
  probe->close(about);
  g_timeout_add_seconds(20, Watchdog, probe);
  return G_SOURCE_REMOVE;
}

void RunAboutBox(BoxProbe& probe, int64_t dutch, const uint8_t* logo, const uint8_t* logoEnd) {
  g_timeout_add(20, ProbeTick, &probe);
  EXPECT_EQ(ShowAboutBox(WINDOW_MAIN, kVersionTitle, logo, logoEnd, dutch), 0);
  // The probe tick and the watchdog, whichever are still there.
  while (g_source_remove_by_user_data(&probe)) {
  }
}

void RunAboutBox(BoxProbe& probe, int64_t dutch) { RunAboutBox(probe, dutch, gLogoPng, gLogoPng + gLogoPngSize); }

// The real main window of the program is the parent.
class AboutBox : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    SettleToolkit();
  }
  void ExpectClosedAndParentBack(const BoxProbe& probe) {
    EXPECT_FALSE(probe.watchdogFired);
    EXPECT_TRUE(probe.stillOpenAfterStrayEvents);
    EXPECT_EQ(IsWindowOpen(WINDOW_ABOUT), 0);
    EXPECT_FALSE(probe.parentSensitive);
    EXPECT_TRUE(gtk_widget_get_sensitive(ToolkitWindow(WINDOW_MAIN)));
    EXPECT_EQ(IsFontLoaded(FONT_ABOUT_TITLE), 0);
    EXPECT_EQ(QueuedEventCount(), 0);  // the stray events were taken and dropped
  }
  void ExpectTexts(const BoxProbe& probe, const char* windowTitle, const char* label, const char* button) {
    EXPECT_EQ(probe.windowTitle, windowTitle);
    EXPECT_EQ(probe.title, kVersionTitle);
    EXPECT_EQ(probe.label, label);
    EXPECT_EQ(probe.button, button);
  }
};

TEST_F(AboutBox, ShowsTheEnglishTextsAndClosesWithEscape) {
  BoxProbe probe;
  probe.close = [](GtkWidget* about) { SendKey(about, GDK_KEY_Escape); };
  RunAboutBox(probe, 0);
  ExpectTexts(probe, "About", kEnglishLabel, "Close");
  EXPECT_TRUE(probe.logoGadget);
  EXPECT_TRUE(probe.titleFontLoaded);
  EXPECT_EQ(probe.titleFamily, "Sans");
  EXPECT_EQ(probe.titleWeight, PANGO_WEIGHT_BOLD);
  EXPECT_EQ(probe.titleSizePoints, 12);
  ExpectClosedAndParentBack(probe);
}

TEST_F(AboutBox, ShowsTheDutchTextsAndClosesWithReturn) {
  BoxProbe probe;
  probe.close = [](GtkWidget* about) { SendKey(about, GDK_KEY_Return); };
  RunAboutBox(probe, 1);
  ExpectTexts(probe, "Over", kDutchLabel, "Sluiten");
  ExpectClosedAndParentBack(probe);
}

TEST_F(AboutBox, IsAFixedBoxCentredOverItsParent) {
  BoxProbe probe;
  probe.close = [](GtkWidget* about) {
    GtkWidget* button = FindWidgetOfType(about, GTK_TYPE_BUTTON);
    ASSERT_NE(button, nullptr);
    gtk_button_clicked(GTK_BUTTON(button));
  };
  RunAboutBox(probe, 0);
  EXPECT_EQ(probe.width, 600);
  EXPECT_EQ(probe.height, 300);
  EXPECT_FALSE(probe.resizable);
  EXPECT_TRUE(probe.transientForParent);
  // Centred over the parent.
  EXPECT_NEAR(probe.x, probe.parentX + (WindowInnerWidth(WINDOW_MAIN) - 600) / 2, 2);
  EXPECT_NEAR(probe.y, probe.parentY + (WindowInnerHeight(WINDOW_MAIN) - 300) / 2, 2);
  ExpectClosedAndParentBack(probe);
}

TEST_F(AboutBox, OpensFromTheHelpItemWithTheLogoAndTheVersion) {
  BoxProbe probe;
  probe.close = [](GtkWidget* about) { SendKey(about, GDK_KEY_Escape); };
  g_timeout_add(20, ProbeTick, &probe);
  PostMenuEvent(MENU_ABOUT);
  while (g_source_remove_by_user_data(&probe)) {
  }
  ExpectTexts(probe, "About", kEnglishLabel, "Close");
  EXPECT_TRUE(probe.logoGadget);
  ExpectClosedAndParentBack(probe);
}

TEST_F(AboutBox, ClosesOnTheWindowsCloseRequest) {
  BoxProbe probe;
  probe.close = [](GtkWidget* about) { gtk_window_close(GTK_WINDOW(about)); };
  RunAboutBox(probe, 1);
  ExpectClosedAndParentBack(probe);
}

TEST_F(AboutBox, OpensWithoutALogoThatCannotBeDecoded) {
  const uint8_t broken[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
  for (int variant = 0; variant < 3; ++variant) {
    BoxProbe probe;
    probe.close = [](GtkWidget* about) { SendKey(about, GDK_KEY_Escape); };
    if (variant == 0) RunAboutBox(probe, 0, broken, broken + sizeof broken);
    if (variant == 1) RunAboutBox(probe, 0, nullptr, nullptr);
    if (variant == 2) RunAboutBox(probe, 0, gLogoPng + 10, gLogoPng);  // end before start
    EXPECT_FALSE(probe.logoGadget) << variant;
    EXPECT_EQ(probe.label, kEnglishLabel);
    ExpectClosedAndParentBack(probe);
  }
}

// The colour of a screen pixel as ImageMagick reads it from a screenshot.
std::string ScreenPixel(const std::string& shot, int x, int y) {
  std::string command = "convert '" + shot + "' -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]'" +
                        " -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) + " info:";
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  pclose(p);
  return out;
}

TEST_F(AboutBox, ScreenshotShowsTheLogo) {
  TempFolder folder;
  std::string shot = folder.Path("shot.png");
  const std::string kHole = "232,238,246", kWall = "52,101,164", kRing = "20,20,30";
  std::string hole, wall, ring;
  BoxProbe probe;
  probe.extra = [&](BoxProbe& p) {
    // Other test processes share the X server and their windows may lie on
    // top for a moment: raise the box and look again until it shows.
    for (int attempt = 0; attempt < 50; ++attempt) {
      gdk_window_raise(gtk_widget_get_window(ToolkitWindow(WINDOW_ABOUT)));
      SettleToolkit();
      ASSERT_EQ(std::system(("import -window root '" + shot + "'").c_str()), 0);
      // Logo pixels: the light floor in the middle, the blue wall, the dark
      // rim of the floor; the logo stands at (16, 16) in the box.
      hole = ScreenPixel(shot, p.x + 16 + 128, p.y + 16 + 128);
      wall = ScreenPixel(shot, p.x + 16 + 128, p.y + 16 + 58);
      ring = ScreenPixel(shot, p.x + 16 + 128, p.y + 16 + 128 - 51);
      if (hole == kHole && wall == kWall && ring == kRing) break;
      g_usleep(50000);
    }
  };
  probe.close = [](GtkWidget* about) { SendKey(about, GDK_KEY_Escape); };
  RunAboutBox(probe, 0);
  EXPECT_EQ(hole, kHole);
  EXPECT_EQ(wall, kWall);
  EXPECT_EQ(ring, kRing);
  ExpectClosedAndParentBack(probe);
}

TEST(PngImage, DecodesTheLogoIntoRgbaPixels) {
  RgbaImage image;
  ASSERT_EQ(DecodePngImage(gLogoPng, gLogoPngSize, image), 1);
  ASSERT_EQ(image.width, 256);
  ASSERT_EQ(image.height, 256);
  ASSERT_EQ(image.rgba.size(), 256u * 256u * 4u);
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * 256 + x) * 4];
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," + std::to_string(p[3]);
  };
  EXPECT_EQ(pixel(128, 128), "232,238,246,255");
  EXPECT_EQ(pixel(128, 58), "52,101,164,255");
  EXPECT_EQ(pixel(2, 2), "0,0,0,0");  // transparent around the outline
}

TEST(PngImage, RefusesBytesThatAreNoPng) {
  RgbaImage image;
  image.width = 7;
  const uint8_t text[] = "<!doctype html>";
  EXPECT_EQ(DecodePngImage(text, sizeof text, image), 0);
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.rgba.empty());
  EXPECT_EQ(DecodePngImage(nullptr, 10, image), 0);
  EXPECT_EQ(DecodePngImage(gLogoPng, 0, image), 0);
  // Cut off in the middle of the image data.
  EXPECT_EQ(DecodePngImage(gLogoPng, gLogoPngSize / 2, image), 0);
  EXPECT_TRUE(image.rgba.empty());
}

}  // namespace
