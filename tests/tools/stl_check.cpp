// Reads a binary STL with CGAL and prints what an independent mesh kernel
// sees, one "key value" per line: facets, vertices after merging equal
// corners, facets that repeat a corner, whether the soup could be oriented
// into one mesh, closedness, the number of self-intersecting facet pairs,
// degenerate facets, facets the orientation had to turn over or cut loose,
// and the enclosed volume.
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_mesh_processing/measure.h>
#include <CGAL/Polygon_mesh_processing/orient_polygon_soup.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/polygon_soup_to_polygon_mesh.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
#include <CGAL/Surface_mesh.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Kernel::Point_3;
using Mesh = CGAL::Surface_mesh<Point>;
namespace PMP = CGAL::Polygon_mesh_processing;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: stl_check FILE.stl\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() < 84) {
    std::printf("read 0\n");
    return 1;
  }
  uint32_t count = 0;
  std::memcpy(&count, data.data() + 80, 4);
  if (data.size() < 84 + 50 * static_cast<size_t>(count)) {
    std::printf("read 0\n");
    return 1;
  }
  std::printf("read 1\nfacets %u\n", count);

  // Corners merged by their exact float values, as the file holds them.
  std::map<std::array<float, 3>, size_t> index;
  std::vector<Point> points;
  std::vector<std::array<size_t, 3>> faces;
  size_t repeated = 0;
  for (uint32_t k = 0; k < count; ++k) {
    float v[12];
    std::memcpy(v, data.data() + 84 + 50 * static_cast<size_t>(k), 48);
    std::array<size_t, 3> face;
    for (int c = 0; c < 3; ++c) {
      std::array<float, 3> key = {v[3 + 3 * c], v[4 + 3 * c], v[5 + 3 * c]};
      auto [at, added] = index.emplace(key, points.size());
      if (added) points.emplace_back(key[0], key[1], key[2]);
      face[c] = at->second;
    }
    if (face[0] == face[1] || face[1] == face[2] || face[2] == face[0]) {
      ++repeated;
      continue;
    }
    faces.push_back(face);
  }
  std::printf("vertices %zu\nrepeated_corner_facets %zu\n", points.size(), repeated);

  const std::vector<std::array<size_t, 3>> original = faces;
  const bool oriented = PMP::orient_polygon_soup(points, faces);
  std::printf("oriented %d\n", oriented ? 1 : 0);
  Mesh mesh;
  PMP::polygon_soup_to_polygon_mesh(points, faces, mesh);
  std::printf("mesh_faces %zu\n", static_cast<size_t>(mesh.number_of_faces()));
  const bool closed = CGAL::is_closed(mesh);
  std::printf("closed %d\n", closed ? 1 : 0);

  std::vector<std::pair<Mesh::Face_index, Mesh::Face_index>> pairs;
  PMP::self_intersections(mesh, std::back_inserter(pairs));
  std::printf("self_intersections %zu\n", pairs.size());
  // Where the first crossings lie, to find their cause.
  for (size_t k = 0; k < pairs.size() && k < 5; ++k) {
    for (Mesh::Face_index face : {pairs[k].first, pairs[k].second}) {
      std::fprintf(stderr, "face");
      for (auto v : CGAL::vertices_around_face(mesh.halfedge(face), mesh))
        std::fprintf(stderr, " (%g %g %g)", mesh.point(v).x(), mesh.point(v).y(), mesh.point(v).z());
      std::fprintf(stderr, "\n");
    }
    std::fprintf(stderr, "\n");
  }
  size_t degenerate = 0;
  for (Mesh::Face_index face : mesh.faces())
    if (PMP::is_degenerate_triangle_face(face, mesh)) ++degenerate;
  std::printf("degenerate_facets %zu\n", degenerate);
  size_t reoriented = 0;
  for (size_t k = 0; k < faces.size(); ++k)
    if (faces[k] != original[k]) ++reoriented;
  std::printf("reoriented %zu\n", reoriented);
  // The volume is signed by the winding as oriented: positive when the
  // facets face out of the material.
  if (closed) std::printf("volume %.9g\n", CGAL::to_double(PMP::volume(mesh)));
  return 0;
}
