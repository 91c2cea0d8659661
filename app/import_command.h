// The command behind the "DXF / STL..." button.
#pragma once

#include <string>

// Asks for a file, imports it as a DXF drawing or an STL model cut at half
// its height, and makes the outline the base outline; a failure is shown in
// a warning box and changes nothing of the design.
void ImportBaseOutline();
// The lower-cased text after the last "." of the file part of a path; ""
// when there is none or it holds a blank.
std::string ImportExtension(const std::string& path);
