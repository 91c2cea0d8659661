// The window-system layer: every toolkit facility the program uses, behind
// small integer ids that the program chooses. Windows, gadgets, status bars,
// popup menus and fonts are addressed by id; gadget ids are per window.
// Only app/platform/ talks to the toolkit; the canvas drawing code
// gets a cairo context from here and may use cairo directly.
//
// Events: toolkit signals only queue an event record; the program takes
// them one at a time (WaitForEvent, blocking) and reads the current one.
// A change the program itself makes to a gadget never raises an event.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/gadgets.h"

// ---------------------------------------------------------------- start-up

// Starts the toolkit on X11 (it removes its own options from argc/argv),
// then fixes the numeric locale to "C". Returns 0 when no display can be
// opened; the program parameters are kept for ProgramParameter.
int64_t InitWindowSystem(int& argc, char**& argv);
// Closes every window and releases fonts and images.
void ShutdownWindowSystem();

int64_t ProgramParameterCount();
// Replaces the program parameters (tests).
void SetProgramParameters(const std::vector<std::string>& parameters);
std::string ProgramParameter(int64_t index);  // "" out of range

// ------------------------------------------------------------------ events

struct WindowEvent {
  int64_t kind = EVENT_NONE;  // EventKind
  int64_t window = -1;
  int64_t id = -1;            // menu or shortcut id, or gadget id
  int64_t type = 0;           // GadgetEventType
  int64_t x = 0, y = 0;       // pointer, whole pixels of the gadget
  int64_t modifiers = 0;      // MODIFIER_* bits
  int64_t wheelNotches = 0;   // +1 per notch up, -1 down
};

// Blocks until an event is queued (the toolkit runs meanwhile: repaints,
// resizes), makes it the current event and returns its kind.
int64_t WaitForEvent();
// Lets the toolkit handle what is pending, without waiting, then takes the
// next queued event if there is one; EVENT_NONE when the queue is empty.
int64_t PollEvent();
// Takes the next queued event without letting the toolkit run first.
int64_t TakeQueuedEvent();
// Lets the toolkit handle everything pending without taking any event.
void ProcessPendingToolkitEvents();
// Appends an event to the queue as if the toolkit had raised it (tests, and
// the merge rule for mouse moves applies).
void PostEvent(const WindowEvent& event);
int64_t QueuedEventCount();
void ClearEventQueue();

int64_t EventKindOf();
int64_t EventWindow();
int64_t EventMenu();    // id of the current menu or shortcut event
int64_t EventGadget();  // gadget of the current gadget event
int64_t EventType();
int64_t EventX();
int64_t EventY();
int64_t EventModifiers();
int64_t EventWheelNotches();

// ----------------------------------------------------------------- windows

enum WindowFlag : int64_t {
  WINDOW_RESIZABLE = 1,
  WINDOW_CENTRED = 2,            // on the screen, fitted into its work area
  WINDOW_CENTRED_ON_PARENT = 4,  // transient for the parent, centred over it
  WINDOW_MIN_MAX_BUTTONS = 8
};

// Inner size width x height. Returns 1, or 0 when it cannot be opened.
int64_t OpenWindow(int64_t window, int64_t width, int64_t height, const std::string& title, int64_t flags,
                   int64_t parent);
void CloseWindow(int64_t window);
int64_t IsWindowOpen(int64_t window);
void SetWindowMinimumSize(int64_t window, int64_t width, int64_t height);
void SetWindowTitle(int64_t window, const std::string& title);
std::string GetWindowTitle(int64_t window);
// Inner size: the size the toolkit last allocated, or the size opened with.
int64_t WindowInnerWidth(int64_t window);
int64_t WindowInnerHeight(int64_t window);
// Called inside the toolkit's size handling, also during live resizing.
void SetWindowResizeCallback(int64_t window, void (*callback)());
void SetWindowSensitive(int64_t window, int64_t sensitive);
// Brings the window to the front with the keyboard focus.
void PresentWindow(int64_t window);
// Asks the toolkit for a new inner size (the resize callback follows).
void ResizeWindow(int64_t window, int64_t width, int64_t height);
// Height of a monitor in pixels, 0 when unknown.
int64_t MonitorHeight(int64_t monitor);

// ----------------------------------------------------------------- gadgets
// Creation functions take the window, the id (-1: the layer picks one and
// returns it), position and size in pixels; they return the id, or -1.
// Gadgets are created inside the open scroll area, if any, else in the
// window's own area.

int64_t CreateButton(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h,
                     const std::string& text);
// A left-aligned one-line label; wrap 1 wraps long lines instead of cutting.
int64_t CreateText(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const std::string& text,
                   int64_t wrap);
// A wrapping label shows at most this many lines; a longer text ends in
// "…" on the last. Long words are broken where they do not fit a line.
void LimitTextLines(int64_t window, int64_t id, int64_t lines);
// digitsOnly 1: typed characters other than 0 to 9 are dropped.
int64_t CreateEntry(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const std::string& text,
                    int64_t digitsOnly);
int64_t CreateCombo(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h);
void AddComboItem(int64_t window, int64_t id, const std::string& text);
int64_t CreateCheckBox(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h,
                       const std::string& text);
// Multi-line text; readOnly 1 keeps the user from editing it.
int64_t CreateEditor(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t readOnly);
// A drawing surface that takes the keyboard focus and raises the canvas
// event types; framed 1 draws a frame around it.
int64_t CreateCanvas(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t framed);
// An RGBA image (8 bits per channel, rows of stride bytes), copied.
int64_t CreateImage(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, const uint8_t* rgba,
                    int64_t imageWidth, int64_t imageHeight, int64_t stride);
// A frameless scrollable area of inner size innerW x innerH; it becomes the
// open gadget list until CloseGadgetList.
int64_t CreateScrollArea(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h, int64_t innerW,
                         int64_t innerH, int64_t scrollStep);
void CloseGadgetList();
void SetScrollAreaInnerSize(int64_t window, int64_t id, int64_t innerW, int64_t innerH);
// Vertical scroll position of a scroll area in pixels.
double ScrollAreaOffsetY(int64_t window, int64_t id);

int64_t GadgetExists(int64_t window, int64_t id);
// Text of an entry, label, button, check box or editor; of a combo box the
// selected item's text. Setting raises no event.
void SetGadgetText(int64_t window, int64_t id, const std::string& text);
std::string GetGadgetText(int64_t window, int64_t id);
// Check box 1/0, combo box the selected index (-1 none). Setting raises no event.
void SetGadgetState(int64_t window, int64_t id, int64_t state);
int64_t GetGadgetState(int64_t window, int64_t id);
std::string GetComboItemText(int64_t window, int64_t id, int64_t index);
int64_t ComboItemCount(int64_t window, int64_t id);
void EnableGadget(int64_t window, int64_t id, int64_t enabled);
int64_t IsGadgetEnabled(int64_t window, int64_t id);
void FocusGadget(int64_t window, int64_t id);
void SetGadgetTooltip(int64_t window, int64_t id, const std::string& text);
std::string GetGadgetTooltip(int64_t window, int64_t id);
// Moves and sizes a gadget; GADGET_KEEP leaves a value as it is.
constexpr int64_t GADGET_KEEP = INT64_MIN;
void ResizeGadget(int64_t window, int64_t id, int64_t x, int64_t y, int64_t w, int64_t h);
// The position and size the program last gave the gadget.
int64_t GadgetX(int64_t window, int64_t id);
int64_t GadgetY(int64_t window, int64_t id);
int64_t GadgetWidth(int64_t window, int64_t id);
int64_t GadgetHeight(int64_t window, int64_t id);

// ------------------------------------------------------------------- fonts

// Returns 1 when the font could be loaded, else 0.
int64_t LoadFont(int64_t font, const std::string& family, double points, int64_t bold);
void FreeFont(int64_t font);
int64_t IsFontLoaded(int64_t font);
void SetGadgetFont(int64_t window, int64_t id, int64_t font);
// Measures a text in the toolkit's default gadget font on a small image;
// returns 0 when drawing cannot start.
int64_t MeasureDefaultFontText(const std::string& text, double& width, double& height);
// What a button or a combo box needs besides its text: its width with an
// empty text, in pixels.
int64_t ButtonChromeWidth();
int64_t ComboChromeWidth();

// ------------------------------------------------------------------ canvas

// Starts drawing on the canvas's offscreen image (sized to the canvas, in
// device pixels) and returns a cairo context, or nullptr. EndCanvasDrawing
// releases the context and shows the image.
cairo_t* BeginCanvasDrawing(int64_t window, int64_t id);
void EndCanvasDrawing(int64_t window, int64_t id);
// The width of the canvas's image in its own units (device pixels).
int64_t CanvasSurfaceWidth(int64_t window, int64_t id);
// Copy of the canvas image's pixel at (x, y) as 0xAARRGGBB (tests).
uint32_t CanvasPixel(int64_t window, int64_t id, int64_t x, int64_t y);

// -------------------------------------------------------------- status bar

int64_t CreateStatusBar(int64_t statusBar, int64_t window);
// width -1: the rest of the bar.
void AddStatusBarField(int64_t statusBar, int64_t width);
void SetStatusBarText(int64_t statusBar, int64_t field, const std::string& text);
std::string GetStatusBarText(int64_t statusBar, int64_t field);
int64_t StatusBarHeight(int64_t statusBar);

// ------------------------------------------------- menus and shortcuts

int64_t CreatePopupMenu(int64_t menu);
// A tab in the text separates the accelerator text shown at the right.
void AddMenuItem(int64_t menu, int64_t id, const std::string& text);
// Shows the menu at the pointer over the window.
void ShowPopupMenu(int64_t menu, int64_t window);
int64_t IsPopupMenuShown(int64_t menu);
void HidePopupMenu(int64_t menu);

enum ShortcutKey : int64_t {
  KEY_F1 = 1,
  KEY_F3 = 3,
  KEY_F5 = 5,
  KEY_ESCAPE = 100,
  KEY_RETURN = 101,
  KEY_D = 'D',
  KEY_O = 'O',
  KEY_S = 'S'
};
// The key with exactly these modifiers (MODIFIER_* bits) raises EVENT_MENU
// with the id for this window.
void AddKeyboardShortcut(int64_t window, int64_t key, int64_t modifiers, int64_t id);

// -------------------------------------------------- dialogs and boxes

enum MessageButtons : int64_t { BUTTONS_OK = 0, BUTTONS_YES_NO = 1, BUTTONS_YES_NO_CANCEL = 2 };
enum MessageIcon : int64_t { ICON_NONE = 0, ICON_ERROR = 1, ICON_WARNING = 2, ICON_INFO = 3 };
enum MessageAnswer : int64_t { ANSWER_OK = 1, ANSWER_YES = 2, ANSWER_NO = 3, ANSWER_CANCEL = 4 };

// Modal over the main window, with the icon's image. The Cancel button
// reads "_Cancel". Return answers Yes (OK); Escape or closing the box
// answers Cancel (No for Yes/No, OK for OK).
int64_t ShowMessageBox(const std::string& title, const std::string& text, int64_t buttons, int64_t icon);
// filters: display name and pattern pairs joined by "|", patterns of one
// pair separated by ";"; the first pair is selected; a pattern matches
// letters in either case. The save dialog opens
// in the folder of defaultPath with its file part as name and asks nothing
// when the file exists. Both return the chosen path, "" when cancelled.
std::string ShowSaveFileDialog(const std::string& title, const std::string& defaultPath, const std::string& filters);
std::string ShowOpenFileDialog(const std::string& title, const std::string& defaultPath, const std::string& filters);
// Whether the filter at index (0 the first pair) of such a list shows a file
// of this name; patterns match letters in either case.
int64_t FileFilterAccepts(const std::string& filters, int64_t index, const std::string& fileName);

// Test seam: while canned dialogs are on, no box or dialog opens. Each call
// is recorded and takes the next canned answer; with none left a message
// box answers Cancel (No, OK) and a file dialog "".
enum DialogKind : int64_t { DIALOG_MESSAGE = 0, DIALOG_SAVE = 1, DIALOG_OPEN = 2 };
struct DialogCall {
  int64_t kind = DIALOG_MESSAGE;
  std::string title;
  std::string text;         // message text
  int64_t buttons = 0;
  int64_t icon = 0;
  std::string defaultPath;  // file dialogs
  std::string filters;
};
void UseCannedDialogs(int64_t on);
void AddCannedMessageAnswer(int64_t answer);
void AddCannedFileAnswer(const std::string& path);
const std::vector<DialogCall>& RecordedDialogCalls();
void ClearCannedDialogs();

// --------------------------------------------------- files and processes

// -1 missing, -2 a directory, else the size in bytes.
int64_t FileSize(const std::string& path);
// The current working directory with a trailing "/".
std::string CurrentDirectory();
// Starts a program found along PATH with one argument, detached; the
// program does not wait for it. Returns 1 when it could be started.
int64_t RunDetached(const std::string& program, const std::string& argument);
