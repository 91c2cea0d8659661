// The ids the program gives its windows, gadgets, status-bar fields, menus
// and shortcuts, the event kinds and types of the event loop, and the
// command codes that buttons and menu items pass on.
#pragma once

#include <cstdint>

#include "export/outline_step.h"

// Windows, status bars and popup menus.
constexpr int64_t WINDOW_MAIN = 0;
constexpr int64_t STATUS_BAR_MAIN = 0;
constexpr int64_t MENU_HELP_POPUP = 0;

// Gadgets of the main window. Listed by id; the column shows them in the
// order of creation, which differs at 7 to 13 and 46 to 48.
enum GadgetId : int64_t {
  GADGET_LEFT_PANEL = 0,
  GADGET_OPEN_BUTTON = 1,
  GADGET_SAVE_BUTTON = 2,
  GADGET_SAVE_AS_BUTTON = 3,
  GADGET_HELP_BUTTON = 4,
  GADGET_BASE_HEADING = 5,
  GADGET_SHAPE = 6,
  GADGET_WIDTH = 7,
  GADGET_HEIGHT = 8,
  GADGET_CORNER_RADIUS = 9,
  GADGET_SIZE_IS = 10,
  GADGET_IMPORT_BUTTON = 11,
  GADGET_IMPORT_INFO = 12,
  GADGET_STL_Z = 13,
  GADGET_PATTERN_HEADING = 14,
  GADGET_FIGURE = 15,
  GADGET_DIRECTION = 16,
  GADGET_COUNT = 17,
  GADGET_FIGURE_WIDTH = 18,
  GADGET_GAP = 19,
  GADGET_DEPTH = 20,
  GADGET_TOP_WIDTH = 21,
  GADGET_FILLET = 22,
  GADGET_SHIFT = 23,
  GADGET_VASE_HEADING = 24,
  GADGET_SHOW_3D = 25,
  GADGET_VASE_HEIGHT = 26,
  GADGET_TWIST = 27,
  GADGET_TOP_SCALE = 28,
  GADGET_BULGE = 29,
  GADGET_STEPS = 30,
  GADGET_VASE_TYPE = 31,
  GADGET_WALL_THICKNESS = 32,
  GADGET_BOTTOM_THICKNESS = 33,
  GADGET_INNER_WALL = 34,
  GADGET_VASE_STL_BUTTON = 35,
  GADGET_VASE_STEP_BUTTON = 36,
  GADGET_SETTINGS_HEADING = 37,
  GADGET_SMALLEST_SIZE = 38,
  GADGET_POINT_SPACING = 39,
  GADGET_SHOW_GRID = 40,
  GADGET_SHOW_BASE_LINE = 41,
  GADGET_SHOW_FILL = 42,
  GADGET_EXPORT_HEADING = 43,
  GADGET_DXF_BUTTON = 44,
  GADGET_STEP_BUTTON = 45,
  GADGET_EXPORT_BASE_LINE = 46,
  GADGET_STEP_HEIGHT = 47,
  GADGET_STEP_AS = 48,
  GADGET_INFO = 49,
  GADGET_CANVAS = 50
};

// Fields of the main status bar, left to right.
enum StatusField : int64_t {
  STATUS_PITCH = 0,
  STATUS_COUNT = 1,
  STATUS_CIRCUMFERENCE = 2,
  STATUS_WARNINGS = 3,
  STATUS_MESSAGE = 4
};

// Ids of the Help popup items and the keyboard shortcuts.
enum MenuId : int64_t {
  MENU_FIT_VIEW = 100,
  MENU_EXPORT_DXF = 101,
  MENU_TOGGLE_3D = 102,
  MENU_OPEN = 103,
  MENU_SAVE = 104,
  MENU_SAVE_AS = 105,
  MENU_USER_GUIDE = 106,
  MENU_ABOUT = 107
};

// What the event loop takes from the queue. EVENT_NONE: the wait returned
// with nothing.
enum EventKind : int64_t { EVENT_NONE = 0, EVENT_MENU = 1, EVENT_CLOSE_WINDOW = 2, EVENT_GADGET = 3 };

// Event types of gadget events.
enum GadgetEventType : int64_t {
  EVENT_CLICK = 0,
  EVENT_LEFT_DOUBLE_CLICK = 2,
  EVENT_FOCUS = 0x100,
  EVENT_LOST_FOCUS = 0x200,
  EVENT_CHANGE = 0x300,
  EVENT_MOUSE_LEAVE = 0x10002,
  EVENT_MOUSE_MOVE = 0x10003,
  EVENT_LEFT_DOWN = 0x10004,
  EVENT_LEFT_UP = 0x10005,
  EVENT_RIGHT_DOWN = 0x10006,
  EVENT_RIGHT_UP = 0x10007,
  EVENT_WHEEL = 0x1000A
};

// Modifier bits of a canvas event.
constexpr int64_t MODIFIER_SHIFT = 1;
constexpr int64_t MODIFIER_ALT = 2;
constexpr int64_t MODIFIER_CTRL = 4;

// Command codes passed by buttons and shortcuts to the export commands. The
// index of the STEP-as combo box is the writer's StepAsMode.
enum OutlineExportFormat : int64_t { OUTLINE_EXPORT_DXF = 0, OUTLINE_EXPORT_STEP = 1 };
enum VaseExportFormat : int64_t { VASE_EXPORT_STL = 0, VASE_EXPORT_STEP = 1 };
