// The scoped test folder, with whole-file reads and writes and a limit on
// file size for the window tests.
#pragma once

#include <functional>
#include <string>

#include "tests/support/temp_folder.h"

// The whole file; "" when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Runs body in a child process whose files may not grow past limit bytes
// (SIGXFSZ ignored, so writes fail instead); returns the child's exit
// code, the value body returned, or -1 when it did not exit normally.
int RunWithFileSizeLimit(long limit, const std::function<int()>& body);
