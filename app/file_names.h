// Path rules shared by the file commands.
#pragma once

#include <string>

// The extension is the text after the last "." provided no blank and no
// "/" follows it and it does not directly follow a "/". A path without one
// gets "." + extension; a name ending in "." gets the extension after that
// dot ("part." becomes "part..omt"). Any other extension stays.
std::string AddMissingExtension(const std::string& path, const std::string& extension);
