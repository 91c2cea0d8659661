// Reads a STEP file with OpenCASCADE and prints what a CAD program would
// see, one "key value" per line: solids, shells, faces, edges, free edges
// (edges with fewer than two faces), validity, volume, total edge length,
// whether every edge is bounded, and how many faces could not be meshed
// for the volume.
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <STEPControl_Reader.hxx>
#include <Precision.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopLoc_Location.hxx>
#include <Poly_Triangulation.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>
#include <TopoDS_Shape.hxx>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: step_check FILE [MESH_DEFLECTION]\n");
    return 2;
  }
  const double deflection = argc == 3 ? std::atof(argv[2]) : 5e-3;
  STEPControl_Reader reader;
  if (reader.ReadFile(argv[1]) != IFSelect_RetDone) {
    std::printf("read 0\n");
    return 1;
  }
  reader.TransferRoots();
  TopoDS_Shape shape = reader.OneShape();
  std::printf("read 1\n");
  if (shape.IsNull()) {
    std::printf("null 1\n");
    return 1;
  }
  TopTools_IndexedMapOfShape solids, shells, faces, edges, vertices;
  TopExp::MapShapes(shape, TopAbs_SOLID, solids);
  TopExp::MapShapes(shape, TopAbs_SHELL, shells);
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  TopExp::MapShapes(shape, TopAbs_EDGE, edges);
  TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
  TopTools_IndexedDataMapOfShapeListOfShape edgeFaces;
  TopExp::MapShapesAndAncestors(shape, TopAbs_EDGE, TopAbs_FACE, edgeFaces);
  int freeEdges = 0;
  for (int i = 1; i <= edgeFaces.Extent(); ++i)
    if (edgeFaces(i).Extent() < 2) ++freeEdges;
  int unbounded = 0;
  double length = 0;
  for (int i = 1; i <= edges.Extent(); ++i) {
    const TopoDS_Edge& edge = TopoDS::Edge(edges(i));
    double first = 0, last = 0;
    BRep_Tool::Range(edge, first, last);
    if (Precision::IsInfinite(first) || Precision::IsInfinite(last)) {
      ++unbounded;
      continue;
    }
    GProp_GProps props;
    BRepGProp::LinearProperties(edge, props, Standard_True);
    length += props.Mass();
  }
  BRepCheck_Analyzer analyzer(shape);
  double volume = 0;
  int unmeshed = 0;
  if (solids.Extent() > 0) {
    // The integration over the faces misses by percents on tall extrusions
    // and on B-splines of many spans; the signed sum over a fine mesh of the
    // faces is off by about the deflection times the surface area.
    BRepMesh_IncrementalMesh mesh(shape, deflection, Standard_False, 0.5);
    for (TopExp_Explorer face(shape, TopAbs_FACE); face.More(); face.Next()) {
      const TopoDS_Face& f = TopoDS::Face(face.Current());
      TopLoc_Location location;
      Handle(Poly_Triangulation) triangulation = BRep_Tool::Triangulation(f, location);
      if (triangulation.IsNull()) {
        ++unmeshed;
        continue;
      }
      const gp_Trsf& move = location.Transformation();
      const bool reversed = f.Orientation() == TopAbs_REVERSED;
      for (int t = 1; t <= triangulation->NbTriangles(); ++t) {
        int a = 0, b = 0, c = 0;
        triangulation->Triangle(t).Get(a, b, c);
        if (reversed) std::swap(b, c);
        gp_Pnt p = triangulation->Node(a).Transformed(move);
        gp_Pnt q = triangulation->Node(b).Transformed(move);
        gp_Pnt r = triangulation->Node(c).Transformed(move);
        volume += (p.X() * (q.Y() * r.Z() - q.Z() * r.Y()) - p.Y() * (q.X() * r.Z() - q.Z() * r.X()) +
                   p.Z() * (q.X() * r.Y() - q.Y() * r.X())) /
                  6;
      }
    }
  }
  std::printf("solids %d\nshells %d\nfaces %d\nedges %d\nvertices %d\nfree_edges %d\nunbounded_edges %d\n",
              solids.Extent(), shells.Extent(), faces.Extent(), edges.Extent(), vertices.Extent(), freeEdges,
              unbounded);
  std::printf("valid %d\nvolume %.12g\nlength %.12g\n", analyzer.IsValid() ? 1 : 0, volume, length);
  // Faces the mesher could not cover are missing from the volume.
  std::printf("unmeshed_faces %d\n", unmeshed);
  return 0;
}
