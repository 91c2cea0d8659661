// Small text and path helpers that every subsystem shares: trimming, ASCII
// case, the parts of a path and the single-byte text of the export files.
#pragma once

#include <string>
#include <string_view>

// The text without blanks (U+0020 only) at either end.
std::string_view TrimBlanks(std::string_view text);
// The text without blanks and tabs at either end.
std::string_view TrimBlanksAndTabs(std::string_view text);

// The text with A-Z turned into a-z; every other byte stays.
std::string AsciiLower(std::string_view text);
// The text with a-z turned into A-Z; every other byte stays.
std::string AsciiUpper(std::string_view text);

// The file part of a path, after its last "/" (the whole path without one).
std::string FilePart(const std::string& path);
// The folder part of a path, up to and including its last "/" ("" without one).
std::string FolderPart(const std::string& path);
// The file part without its extension (cut at the last ".") and without "'".
std::string ProductNameOfPath(const std::string& path);

// Removes every "'" from text.
std::string WithoutQuotes(const std::string& text);
// UTF-8 text as single-byte text: characters up to 255 become one byte,
// larger ones and malformed bytes are left out.
std::string ToSingleByteText(const std::string& text);
