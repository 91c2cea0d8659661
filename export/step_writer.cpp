#include "export/step_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include "engine/text_helpers.h"
#include "export/export_file.h"

int64_t gStepNextId = 0;
StepLineList gStepLines;

int64_t StepLineCount() { return static_cast<int64_t>(gStepLines.ends.size()); }

std::string_view StepLine(int64_t index) {
  size_t begin = index == 0 ? 0 : gStepLines.ends[static_cast<size_t>(index) - 1];
  size_t end = gStepLines.ends[static_cast<size_t>(index)] - 1;
  return std::string_view(gStepLines.text).substr(begin, end - begin);
}

void AppendStepInt(std::string& out, int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendStepRef(std::string& out, int64_t id) {
  out += '#';
  AppendStepInt(out, id);
}

std::string FormatStepRef(int64_t id) {
  std::string text;
  AppendStepRef(text, id);
  return text;
}

namespace {

// Writes x with six decimals into out (room for 340 bytes) and returns the
// end. Values below 2^43 are rounded exactly from their binary value in
// integer arithmetic (half to even, as the C library does); larger ones go
// through to_chars.
char* WriteStepReal(char* out, double x) {
  if (std::fabs(x) < 1e-12) x = 0.0;
  if (x == 0.0) {
    std::memcpy(out, "0.000000", 8);
    return out + 8;
  }
  if (!(std::fabs(x) < 8796093022208.0)) {
    return std::to_chars(out, out + 340, x, std::chars_format::fixed, 6).ptr;
  }
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  if (bits >> 63) *out++ = '-';
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  // x = mantissa * 2^(exponent - 1075) with 10 <= shift <= 92 here.
  int shift = 1075 - exponent;
  unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 1000000u;
  unsigned __int128 units = scaled >> shift;
  unsigned __int128 rest = scaled - (units << shift);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rest > half || (rest == half && (units & 1))) ++units;
  uint64_t whole = static_cast<uint64_t>(units / 1000000u);
  uint32_t fraction = static_cast<uint32_t>(units % 1000000u);
  out = std::to_chars(out, out + 24, whole).ptr;
  *out++ = '.';
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + 6;
}

}  // namespace

void AppendStepReal(std::string& out, double x) {
  char buffer[340];
  char* end = WriteStepReal(buffer, x);
  out.append(buffer, end);
}

std::string FormatStepReal(double x) {
  std::string text;
  AppendStepReal(text, x);
  return text;
}

int64_t BeginStepEntity() {
  ++gStepNextId;
  AppendStepRef(gStepLines.text, gStepNextId);
  gStepLines.text += '=';
  return gStepNextId;
}

void EndStepEntity() {
  gStepLines.text += ";\n";
  gStepLines.ends.push_back(gStepLines.text.size());
}

int64_t AddStepEntity(const std::string& text) {
  int64_t id = BeginStepEntity();
  bool ascii = true;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  gStepLines.text += ascii ? text : ToSingleByteText(text);
  EndStepEntity();
  return id;
}

int64_t AddStepRefEntity(const char* head, const int64_t* refs, size_t count, const char* tail) {
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += head;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) t += ',';
    AppendStepRef(t, refs[i]);
  }
  t += tail;
  EndStepEntity();
  return id;
}

int64_t AddStepRefEntity(const char* head, std::initializer_list<int64_t> refs, const char* tail) {
  return AddStepRefEntity(head, refs.begin(), refs.size(), tail);
}

int64_t AddStepRefRealEntity(const char* head, int64_t ref, double value) {
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += head;
  AppendStepRef(t, ref);
  t += ',';
  AppendStepReal(t, value);
  t += ')';
  EndStepEntity();
  return id;
}

int64_t AddAdvancedFace(std::initializer_list<int64_t> bounds, int64_t surface, int64_t sameSense) {
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += "ADVANCED_FACE('',(";
  bool first = true;
  for (int64_t bound : bounds) {
    if (!first) t += ',';
    first = false;
    AppendStepRef(t, bound);
  }
  t += "),";
  AppendStepRef(t, surface);
  t += sameSense != 0 ? ",.T.)" : ",.F.)";
  EndStepEntity();
  return id;
}

int64_t AddCartesianPoint(double x, double y, double z) {
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += "CARTESIAN_POINT('',(";
  AppendStepReal(t, x);
  t += ',';
  AppendStepReal(t, y);
  t += ',';
  AppendStepReal(t, z);
  t += "))";
  EndStepEntity();
  return id;
}

int64_t AddAxis2Placement3D(int64_t axis, int64_t reference, double x, double y, double z) {
  int64_t point = AddCartesianPoint(x, y, z);
  return AddStepRefEntity("AXIS2_PLACEMENT_3D('',", {point, axis, reference}, ")");
}

int64_t AddOrientedEdge(int64_t edge, int64_t forward) {
  return AddStepRefEntity("ORIENTED_EDGE('',*,*,", {edge}, forward != 0 ? ",.T.)" : ",.F.)");
}

int64_t AddEdgeLoop(const int64_t* edges, int64_t count, int64_t forward) {
  std::vector<int64_t> oriented;
  oriented.reserve(static_cast<size_t>(count > 0 ? count : 0));
  if (forward != 0) {
    for (int64_t i = 0; i < count; ++i) oriented.push_back(AddOrientedEdge(edges[i], 1));
  } else {
    for (int64_t i = count - 1; i >= 0; --i) oriented.push_back(AddOrientedEdge(edges[i], 0));
  }
  return AddStepRefEntity("EDGE_LOOP('',(", oriented.data(), oriented.size(), "))");
}

void BeginStepModel(const std::string& productName, int64_t& shapeDefinition, int64_t& context) {
  gStepLines.text.clear();
  gStepLines.ends.clear();
  gStepNextId = 0;
  int64_t application = AddStepEntity("APPLICATION_CONTEXT('core data for automotive mechanical design processes')");
  AddStepEntity("APPLICATION_PROTOCOL_DEFINITION('international standard','automotive_design',2000," +
                FormatStepRef(application) + ")");
  int64_t productContext = AddStepEntity("PRODUCT_CONTEXT(''," + FormatStepRef(application) + ",'mechanical')");
  int64_t product = AddStepEntity("PRODUCT('" + productName + "','" + productName + "','',(" +
                                  FormatStepRef(productContext) + "))");
  int64_t formation = AddStepEntity("PRODUCT_DEFINITION_FORMATION('',''," + FormatStepRef(product) + ")");
  int64_t definitionContext =
      AddStepEntity("PRODUCT_DEFINITION_CONTEXT('part definition'," + FormatStepRef(application) + ",'design')");
  int64_t definition = AddStepEntity("PRODUCT_DEFINITION('design',''," + FormatStepRef(formation) + "," +
                                     FormatStepRef(definitionContext) + ")");
  shapeDefinition = AddStepEntity("PRODUCT_DEFINITION_SHAPE('',''," + FormatStepRef(definition) + ")");
  int64_t length = AddStepEntity("(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.))");
  int64_t angle = AddStepEntity("(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.))");
  int64_t solidAngle = AddStepEntity("(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT())");
  int64_t uncertainty = AddStepEntity("UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-06)," + FormatStepRef(length) +
                                      ",'distance_accuracy_value','confusion accuracy')");
  context = AddStepEntity("(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((" +
                          FormatStepRef(uncertainty) + "))GLOBAL_UNIT_ASSIGNED_CONTEXT((" + FormatStepRef(length) +
                          "," + FormatStepRef(angle) + "," + FormatStepRef(solidAngle) +
                          "))REPRESENTATION_CONTEXT('Context #1','3D Context with UNIT and UNCERTAINTY'))");
}

namespace {

std::string LocalTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

}  // namespace

void DiscardStepModel() {
  std::string().swap(gStepLines.text);
  std::vector<size_t>().swap(gStepLines.ends);
}

int64_t WriteStepFile(const std::string& path, const std::string& description) {
  std::string head;
  head += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('";
  head += ToSingleByteText(description);
  head += "'),'2;1');\nFILE_NAME('";
  head += ToSingleByteText(WithoutQuotes(FilePart(path)));
  head += "','";
  head += LocalTimeStamp();
  head += "',(''),(''),'Ribbelo','Ribbelo','');\n";
  head += "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n";
  int64_t ok = WriteWholeFile(path, {head, gStepLines.text, "ENDSEC;\nEND-ISO-10303-21;\n"});
  DiscardStepModel();
  return ok;
}
