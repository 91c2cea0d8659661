// Input files for the import tests, written at test time: raw bytes, or a
// DXF drawing made by an independent writer (python with ezdxf).
#pragma once

#include <string>

// A fresh path in the test's private temporary folder.
std::string ImportTestPath(const std::string& name);
void WriteTestFile(const std::string& path, const std::string& bytes);
// Runs a python body with `doc = ezdxf.new()`, `msp = doc.modelspace()`
// and `math` in scope, then saves the drawing to path. False on failure.
bool WriteEzdxfFile(const std::string& path, const std::string& body);
// A DXF file from group code / value lines given as "code\nvalue\n..." text
// inside an ENTITIES section.
std::string DxfEntities(const std::string& pairs);
