#include "tests/support/import_files.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

const std::string& TestFolder() {
  static std::string folder;
  if (folder.empty()) {
    char pattern[] = "/tmp/ribbelo_import_XXXXXX";
    if (mkdtemp(pattern) != nullptr) folder = pattern;
  }
  return folder;
}

}  // namespace

std::string ImportTestPath(const std::string& name) { return TestFolder() + "/" + name; }

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
