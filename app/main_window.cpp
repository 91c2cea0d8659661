#include "app/main_window.h"

#include <algorithm>
#include <cmath>

#include "app/draw2d.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "app/view.h"
#include "text/texts.h"

int64_t gTextHeight = 0;
int64_t gButtonHeight = 0;
int64_t gRowPitch = 0;
int64_t gFieldX = 0;
int64_t gFieldWidth = 0;
int64_t gPanelWidth = 0;
int64_t gCanvasX = 0;
int64_t gInfoFieldY = 0;

int64_t gMonoFont = 0;
int64_t gSansFont = 1;
int64_t gBoldFont = 2;

namespace {

constexpr int64_t MAIN_WINDOW_WIDTH = 1200;
constexpr int64_t MAIN_WINDOW_MAX_HEIGHT = 800;
constexpr int64_t MIN_WINDOW_WIDTH = 700;
constexpr int64_t MIN_WINDOW_HEIGHT = 450;
constexpr int64_t INFO_FIELD_MIN_HEIGHT = 160;
constexpr int64_t CANVAS_MIN_SIZE = 50;
// The import message names a file and what was found in it: room for it
// wrapped over this many lines of the column.
constexpr int64_t IMPORT_INFO_LINES = 3;

const int64_t kStatusFieldWidths[] = {170, 110, 200, 200, -1};

int64_t RoundToInt(double x) { return static_cast<int64_t>(std::llround(x)); }

// One form row: the label left, the field at gFieldX; y moves on a row.
void AddEntryRow(int64_t& y, int64_t id, TextKey caption, const char* text, int64_t digitsOnly = 0) {
  AddFieldLabel(y, Tx(caption));
  CreateEntry(WINDOW_MAIN, id, gFieldX, y, gFieldWidth, gButtonHeight, text, digitsOnly);
  y += gRowPitch;
}

const std::vector<TextKey> kShapeItems{TX_SHAPE_CIRCLE, TX_SHAPE_ELLIPSE, TX_SHAPE_RECTANGLE, TX_SHAPE_IMPORTED};
const std::vector<TextKey> kSizeIsItems{TX_SIZE_OUTER, TX_SIZE_INNER};
const std::vector<TextKey> kFigureItems{TX_FIGURE_NONE,      TX_FIGURE_RECTANGLE, TX_FIGURE_SQUARE,
                                        TX_FIGURE_TRIANGLE,  TX_FIGURE_TRAPEZOID, TX_FIGURE_HALF_CIRCLE,
                                        TX_FIGURE_SINE};
const std::vector<TextKey> kDirectionItems{TX_DIRECTION_OUTWARD, TX_DIRECTION_INWARD};
const std::vector<TextKey> kVaseTypeItems{TX_VASE_SOLID, TX_VASE_HOLLOW};
const std::vector<TextKey> kInnerWallItems{TX_INNER_AUTOMATIC, TX_INNER_FOLLOWS, TX_INNER_SMOOTH};
const std::vector<TextKey> kStepAsItems{TX_STEP_AS_CURVE, TX_STEP_AS_SOLID};
const std::vector<TextKey>* const kComboItems[] = {&kShapeItems,    &kSizeIsItems,   &kFigureItems, &kDirectionItems,
                                                   &kVaseTypeItems, &kInnerWallItems, &kStepAsItems};

// Width of a text in the default gadget font, rounded up; 0 when unknown.
int64_t DefaultFontTextWidth(const std::string& text) {
  double width = 0, height = 0;
  if (!MeasureDefaultFontText(text, width, height)) return 0;
  return static_cast<int64_t>(std::ceil(width));
}

// A combo box shows its longest item whole: the fields, and with them the
// column, widen when the toolkit's font and combo box need more room than
// the standard field width gives.
void FitFieldWidthToComboItems() {
  int64_t widest = 0;
  for (const std::vector<TextKey>* items : kComboItems)
    for (TextKey item : *items) widest = std::max(widest, DefaultFontTextWidth(Tx(item)));
  int64_t need = widest + ComboChromeWidth();
  if (need <= gFieldWidth) return;
  gPanelWidth += need - gFieldWidth;
  gFieldWidth = need;
}

// The x and width of the four project buttons in one row from x 8 with gaps
// of 6. Each gets an equal share; when a caption does not fit its share,
// each gets what its caption needs and the room left is shared out.
void ProjectButtonPlaces(int64_t share, const TextKey (&captions)[4], int64_t (&x)[4], int64_t (&w)[4]) {
  int64_t need[4], needed = 0, chrome = ButtonChromeWidth();
  bool fits = true;
  for (int i = 0; i < 4; ++i) {
    need[i] = DefaultFontTextWidth(Tx(captions[i])) + chrome;
    needed += need[i];
    fits = fits && need[i] <= share;
  }
  int64_t spare = 4 * share - needed;
  for (int i = 0; i < 4; ++i) {
    w[i] = fits || spare < 0 ? share : need[i] + spare / 4 + (i == 3 ? spare % 4 : 0);
    x[i] = i == 0 ? 8 : x[i - 1] + w[i - 1] + 6;
  }
}

void AddComboRow(int64_t& y, int64_t id, TextKey caption, const std::vector<TextKey>& items) {
  AddFieldLabel(y, Tx(caption));
  CreateCombo(WINDOW_MAIN, id, gFieldX, y, gFieldWidth, gButtonHeight);
  for (TextKey item : items) AddComboItem(WINDOW_MAIN, id, Tx(item));
  y += gRowPitch;
}

void Tip(int64_t id, TextKey text) { SetGadgetTooltip(WINDOW_MAIN, id, Tx(text)); }

void AddTooltips() {
  Tip(GADGET_OPEN_BUTTON, TX_TIP_OPEN);
  Tip(GADGET_SAVE_BUTTON, TX_TIP_SAVE);
  Tip(GADGET_SAVE_AS_BUTTON, TX_TIP_SAVE_AS);
  Tip(GADGET_HELP_BUTTON, TX_TIP_HELP);
  Tip(GADGET_IMPORT_BUTTON, TX_TIP_IMPORT);
  Tip(GADGET_SIZE_IS, TX_TIP_SIZE_IS);
  Tip(GADGET_COUNT, TX_TIP_COUNT);
  Tip(GADGET_FIGURE_WIDTH, TX_TIP_FIGURE_WIDTH);
  Tip(GADGET_GAP, TX_TIP_GAP);
  Tip(GADGET_TWIST, TX_TIP_TWIST);
  Tip(GADGET_TOP_SCALE, TX_TIP_TOP_SCALE);
  Tip(GADGET_BULGE, TX_TIP_BULGE);
  Tip(GADGET_STEPS, TX_TIP_STEPS);
  Tip(GADGET_VASE_TYPE, TX_TIP_VASE_TYPE);
  Tip(GADGET_WALL_THICKNESS, TX_TIP_WALL_THICKNESS);
  Tip(GADGET_INNER_WALL, TX_TIP_INNER_WALL);
  Tip(GADGET_VASE_STL_BUTTON, TX_TIP_VASE_STL);
  Tip(GADGET_VASE_STEP_BUTTON, TX_TIP_VASE_STEP);
  Tip(GADGET_SMALLEST_SIZE, TX_TIP_SMALLEST_SIZE);
  Tip(GADGET_POINT_SPACING, TX_TIP_POINT_SPACING);
  Tip(GADGET_DXF_BUTTON, TX_TIP_DXF);
  Tip(GADGET_STEP_BUTTON, TX_TIP_STEP);
  Tip(GADGET_STEP_AS, TX_TIP_STEP_AS);
}

// The column from the project buttons down to the information field.
void BuildColumn() {
  int64_t th = gTextHeight, bh = gButtonHeight, row = gRowPitch, pw = gPanelWidth;
  int64_t y = 8;

  const TextKey captions[4] = {TX_BTN_OPEN, TX_BTN_SAVE, TX_BTN_SAVE_AS, TX_BTN_HELP};
  const int64_t ids[4] = {GADGET_OPEN_BUTTON, GADGET_SAVE_BUTTON, GADGET_SAVE_AS_BUTTON, GADGET_HELP_BUTTON};
  int64_t bx[4], bw[4];
  ProjectButtonPlaces((pw - 26) / 4, captions, bx, bw);
  for (int i = 0; i < 4; ++i) CreateButton(WINDOW_MAIN, ids[i], bx[i], y, bw[i], bh + 4, Tx(captions[i]));
  CreatePopupMenu(MENU_HELP_POPUP);
  AddMenuItem(MENU_HELP_POPUP, MENU_USER_GUIDE, Tx(TX_MENU_USER_GUIDE));
  AddMenuItem(MENU_HELP_POPUP, MENU_ABOUT, Tx(TX_MENU_ABOUT));
  y += bh + 16;

  AddBlockHeading(GADGET_BASE_HEADING, y, Tx(TX_HEAD_BASE));
  y += th + 10;
  AddComboRow(y, GADGET_SHAPE, TX_CAP_SHAPE, kShapeItems);
  AddFieldLabel(y, Tx(TX_CAP_IMPORT));
  CreateButton(WINDOW_MAIN, GADGET_IMPORT_BUTTON, gFieldX, y, gFieldWidth, bh + 2, Tx(TX_BTN_IMPORT));
  y += row;
  CreateText(WINDOW_MAIN, GADGET_IMPORT_INFO, 10, y, pw - 16, IMPORT_INFO_LINES * th + 4, "", 1);
  LimitTextLines(WINDOW_MAIN, GADGET_IMPORT_INFO, IMPORT_INFO_LINES);
  y += IMPORT_INFO_LINES * th + 8;
  AddEntryRow(y, GADGET_STL_Z, TX_CAP_STL_Z, "10");
  AddEntryRow(y, GADGET_WIDTH, TX_CAP_WIDTH, "50");
  AddEntryRow(y, GADGET_HEIGHT, TX_CAP_HEIGHT, "30");
  AddEntryRow(y, GADGET_CORNER_RADIUS, TX_CAP_CORNER_RADIUS, "5");
  AddComboRow(y, GADGET_SIZE_IS, TX_CAP_SIZE_IS, kSizeIsItems);
  y += 10;

  AddBlockHeading(GADGET_PATTERN_HEADING, y, Tx(TX_HEAD_PATTERN));
  y += th + 10;
  AddComboRow(y, GADGET_FIGURE, TX_CAP_FIGURE, kFigureItems);
  AddComboRow(y, GADGET_DIRECTION, TX_CAP_DIRECTION, kDirectionItems);
  AddEntryRow(y, GADGET_COUNT, TX_CAP_COUNT, "40", 1);
  AddEntryRow(y, GADGET_FIGURE_WIDTH, TX_CAP_FIGURE_WIDTH, "2");
  AddEntryRow(y, GADGET_GAP, TX_CAP_GAP, "2");
  AddEntryRow(y, GADGET_DEPTH, TX_CAP_DEPTH, "2");
  AddEntryRow(y, GADGET_TOP_WIDTH, TX_CAP_TOP_WIDTH, "1");
  AddEntryRow(y, GADGET_FILLET, TX_CAP_FILLET, "0");
  AddEntryRow(y, GADGET_SHIFT, TX_CAP_SHIFT, "0");
  y += 10;

  AddBlockHeading(GADGET_VASE_HEADING, y, Tx(TX_HEAD_VASE));
  y += th + 10;
  CreateCheckBox(WINDOW_MAIN, GADGET_SHOW_3D, 10, y, pw - 16, bh, Tx(TX_CHK_SHOW_3D));
  y += row;
  AddEntryRow(y, GADGET_VASE_HEIGHT, TX_CAP_VASE_HEIGHT, "120");
  AddEntryRow(y, GADGET_TWIST, TX_CAP_TWIST, "0");
  AddEntryRow(y, GADGET_TOP_SCALE, TX_CAP_TOP_SCALE, "100");
  AddEntryRow(y, GADGET_BULGE, TX_CAP_BULGE, "0");
  AddEntryRow(y, GADGET_STEPS, TX_CAP_STEPS, "60", 1);
  AddComboRow(y, GADGET_VASE_TYPE, TX_CAP_VASE_TYPE, kVaseTypeItems);
  SetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE, 0);
  AddEntryRow(y, GADGET_WALL_THICKNESS, TX_CAP_WALL_THICKNESS, "1.6");
  AddEntryRow(y, GADGET_BOTTOM_THICKNESS, TX_CAP_BOTTOM_THICKNESS, "2");
  AddComboRow(y, GADGET_INNER_WALL, TX_CAP_INNER_WALL, kInnerWallItems);
  SetGadgetState(WINDOW_MAIN, GADGET_INNER_WALL, 0);
  y += 10;
  int64_t half = (pw - 24) / 2;
  CreateButton(WINDOW_MAIN, GADGET_VASE_STL_BUTTON, 10, y, half, bh + 4, Tx(TX_BTN_VASE_STL));
  CreateButton(WINDOW_MAIN, GADGET_VASE_STEP_BUTTON, half + 16, y, half, bh + 4, Tx(TX_BTN_VASE_STEP));
  y += bh + 14;

  AddBlockHeading(GADGET_SETTINGS_HEADING, y, Tx(TX_HEAD_SETTINGS));
  y += th + 10;
  AddEntryRow(y, GADGET_SMALLEST_SIZE, TX_CAP_SMALLEST_SIZE, "0.4");
  AddEntryRow(y, GADGET_POINT_SPACING, TX_CAP_POINT_SPACING, "0.1");
  int64_t c = (pw - 16) / 3;
  CreateCheckBox(WINDOW_MAIN, GADGET_SHOW_GRID, 10, y, c, bh, Tx(TX_CHK_GRID));
  CreateCheckBox(WINDOW_MAIN, GADGET_SHOW_BASE_LINE, c + 10, y, c, bh, Tx(TX_CHK_BASE_LINE));
  CreateCheckBox(WINDOW_MAIN, GADGET_SHOW_FILL, 2 * c + 10, y, c, bh, Tx(TX_CHK_FILL));
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_GRID, 1);
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_BASE_LINE, 1);
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_FILL, 1);
  y += row + 10;

  AddBlockHeading(GADGET_EXPORT_HEADING, y, Tx(TX_HEAD_EXPORT));
  y += th + 10;
  CreateButton(WINDOW_MAIN, GADGET_DXF_BUTTON, 10, y, half, bh + 4, Tx(TX_BTN_DXF));
  CreateButton(WINDOW_MAIN, GADGET_STEP_BUTTON, half + 16, y, half, bh + 4, Tx(TX_BTN_STEP));
  y += bh + 10;
  AddComboRow(y, GADGET_STEP_AS, TX_CAP_STEP_AS, kStepAsItems);
  SetGadgetState(WINDOW_MAIN, GADGET_STEP_AS, 0);
  AddEntryRow(y, GADGET_STEP_HEIGHT, TX_CAP_STEP_HEIGHT, "10");
  EnableGadget(WINDOW_MAIN, GADGET_STEP_HEIGHT, 0);
  CreateCheckBox(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE, 10, y, pw - 16, bh, Tx(TX_CHK_EXPORT_BASE_LINE));
  y += row + 4;

  gInfoFieldY = y;
  CreateEditor(WINDOW_MAIN, GADGET_INFO, 8, y, pw - 8, 200, 1);
  SetGadgetFont(WINDOW_MAIN, GADGET_INFO, gMonoFont);
}

}  // namespace

void SetLayoutMetrics(double textHeight, double widestCaption) {
  int64_t th = RoundToInt(textHeight);
  if (th < 10) th = 15;
  gTextHeight = th;
  gButtonHeight = th + 18;
  gRowPitch = gButtonHeight + 5;
  gFieldX = RoundToInt(widestCaption) + 22;
  gFieldWidth = static_cast<int64_t>(std::ceil(static_cast<double>(th) / 15.0 * 140.0));
  gPanelWidth = gFieldX + gFieldWidth + 10;
}

void ComputeLayoutMetrics(const std::vector<std::string>& captions) {
  double width = 0, height = 0, textHeight = 0, widest = 0;
  if (MeasureDefaultFontText("Ag", width, height)) {
    textHeight = height;
    for (const std::string& caption : captions) {
      if (MeasureDefaultFontText(caption, width, height) && widest < width) widest = static_cast<double>(RoundToInt(width));
    }
  }
  SetLayoutMetrics(textHeight, widest);
}

int64_t MainWindowHeight(int64_t monitorHeight) {
  if (monitorHeight <= 0) return MAIN_WINDOW_MAX_HEIGHT;
  return std::min(MAIN_WINDOW_MAX_HEIGHT, monitorHeight - 80);
}

void AddBlockHeading(int64_t id, int64_t y, const std::string& caption) {
  CreateText(WINDOW_MAIN, id, 8, y, gPanelWidth - 8, gTextHeight + 4, caption, 0);
  SetGadgetFont(WINDOW_MAIN, id, gBoldFont);
}

void AddFieldLabel(int64_t y, const std::string& caption) {
  CreateText(WINDOW_MAIN, -1, 10, y + (gButtonHeight - gTextHeight) / 2, gFieldX - 12, gTextHeight + 4, caption, 0);
}

void BuildMainWindow() {
  std::vector<std::string> captions = {Tx(TX_CAP_WIDTH),  Tx(TX_CAP_SHIFT), Tx(TX_CAP_GAP),
                                       Tx(TX_CAP_SMALLEST_SIZE), Tx(TX_CAP_STL_Z), Tx(TX_CAP_STEPS),
                                       Tx(TX_CAP_WALL_THICKNESS)};
  LoadFont(gMonoFont, "Monospace", 9, 0);
  LoadFont(gSansFont, "Sans", 10, 0);
  int64_t boldLoaded = LoadFont(gBoldFont, "Sans", 9, 1);

  int64_t height = MainWindowHeight(MonitorHeight(0));
  OpenWindow(WINDOW_MAIN, MAIN_WINDOW_WIDTH, height, Tx(TX_PROGRAM_NAME),
             WINDOW_RESIZABLE | WINDOW_CENTRED | WINDOW_MIN_MAX_BUTTONS, -1);
  SetWindowMinimumSize(WINDOW_MAIN, MIN_WINDOW_WIDTH, MIN_WINDOW_HEIGHT);

  ComputeLayoutMetrics(captions);
  FitFieldWidthToComboItems();
  if (!boldLoaded) gBoldFont = gSansFont;

  CreateStatusBar(STATUS_BAR_MAIN, WINDOW_MAIN);
  for (int64_t width : kStatusFieldWidths) AddStatusBarField(STATUS_BAR_MAIN, width);
  gCanvasX = gPanelWidth + 22;

  int64_t columnHeight = WindowInnerHeight(WINDOW_MAIN) - StatusBarHeight(STATUS_BAR_MAIN);
  CreateScrollArea(WINDOW_MAIN, GADGET_LEFT_PANEL, 0, 0, gCanvasX, columnHeight, gPanelWidth, 2000, gRowPitch);
  BuildColumn();
  CloseGadgetList();
  CreateCanvas(WINDOW_MAIN, GADGET_CANVAS, gCanvasX + 4, 4, 100, 100, 1);
  FocusGadget(WINDOW_MAIN, GADGET_CANVAS);

  AddKeyboardShortcut(WINDOW_MAIN, KEY_F5, 0, MENU_FIT_VIEW);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_D, MODIFIER_CTRL, MENU_EXPORT_DXF);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_F3, 0, MENU_TOGGLE_3D);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_O, MODIFIER_CTRL, MENU_OPEN);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_S, MODIFIER_CTRL, MENU_SAVE);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_S, MODIFIER_CTRL | MODIFIER_SHIFT, MENU_SAVE_AS);
  AddKeyboardShortcut(WINDOW_MAIN, KEY_F1, 0, MENU_USER_GUIDE);
  AddTooltips();

  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, 0);
  SetGadgetState(WINDOW_MAIN, GADGET_SIZE_IS, 0);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, 1);
  SetGadgetState(WINDOW_MAIN, GADGET_DIRECTION, 0);
  UpdateFieldEnabling();

  SetWindowResizeCallback(WINDOW_MAIN, OnMainWindowResize);
  OnMainWindowResize();
}

void OnMainWindowResize() {
  int64_t w = WindowInnerWidth(WINDOW_MAIN);
  int64_t h = WindowInnerHeight(WINDOW_MAIN) - StatusBarHeight(STATUS_BAR_MAIN);
  ResizeGadget(WINDOW_MAIN, GADGET_LEFT_PANEL, GADGET_KEEP, GADGET_KEEP, GADGET_KEEP, h);
  int64_t info = std::max(h - gInfoFieldY - 8, INFO_FIELD_MIN_HEIGHT);
  ResizeGadget(WINDOW_MAIN, GADGET_INFO, GADGET_KEEP, GADGET_KEEP, GADGET_KEEP, info);
  SetScrollAreaInnerSize(WINDOW_MAIN, GADGET_LEFT_PANEL, gPanelWidth, gInfoFieldY + info + 8);
  ResizeGadget(WINDOW_MAIN, GADGET_CANVAS, GADGET_KEEP, GADGET_KEEP, std::max(w - gCanvasX - 8, CANVAS_MIN_SIZE),
               std::max(h - 8, CANVAS_MIN_SIZE));
  DrawCanvas();
}
