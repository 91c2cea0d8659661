// The document state: project path, modified flag and the window title.
#pragma once

#include <cstdint>
#include <string>

extern std::string gProjectPath;
extern int64_t gModified;

void UpdateWindowTitle();
void MarkProjectModified();
