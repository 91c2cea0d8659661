"""Reads a DXF file with ezdxf and prints what a CAD program would see as
JSON: version, unit, audit errors and every polyline with its layer, closed
flag and vertices."""
import json
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
polylines = []
for entity in doc.modelspace():
    if entity.dxftype() == "POLYLINE":
        polylines.append({
            "layer": entity.dxf.layer,
            "closed": bool(entity.is_closed),
            "colour": entity.dxf.color,
            "points": [[v.dxf.location.x, v.dxf.location.y] for v in entity.vertices],
        })
print(json.dumps({
    "version": doc.dxfversion,
    "insunits": doc.header.get("$INSUNITS", -1),
    "errors": len(auditor.errors),
    "entities": len(list(doc.modelspace())),
    "polylines": polylines,
}))
