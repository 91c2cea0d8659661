// Independent readers of a written STL: admesh and the CGAL checker.
#pragma once

#include <string>

// admesh as an independent reader: one part, nothing to repair. Skips the
// test when admesh is missing.
void ExpectAdmeshFindsNothingToFix(const std::string& path);
// CGAL on the file as written, corners merged: one closed mesh, no two
// facets meeting but at shared edges and corners, no degenerate facet, a
// positive volume with the file's own winding.
void ExpectKernelFindsSoundSolid(const std::string& path, const std::string& name);
