#include "tests/support/import_files.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tests/support/temp_folder.h"

std::string ImportTestPath(const std::string& name) { return ProcessTempFolder().Path(name); }

void WriteTestFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool WriteEzdxfFile(const std::string& path, const std::string& body) {
  std::string script = "import ezdxf, math, sys\ndoc = ezdxf.new('R2010')\nmsp = doc.modelspace()\n" + body +
                       "\ndoc.saveas(sys.argv[1])\n";
  std::string scriptPath = path + ".py";
  WriteTestFile(scriptPath, script);
  std::string command = "/usr/bin/python3 '" + scriptPath + "' '" + path + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string DxfEntities(const std::string& pairs) {
  return "0\nSECTION\n2\nENTITIES\n" + pairs + "0\nENDSEC\n0\nEOF\n";
}

std::vector<StlTriangle> StlBox(float x0, float y0, float z0, float x1, float y1, float z1) {
  StlVertex c[8];
  for (int i = 0; i < 8; ++i) c[i] = {i & 1 ? x1 : x0, i & 2 ? y1 : y0, i & 4 ? z1 : z0};
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  std::vector<StlTriangle> out;
  for (const auto& q : quads) {
    out.push_back({c[q[0]], c[q[1]], c[q[2]]});
    out.push_back({c[q[0]], c[q[2]], c[q[3]]});
  }
  return out;
}

namespace {

void PutU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutFloat(std::string& s, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(s, bits);
}

}  // namespace

std::string BinaryStl(const std::vector<StlTriangle>& triangles, uint32_t count, size_t trailing) {
  std::string s = "solid made by a test";
  s.resize(80, ' ');
  PutU32(s, count);
  for (const StlTriangle& t : triangles) {
    for (int i = 0; i < 3; ++i) PutFloat(s, 0);
    for (const StlVertex& v : t)
      for (float f : v) PutFloat(s, f);
    s += std::string(2, '\0');
  }
  return s + std::string(trailing, 'x');
}
