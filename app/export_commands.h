// The commands behind the export buttons and Ctrl+D: they ask for a file,
// run a writer on the design as it stands and report the outcome in the
// status bar or a message box. They never recompute and never mark the
// project modified.
#pragma once

#include <cstdint>
#include <string>

// format: OUTLINE_EXPORT_DXF or OUTLINE_EXPORT_STEP (app/gadgets.h).
void ExportOutline(int64_t format);
// format: VASE_EXPORT_STL or VASE_EXPORT_STEP (app/gadgets.h).
void ExportVase(int64_t format);

// base, or base + "_" + figure + "_" + count when a figure is chosen; the
// figure as its list shows it, lower case, blanks as "_".
std::string DefaultExportName(const std::string& base);
