// Reads a STEP file with OpenCASCADE and prints what a CAD program would
// see, one "key value" per line: solids, shells, faces, edges, free edges
// (edges with fewer than two faces), validity, volume, total edge length,
// and whether every edge is bounded.
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
#include <TopoDS_Shape.hxx>

#include <cmath>
#include <cstdio>
#include <cstdlib>

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
  if (solids.Extent() > 0) {
    GProp_GProps props;
    // Integration over the faces misjudges B-splines of many spans; a fine
    // mesh of the faces is close enough (volume error about the deflection
    // times the surface area).
    BRepMesh_IncrementalMesh mesh(shape, deflection, Standard_False, 0.5);
    BRepGProp::VolumeProperties(shape, props, Standard_False, Standard_False, Standard_True);
    volume = props.Mass();
  }
  std::printf("solids %d\nshells %d\nfaces %d\nedges %d\nvertices %d\nfree_edges %d\nunbounded_edges %d\n",
              solids.Extent(), shells.Extent(), faces.Extent(), edges.Extent(), vertices.Extent(), freeEdges,
              unbounded);
  std::printf("valid %d\nvolume %.12g\nlength %.12g\n", analyzer.IsValid() ? 1 : 0, volume, length);
  return 0;
}
