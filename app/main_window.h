// The main window: its gadgets, layout metrics, fonts and resizing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Layout metrics in pixels, set once by ComputeLayoutMetrics.
extern int64_t gTextHeight;
extern int64_t gButtonHeight;
extern int64_t gRowPitch;
extern int64_t gFieldX;
extern int64_t gFieldWidth;
extern int64_t gPanelWidth;
extern int64_t gCanvasX;
extern int64_t gInfoFieldY;

// Font ids of the window-system layer.
extern int64_t gMonoFont;
extern int64_t gSansFont;
extern int64_t gBoldFont;

void BuildMainWindow();
void ComputeLayoutMetrics(const std::vector<std::string>& captions);
// The metrics from a measured text height and widest caption (pixels).
void SetLayoutMetrics(double textHeight, double widestCaption);
// min(800, monitor height - 80); 800 when the height is unknown.
int64_t MainWindowHeight(int64_t monitorHeight);
void AddBlockHeading(int64_t id, int64_t y, const std::string& caption);
void AddFieldLabel(int64_t y, const std::string& caption);
void OnMainWindowResize();
