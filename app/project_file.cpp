#include "app/project_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/number_parse.h"
#include "engine/text_helpers.h"
#include "export/export_file.h"
#include "text/texts.h"

std::string gFileErrorText;

std::string FormatProjectNumber(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Infinity" : "-Infinity";
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 9);
  if (ec != std::errc()) return "NaN";
  // A tiny negative value would be written as -0.000000000, read back as a
  // zero and then written without the sign: the file would change on every
  // save and open.
  if (buffer[0] == '-' && std::string_view(buffer, end).find_first_of("123456789") == std::string_view::npos)
    return std::string(buffer + 1, end);
  return std::string(buffer, end);
}

namespace {

// The key of a line of points: "r0", "r1", ... Appended rather than
// "r" + a temporary, on which GCC 12 warns falsely (-Wrestrict).
std::string PointLineKey(int64_t line) {
  std::string key = "r";
  key += std::to_string(line);
  return key;
}

// ------------------------------------------------------------------ writing

class ProjectWriter {
 public:
  void Line(const std::string& text) {
    out_ += text;
    out_ += '\n';
  }
  void Group(const char* name) { Line(std::string("[") + name + "]"); }
  void Int(const char* key, int64_t value) { Line(std::string(key) + " = " + std::to_string(value)); }
  void Real(const char* key, double value) { Line(std::string(key) + " = " + FormatProjectNumber(value)); }
  // A line break inside a value would split its line and let the tail read
  // as another key, so breaks are written as blanks.
  void Text(const char* key, std::string value) {
    for (char& c : value)
      if (c == '\n' || c == '\r') c = ' ';
    Line(std::string(key) + " = " + value);
  }
  std::string& Output() { return out_; }

 private:
  std::string out_;
};

void WritePointLines(ProjectWriter& w, const PointList& points) {
  std::string line;
  int64_t k = 0;
  for (const OutlinePoint& p : points) {
    if (k % POINTS_PER_LINE == 0) {
      if (k > 0) w.Text(PointLineKey(k / POINTS_PER_LINE - 1).c_str(), line);
      line.clear();
    } else {
      line += '|';
    }
    line += FormatProjectNumber(p.x);
    line += ';';
    line += FormatProjectNumber(p.y);
    ++k;
  }
  if (k > 0) w.Text(PointLineKey((k - 1) / POINTS_PER_LINE).c_str(), line);
}

int64_t FailRead(TextKey reason) {
  gFileErrorText = Tx(reason);
  return 0;
}

// A project holds a group line near its start (the first one of a written
// file is on its third line).
bool HasGroupLine(std::string_view head) {
  if (head.size() > 2 && head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  size_t pos = 0;
  while (pos < head.size()) {
    size_t a = pos;
    while (a < head.size() && (head[a] == ' ' || head[a] == '\t')) ++a;
    if (a < head.size() && head[a] == '[') return true;
    size_t end = head.find_first_of("\n\r", a);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return false;
}

int64_t FailWrite() {
  gFileErrorText = Tx(TX_PROJECT_CANNOT_WRITE);
  return 0;
}

// ------------------------------------------------------------------ reading

// Every byte of a file without the mark is one ISO 8859-1 character.
std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The keys of each group, indexed once: lower-case key -> first value.
struct ProjectIndex {
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> groups;
};

ProjectIndex IndexProject(std::string_view text) {
  ProjectIndex index;
  std::unordered_map<std::string, std::string>* group = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    // A plain scan: find_first_of costs a library call per byte.
    size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string_view line(text.data() + pos, end - pos);
    // LF, CR and CR LF all end a line.
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    size_t a = 0;
    while (a < line.size() && (line[a] == ' ' || line[a] == '\t')) ++a;
    line.remove_prefix(a);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name = AsciiLower(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      // Only the first group of a name counts; a repeated one is skipped whole.
      auto [it, inserted] = index.groups.try_emplace(name);
      group = inserted ? &it->second : nullptr;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || group == nullptr) continue;
    std::string_view key = line.substr(0, eq);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && (value[0] == ' ' || value[0] == '\t')) value.remove_prefix(1);
    group->try_emplace(AsciiLower(key), std::string(value));
  }
  return index;
}

class GroupReader {
 public:
  GroupReader(const ProjectIndex& index, const char* name) {
    auto it = index.groups.find(name);
    if (it != index.groups.end()) keys_ = &it->second;
  }
  const std::string* Find(const char* key) const {
    if (keys_ == nullptr) return nullptr;
    auto it = keys_->find(key);
    return it == keys_->end() ? nullptr : &it->second;
  }
  int64_t Int(const char* key, int64_t current) const {
    const std::string* v = Find(key);
    return v ? ParseIntegerPrefix(*v) : current;
  }
  // A check-box state: anything but 0 is ticked.
  int64_t Flag(const char* key, int64_t current) const { return Int(key, current) != 0 ? 1 : 0; }
  double Real(const char* key, double current) const {
    const std::string* v = Find(key);
    return ParseNumberPrefix(v ? *v : FormatProjectNumber(current));
  }
  std::string Text(const char* key) const {
    const std::string* v = Find(key);
    return v ? std::string(TrimBlanksAndTabs(*v)) : std::string();
  }

 private:
  const std::unordered_map<std::string, std::string>* keys_ = nullptr;
};

// The point lines hold most of the numbers of a file: the plain decimal
// form is read by from_chars (correctly rounded and locale-free like
// strtod, but much faster), every other form by the general rule.
double ReadPointNumber(std::string_view s) {
  size_t i = !s.empty() && s[0] == '-' ? 1 : 0;
  bool plain = i < s.size() && s[i] >= '0' && s[i] <= '9' &&
               !(s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X'));
  if (plain) {
    double x = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), x);
    if (ec == std::errc()) return x;
  }
  return ParseNumberPrefix(std::string(s));
}

void ReadPointLines(const GroupReader& g, int64_t n, size_t textBytes, PointList& points) {
  points.clear();
  if (n < 1 || n > MAX_PROJECT_POINTS) return;
  // A point takes at least four bytes ("0;0|"), so a damaged count cannot
  // reserve more than the file could hold.
  points.reserve(std::min(static_cast<size_t>(n), textBytes / 4 + 1));
  for (int64_t k = 0; k <= (n - 1) / POINTS_PER_LINE; ++k) {
    // Read in place: a copy of every line would cost as much as its numbers.
    const std::string* value = g.Find(PointLineKey(k).c_str());
    std::string_view rest = value ? TrimBlanksAndTabs(*value) : std::string_view();
    if (rest.empty()) break;
    while (true) {
      size_t bar = rest.find('|');
      std::string_view field = rest.substr(0, bar);
      size_t s1 = field.find(';');
      std::string_view xs = field.substr(0, s1);
      std::string_view ys;
      if (s1 != std::string_view::npos) {
        ys = field.substr(s1 + 1);
        ys = ys.substr(0, ys.find(';'));
      }
      AddListPoint(points, ReadPointNumber(xs), ReadPointNumber(ys));
      // A damaged line cannot make the list grow past what the file claims.
      if (static_cast<int64_t>(points.size()) > n) return;
      if (bar == std::string_view::npos) break;
      rest.remove_prefix(bar + 1);
    }
  }
}

}  // namespace

std::string ComposeProjectText(const DesignParams& p, const VaseParams& v, const ProjectExtras& e) {
  ProjectWriter w;
  w.Output() = "\xEF\xBB\xBF\n";
  w.Line(";  Ribbelo - project");
  w.Group("Omtrek");
  w.Int("versie", PROJECT_VERSION);
  w.Group("Basis");
  w.Int("vorm", p.shapeKind);
  w.Real("breedte", p.width);
  w.Real("hoogte", p.height);
  w.Real("hoekradius", p.cornerRadius);
  w.Int("maat", p.sizeIsInner);
  w.Group("Patroon");
  w.Int("figuur", p.figureKind);
  w.Int("richting", p.direction);
  w.Int("verdeling", p.divideByWidth);
  w.Int("aantal", p.count);
  w.Real("breedte", p.figureWidth);
  w.Real("tussenruimte", p.gap);
  w.Real("diepte", p.depth);
  w.Real("topbreedte", p.topWidth);
  w.Real("afronding", p.fillet);
  w.Real("verschuiving", p.shift);
  w.Group("Instellingen");
  w.Real("kleinste_maat", p.smallestSize);
  w.Real("puntafstand", p.pointSpacing);
  w.Group("Vaas");
  w.Real("hoogte", v.height);
  w.Real("twist", v.twist);
  w.Real("schaal_boven", v.topScale);
  w.Real("bolling", v.bulge);
  w.Int("stappen", v.steps);
  w.Int("hol", v.hollow);
  w.Real("wanddikte", v.wallThickness);
  w.Real("bodemdikte", v.bottomThickness);
  w.Int("binnenwand", v.innerWallMode);
  w.Group("Weergave");
  w.Int("raster", e.showGrid);
  w.Int("basislijn", e.showBaseLine);
  w.Int("vullen", e.showFill);
  w.Int("3d", e.show3d);
  w.Group("Export");
  w.Int("step_als", e.stepAs);
  w.Real("step_hoogte", e.stepHeight);
  w.Int("basislijn", e.exportBaseLine);
  w.Group("Import");
  w.Text("bestand", e.importFile);
  w.Int("stl", e.importIsStl);
  w.Real("stl_z", e.stlZ);
  w.Real("breedte", p.importWidth);
  w.Real("hoogte", p.importHeight);
  w.Int("punten", static_cast<int64_t>(p.importPoints.size()));
  WritePointLines(w, p.importPoints);
  return std::move(w.Output());
}

int64_t WriteProjectFile(const std::string& path, const DesignParams& params, const VaseParams& vase,
                         const ProjectExtras& extras) {
  gFileErrorText.clear();
  try {
    const std::string content = ComposeProjectText(params, vase, extras);
    if (WriteWholeFile(path, {content}) == 1) return 1;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return FailWrite();
}

int64_t ReadProjectText(const std::string& bytes, DesignParams& params, VaseParams& vase, ProjectExtras& extras) {
  gFileErrorText.clear();
  // Only a file without the mark and with bytes above ASCII needs a copy.
  std::string converted;
  std::string_view text(bytes);
  if (bytes.size() > 2 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text.remove_prefix(3);
  } else if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    converted = Latin1ToUtf8(bytes);
    text = converted;
  }
  const ProjectIndex index = IndexProject(text);

  if (GroupReader(index, "omtrek").Int("versie", 0) < 1) {
    gFileErrorText = Tx(TX_PROJECT_NOT_A_PROJECT);
    return 0;
  }
  GroupReader basis(index, "basis");
  params.shapeKind = basis.Int("vorm", params.shapeKind);
  params.width = basis.Real("breedte", params.width);
  params.height = basis.Real("hoogte", params.height);
  params.cornerRadius = basis.Real("hoekradius", params.cornerRadius);
  params.sizeIsInner = basis.Int("maat", params.sizeIsInner);

  GroupReader pattern(index, "patroon");
  params.figureKind = pattern.Int("figuur", params.figureKind);
  params.direction = pattern.Int("richting", params.direction);
  params.divideByWidth = pattern.Int("verdeling", params.divideByWidth);
  params.count = pattern.Int("aantal", params.count);
  params.figureWidth = pattern.Real("breedte", params.figureWidth);
  params.gap = pattern.Real("tussenruimte", params.gap);
  params.depth = pattern.Real("diepte", params.depth);
  params.topWidth = pattern.Real("topbreedte", params.topWidth);
  params.fillet = pattern.Real("afronding", params.fillet);
  params.shift = pattern.Real("verschuiving", params.shift);

  GroupReader settings(index, "instellingen");
  params.smallestSize = settings.Real("kleinste_maat", params.smallestSize);
  params.pointSpacing = settings.Real("puntafstand", params.pointSpacing);

  GroupReader v(index, "vaas");
  vase.height = v.Real("hoogte", vase.height);
  vase.twist = v.Real("twist", vase.twist);
  vase.topScale = v.Real("schaal_boven", vase.topScale);
  vase.bulge = v.Real("bolling", vase.bulge);
  vase.steps = v.Int("stappen", vase.steps);
  vase.hollow = v.Flag("hol", vase.hollow);
  vase.wallThickness = v.Real("wanddikte", vase.wallThickness);
  vase.bottomThickness = v.Real("bodemdikte", vase.bottomThickness);
  vase.innerWallMode = v.Int("binnenwand", vase.innerWallMode);
  if (vase.innerWallMode < 0 || vase.innerWallMode > 2) vase.innerWallMode = 0;

  // Check-box states read as 0/1 and the STEP mode as 0/1, so a stray value
  // can neither leave a combo box without selection nor be saved again.
  GroupReader view(index, "weergave");
  extras.showGrid = view.Flag("raster", extras.showGrid);
  extras.showBaseLine = view.Flag("basislijn", extras.showBaseLine);
  extras.showFill = view.Flag("vullen", extras.showFill);
  extras.show3d = view.Flag("3d", extras.show3d);

  GroupReader exp(index, "export");
  extras.stepAs = exp.Int("step_als", extras.stepAs) == 1 ? 1 : 0;
  extras.stepHeight = exp.Real("step_hoogte", extras.stepHeight);
  extras.exportBaseLine = exp.Flag("basislijn", extras.exportBaseLine);

  GroupReader imp(index, "import");
  extras.importFile = imp.Text("bestand");
  extras.importIsStl = imp.Int("stl", 0);
  extras.stlZ = imp.Real("stl_z", extras.stlZ);
  params.importWidth = imp.Find("breedte") ? imp.Real("breedte", 0) : 0;
  params.importHeight = imp.Find("hoogte") ? imp.Real("hoogte", 0) : 0;
  const int64_t n = imp.Int("punten", 0);
  ReadPointLines(imp, n, text.size(), params.importPoints);
  if (static_cast<int64_t>(params.importPoints.size()) != n) {
    params.importPoints.clear();
    gFileErrorText = Tx(TX_PROJECT_OUTLINE_INCOMPLETE);
    if (params.shapeKind == SHAPE_IMPORTED) params.shapeKind = SHAPE_CIRCLE;
  }

  if (params.shapeKind < 0 || params.shapeKind > 3) params.shapeKind = SHAPE_CIRCLE;
  if (params.figureKind < 0 || params.figureKind > 6) params.figureKind = FIGURE_RECTANGLE;
  params.direction = params.direction < 0 ? DIRECTION_INWARD : DIRECTION_OUTWARD;
  if (params.sizeIsInner != 1) params.sizeIsInner = 0;
  if (params.divideByWidth != 1) params.divideByWidth = 0;
  return 1;
}

int64_t ReadProjectFile(const std::string& path, DesignParams& params, VaseParams& vase, ProjectExtras& extras) {
  gFileErrorText.clear();
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 1) return FailRead(TX_PROJECT_CANNOT_OPEN);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return FailRead(TX_PROJECT_CANNOT_OPEN);
  try {
    // The head decides whether the file can be a project at all, so that a
    // large file of anything else is never read whole.
    std::string bytes(static_cast<size_t>(std::min<int64_t>(st.st_size, PROJECT_HEAD_BYTES)), '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (!HasGroupLine(bytes)) return FailRead(TX_PROJECT_NOT_A_PROJECT);
    if (st.st_size > PROJECT_MAX_FILE_BYTES) return FailRead(TX_PROJECT_CANNOT_OPEN);
    const size_t head = bytes.size();
    if (static_cast<int64_t>(head) == PROJECT_HEAD_BYTES) {
      bytes.resize(static_cast<size_t>(st.st_size));
      bytes.resize(head + std::fread(bytes.data() + head, 1, bytes.size() - head, file.get()));
    }
    if (std::ferror(file.get()) != 0) return FailRead(TX_PROJECT_CANNOT_OPEN);
    file.reset();
    return ReadProjectText(bytes, params, vase, extras);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return FailRead(TX_PROJECT_CANNOT_OPEN);
}
