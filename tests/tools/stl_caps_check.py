#!/usr/bin/python3
"""Measures the flat parts of a vase STL with shapely, independently of the
writer: the rim at the top, the bottom and the inner floor.

usage: stl_caps_check.py FILE.stl RINGS

RINGS holds one line per flat part: "name z up x1 y1 x2 y2 ..." for the
outer ring, optionally followed by "| x1 y1 ..." for a hole; up is 1 when
the part faces up and 0 when it faces down. For each part it prints
"name_key value" lines: the facets at that height, those facing the wrong
way, their summed area, the area of the region the rings bound, the area of
the facets' union and the area by which the union and the region differ.
"""
import struct
import sys

from shapely.geometry import Polygon
from shapely.ops import unary_union


def read_facets(path):
    with open(path, "rb") as f:
        data = f.read()
    count = struct.unpack_from("<I", data, 80)[0]
    facets = []
    for k in range(count):
        v = struct.unpack_from("<12f", data, 84 + 50 * k)
        facets.append(((v[3], v[4], v[5]), (v[6], v[7], v[8]), (v[9], v[10], v[11])))
    return facets


def points(values):
    return [(values[i], values[i + 1]) for i in range(0, len(values), 2)]


def main():
    facets = read_facets(sys.argv[1])
    for line in open(sys.argv[2]):
        head, _, hole = line.partition("|")
        words = head.split()
        name, z, up = words[0], float(words[1]), int(words[2])
        shell = points([float(w) for w in words[3:]])
        holes = [points([float(w) for w in hole.split()])] if hole.strip() else []
        region = Polygon(shell, holes)
        flat = [f for f in facets if all(abs(p[2] - z) <= 1e-4 * max(1.0, abs(z)) for p in f)]
        wrong, total, pieces = 0, 0.0, []
        for a, b, c in flat:
            area = ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2
            if not up:
                area = -area
            # float32 corners: a sliver may come out a hair below zero
            if area < -1e-6:
                wrong += 1
            total += area
            if area > 0:
                pieces.append(Polygon([a[:2], b[:2], c[:2]]))
        union = unary_union(pieces)
        print(f"{name}_facets {len(flat)}")
        print(f"{name}_wrong {wrong}")
        print(f"{name}_sum {total:.9g}")
        print(f"{name}_region {region.area:.9g}")
        print(f"{name}_valid {1 if region.is_valid else 0}")
        print(f"{name}_union {union.area:.9g}")
        print(f"{name}_difference {union.symmetric_difference(region).area:.9g}")


main()
