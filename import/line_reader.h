// Buffered reading of text lines that end at LF, CR, CR LF or a NUL byte,
// used by the ASCII STL reader; the DXF reader shares its byte-order mark rule.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct LineReader {
  std::FILE* file = nullptr;
  std::vector<char> buffer;
  size_t pos = 0;
  size_t length = 0;
  std::string spill;  // a line that runs across buffer refills
};

// Opens a regular file; false for a missing file, a folder and the like.
bool OpenLineReader(LineReader& reader, const std::string& path);
void CloseLineReader(LineReader& reader);
// The length of a byte-order mark (UTF-8, UTF-16 or UTF-32) at the start of
// text, 0 when there is none.
size_t ByteOrderMarkLength(std::string_view text);
bool LineReaderAtEnd(LineReader& reader);
// The next line without its end; valid until the next call. Empty at the end.
std::string_view ReadTextLine(LineReader& reader);
// Passes over line ends, NUL bytes and blanks up to the next other byte; a
// hole of a sparse file is skipped without reading it.
void SkipBlankBytes(LineReader& reader);
