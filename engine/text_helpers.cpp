#include "engine/text_helpers.h"

namespace {

std::string_view TrimBytes(std::string_view text, bool tabs) {
  auto blank = [tabs](char c) { return c == ' ' || (tabs && c == '\t'); };
  size_t a = 0, b = text.size();
  while (a < b && blank(text[a])) ++a;
  while (b > a && blank(text[b - 1])) --b;
  return text.substr(a, b - a);
}

std::string ShiftCase(std::string_view text, char from, char to) {
  std::string out(text);
  for (char& c : out)
    if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
  return out;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) { return TrimBytes(text, false); }

std::string_view TrimBlanksAndTabs(std::string_view text) { return TrimBytes(text, true); }

std::string AsciiLower(std::string_view text) { return ShiftCase(text, 'A', 'a'); }

std::string AsciiUpper(std::string_view text) { return ShiftCase(text, 'a', 'A'); }

std::string FilePart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string WithoutQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\'') out += c;
  return out;
}

std::string ProductNameOfPath(const std::string& path) {
  std::string name = FilePart(path);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return WithoutQuotes(name);
}

std::string ToSingleByteText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c >= 0xF8) {
      ++i;  // a stray continuation or invalid lead byte
      continue;
    }
    unsigned code = c & (0x3F >> extra);
    size_t j = 1;
    for (; j <= static_cast<size_t>(extra) && i + j < n; ++j) {
      unsigned char d = static_cast<unsigned char>(text[i + j]);
      if ((d & 0xC0) != 0x80) break;
      code = (code << 6) | (d & 0x3F);
    }
    if (j != static_cast<size_t>(extra) + 1) {
      i += j;  // truncated sequence
      continue;
    }
    if (code <= 0xFF && code >= 0x80) out += static_cast<char>(code);
    i += j;
  }
  return out;
}
