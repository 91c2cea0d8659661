// The built-in user guide: written to the temporary folder and opened in
// the desktop's browser (F1 and the Help item).
#pragma once

#include <cstdint>
#include <string>

// Writes the build's guide byte for byte and starts "xdg-open" on it.
// Returns the answer of the error box when the file cannot be written
// (then no viewer is started), else 0.
int64_t ShowUserGuide();
// "/tmp/" followed by the build's guide file name.
std::string UserGuidePath();
// Creates or empties the file and writes the bytes; 1 only when every byte
// was written and the file closed without error.
int64_t WriteUserGuideFile(const std::string& path, const uint8_t* bytes, int64_t size);
