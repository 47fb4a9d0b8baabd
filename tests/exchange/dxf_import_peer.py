#!/usr/bin/env python3
"""The peer of the DXF import tests: ezdxf writes DXF files as CAD programs write them
today, and says what it makes of each, to compare with what the import made.

    dxf_import_peer.py write FOLDER                 writes NAME.dxf for every case
    dxf_import_peer.py check DXF JSON MOVEDX MOVEDY  compares the import's drawing (the
                                                     JSON dump) with ezdxf's reading

The check compares the total plan length of lines, arcs and curves (ezdxf flattening
its own paths), their extents, the number of faces, the texts (and where justified
texts are aligned, through the stroke font's measure), and the colours and visibility
of the layers. It prints every difference and exits 1 when there is one.
"""
import sys, json, math, ezdxf
from ezdxf import path as ezpath
from ezdxf.disassemble import recursive_decompose
from ezdxf.tools.text import plain_mtext
from ezdxf.colors import aci2rgb


def layers(doc):
    doc.layers.add("WALL", color=1)
    doc.layers.add("DOOR", color=3)
    doc.layers.add("TEXT", color=5)
    l = doc.layers.add("FURN", color=2)
    if doc.dxfversion > "AC1009":
        l.rgb = (200, 120, 40)
    doc.layers.add("OFF", color=4).off()

def plan():
    # The floor plan of the report: a room with a bay, doors as rotated and nested
    # blocks, a room name, an ellipse, a spline and a dimension.
    doc = ezdxf.new("R2010", units=4)
    layers(doc)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0, 0), (6000, 0, 0), (6000, 2000, -0.4), (6000, 3000, 0),
                        (6000, 4000, 0), (0, 4000, 0)], format="xyb", close=True,
                       dxfattribs={"layer": "WALL"})
    door = doc.blocks.new("DOOR", base_point=(0, 0))
    door.add_line((0, 0), (900, 0), dxfattribs={"layer": "0"})
    door.add_arc((0, 0), 900, 0, 90, dxfattribs={"layer": "0", "color": 0})
    pair = doc.blocks.new("PAIR")
    pair.add_blockref("DOOR", (0, 0))
    pair.add_blockref("DOOR", (1800, 0), dxfattribs={"xscale": -1})
    msp.add_blockref("DOOR", (1000, 0), dxfattribs={"layer": "DOOR", "rotation": 90})
    msp.add_blockref("PAIR", (2000, 4000), dxfattribs={"layer": "DOOR", "rotation": 180,
                                                         "color": 6})
    msp.add_mtext("LIVING\\PROOM {\\H2x;12}m %%d", dxfattribs={
        "layer": "TEXT", "char_height": 250, "insert": (3000, 2000),
        "attachment_point": 5})
    msp.add_ellipse((1500, 1500), major_axis=(600, 200), ratio=0.5,
                    dxfattribs={"layer": "FURN"})
    msp.add_spline(fit_points=[(4000, 500), (4500, 1200), (5000, 800), (5500, 1500)],
                   dxfattribs={"layer": "FURN"})
    msp.add_open_spline([(500, 3000), (900, 3800), (1500, 3100), (2100, 3700)],
                        dxfattribs={"layer": "FURN"})
    # Sized for a plan in millimetres printed at 1:100.
    dim = msp.add_linear_dim(base=(0, -600), p1=(0, 0), p2=(6000, 0),
                             dxfattribs={"layer": "WALL"},
                             override={"dimtxt": 250, "dimasz": 200, "dimexe": 100})
    dim.render()
    msp.add_line((0, 0), (100, 100), dxfattribs={"layer": "OFF"})
    doc.layout("Layout1").add_line((0, 0), (99999, 0))
    return doc

def blocks():
    # Mirrored, unevenly scaled, nested and gridded blocks, attributes, by-block colour.
    doc = ezdxf.new("R2000", units=4)
    layers(doc)
    msp = doc.modelspace()
    chair = doc.blocks.new("CHAIR", base_point=(50, 50))
    chair.add_circle((50, 50), 40)
    chair.add_arc((50, 50), 60, 200, 340, dxfattribs={"color": 0})
    chair.add_lwpolyline([(0, 0), (100, 0), (100, 100)], dxfattribs={"layer": "FURN"})
    chair.add_attdef("TAG", (0, -20), dxfattribs={"height": 10})
    table = doc.blocks.new("TABLE")
    table.add_lwpolyline([(0, 0), (800, 0), (800, 400), (0, 400)], close=True)
    table.add_blockref("CHAIR", (200, 500), dxfattribs={"rotation": 180})
    table.add_blockref("CHAIR", (600, -100))
    msp.add_blockref("TABLE", (0, 0), dxfattribs={"layer": "FURN"})
    msp.add_blockref("TABLE", (-500, 0), dxfattribs={"xscale": -1, "layer": "FURN"})
    msp.add_blockref("TABLE", (0, 2000), dxfattribs={"yscale": -2, "rotation": 30})
    msp.add_blockref("CHAIR", (3000, 0), dxfattribs={"xscale": 3, "yscale": 1.5})
    grid = msp.add_blockref("CHAIR", (0, 5000), dxfattribs={"color": 1})
    grid.grid(size=(3, 4), spacing=(300, 200))
    ref = msp.add_blockref("CHAIR", (5000, 5000), dxfattribs={"rotation": 45})
    ref.add_attrib("TAG", "SEAT-1", (5000, 4980), dxfattribs={"height": 25, "layer": "TEXT"})
    ref.add_attrib("TAG", "HIDDEN", (5000, 4950), dxfattribs={"height": 25, "flags": 1})
    # A centred label in a block mirrored by its scale and by its coordinate system: it
    # stays centred on its place (the stroke font is never drawn mirrored).
    label = doc.blocks.new("LABEL")
    from ezdxf.enums import TextEntityAlignment as A
    label.add_text("LBL", dxfattribs={"height": 40, "rotation": 20}).set_placement(
        (100, 50), align=A.MIDDLE_CENTER)
    msp.add_blockref("LABEL", (7000, 0), dxfattribs={"xscale": -1, "rotation": 30})
    msp.add_blockref("LABEL", (8000, 0), dxfattribs={"extrusion": (0, 0, -1)})
    return doc

def curves():
    doc = ezdxf.new("R2018", units=4)
    layers(doc)
    msp = doc.modelspace()
    msp.add_ellipse((0, 0), major_axis=(1000, 500), ratio=0.3, start_param=0.5,
                    end_param=4.0)
    msp.add_ellipse((3000, 0), major_axis=(0, 40), ratio=0.5)
    msp.add_circle((0, 0, 100), 300, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_arc((500, 500), 200, 10, 120, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_polyline3d([(0, 0, 0), (100, 200, 300), (400, 100, 50)], close=True)
    msp.add_polyline2d([(0, 1000, 0.5), (1000, 1000, 0), (1000, 2000, -1)], format="xyb")
    msp.add_spline(fit_points=[(0, 3000, 0), (500, 3300, 0), (900, 2900, 0), (1500, 3500, 0)],
                   dxfattribs={"color": 3}).set_closed
    msp.add_rational_spline([(0, 4000), (500, 4800), (1000, 4000), (1500, 4800)],
                            [1, 3, 0.5, 1])
    hatch = msp.add_hatch(color=2, dxfattribs={"layer": "FURN"})
    hatch.paths.add_polyline_path([(0, 6000, 0), (1000, 6000, 0.5), (1000, 7000, 0),
                                   (0, 7000, 0)], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_line((2000, 6000), (3000, 6000))
    edges.add_arc((3000, 6500), 500, -90, 90, ccw=True)
    edges.add_ellipse((2500, 7000), (500, 0), 0.5, 0, 180, ccw=True)
    edges.add_line((2000, 7000), (2000, 6000))
    hatch2 = msp.add_hatch()
    e2 = hatch2.paths.add_edge_path()
    e2.add_arc((5000, 6500), 500, 90, 270, ccw=False)
    e2.add_line((5000, 6000), (5000, 7000))
    leader = msp.add_leader([(0, 9000), (500, 9500), (1500, 9500)],
                            dxfattribs={"has_arrowhead": 0})
    return doc

def texts():
    doc = ezdxf.new("R2010", units=4)
    layers(doc)
    msp = doc.modelspace()
    from ezdxf.enums import TextEntityAlignment as A
    y = 0
    for align in (A.LEFT, A.CENTER, A.RIGHT, A.MIDDLE, A.BOTTOM_LEFT, A.MIDDLE_CENTER,
                  A.TOP_RIGHT, A.BOTTOM_CENTER, A.TOP_LEFT):
        t = msp.add_text("J" + align.name, dxfattribs={"height": 100, "layer": "TEXT",
                                                       "rotation": 30})
        t.set_placement((1000, y), align=align)
        y += 300
    msp.add_text("FITTED", dxfattribs={"height": 100}).set_placement(
        (0, -500), (1200, -300), align=A.FIT)
    msp.add_text("ALIGNED", dxfattribs={"height": 100}).set_placement(
        (0, -900), (1400, -900), align=A.ALIGNED)
    msp.add_text("25%%d %%p0.5 100%%% \u58c1\U0001F600", dxfattribs={"height": 50,
                                                                  "insert": (0, -1500)})
    for attachment in range(1, 10):
        msp.add_mtext("{\\fArial|b1;Row} \\S1/2; of\\Pnine \\L\\~under\\l\\Pthird",
                      dxfattribs={"char_height": 40, "attachment_point": attachment,
                                  "insert": (3000 + 800 * (attachment % 3),
                                             300 * (attachment // 3)),
                                  "rotation": 15 * attachment})
    return doc

def inches():
    doc = ezdxf.new("R2000", units=1)
    layers(doc)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (120, 0), (120, 96), (0, 96)], close=True,
                       dxfattribs={"layer": "WALL"})
    msp.add_circle((60, 48), 12, dxfattribs={"layer": "FURN"})
    msp.add_text("ROOM", dxfattribs={"height": 6, "insert": (10, 10)})
    return doc

def r12():
    doc = ezdxf.new("R12")
    layers(doc)
    msp = doc.modelspace()
    msp.add_polyline2d([(0, 0, 0), (2000, 0, 1), (2000, 1000, 0), (0, 1000, -0.3)],
                       format="xyb", close=True, dxfattribs={"layer": "WALL"})
    b = doc.blocks.new("MARK")
    b.add_circle((0, 0), 50)
    b.add_attdef("NO", (60, 0), dxfattribs={"height": 30})
    ref = msp.add_blockref("MARK", (500, 500), dxfattribs={"layer": "DOOR"})
    ref.add_attrib("NO", "A-1", (560, 500), dxfattribs={"height": 30})
    msp.add_text("25\u00b0C", dxfattribs={"height": 80, "insert": (100, 1200)})
    msp.add_polyface().append_faces([[(0, 0, 0), (100, 0, 0), (100, 100, 50)],
                                     [(0, 0, 0), (100, 100, 50), (0, 100, 0), (-50, 50, 0)]])
    mesh = msp.add_polymesh(size=(3, 2))
    for m in range(3):
        for n in range(2):
            mesh.set_mesh_vertex((m, n), (m * 100, 2000 + n * 100, m * n * 10))
    return doc


CASES = (("plan", plan), ("blocks", blocks), ("curves", curves), ("texts", texts),
         ("inches", inches), ("r12", r12))


def compare(dxf, ours_file, moved_x, moved_y):
    doc = ezdxf.readfile(dxf)
    scale = {0: 1.0, 1: 25.4, 2: 304.8, 4: 1.0, 5: 10.0, 6: 1000.0}[doc.header.get("$INSUNITS", 0)]
    ours = json.load(open(ours_file, encoding="utf-8"))
    failures = []

    def check(what, ok, detail):
        if not ok:
            failures.append(f"{what}: {detail}")

    def drawn(text):  # as the drawing holds it: CP932, "?" for what it cannot
        out = ""
        # ezdxf leaves the percent code as it is; CAD programs draw "%".
        for c in text.replace("%%%", "%").replace("\u00d8", "\u03c6"):
            try:
                c.encode("cp932")
                out += c
            except UnicodeEncodeError:
                out += "?"
        return out

    def units(text):  # the stroke font's measure: 1 a full-width character, 0.5 a half
        return sum(1.0 if len(c.encode("cp932", "replace")) == 2 else 0.5 for c in text)

    # What ezdxf makes of model space, blocks resolved, in millimetres.
    want = {"length": 0.0, "faces": 0, "texts": [], "x": [], "y": []}
    aligned = []

    def add_path(p):
        points = [v * scale for v in p.flattening(0.001)] if len(p) else []
        for a, b in zip(points, points[1:]):
            want["length"] += math.hypot(b.x - a.x, b.y - a.y)
        for v in points:
            want["x"].append(v.x)
            want["y"].append(v.y)

    for e in recursive_decompose(doc.modelspace()):
        t = e.dxftype()
        if t in ("TEXT", "ATTRIB"):
            if t == "ATTRIB" and e.is_invisible:
                continue
            text = drawn(e.plain_text())
            want["texts"].append(text)
            h, v = e.dxf.halign, e.dxf.valign
            if h or v:
                # The points of a text lie in its own coordinate system (a mirrored
                # block's texts look from below).
                ocs = e.ocs()
                aligned.append((text, h, v, ocs.to_wcs(e.dxf.insert) * scale,
                                ocs.to_wcs(e.dxf.align_point) * scale, e.dxf.height * scale))
        elif t == "MTEXT":
            want["texts"] += [drawn(l) for l in plain_mtext(e.text, split=True) if l]
        elif t in ("3DFACE", "SOLID", "TRACE"):
            want["faces"] += 1
        elif t == "POLYLINE" and (e.is_poly_face_mesh or e.is_polygon_mesh):
            from ezdxf.render import MeshBuilder
            want["faces"] += len(MeshBuilder.from_polyface(e).faces)
        elif t == "HATCH":
            for p in ezpath.from_hatch(e):
                add_path(p)
        elif t not in ("POINT", "ATTDEF"):
            add_path(ezpath.make_path(e))

    # What the import made, back in the file's place: moved back, plan Y = -z.
    got = {"length": 0.0, "faces": 0, "texts": [], "x": [], "y": []}
    texts = {}
    for s in ours["shapes"]:
        pts = [(p[0] - moved_x, -p[2] - moved_y) for p in s["points"]]
        kind = s["type"]
        if kind == 1:
            got["length"] += math.dist(pts[0], pts[1])
            got["x"] += [pts[0][0], pts[1][0]]
            got["y"] += [pts[0][1], pts[1][1]]
        elif kind in (2, 3):
            r = s["points"][1][0]
            a0, a1 = (0.0, 360.0) if kind == 2 else (s["points"][1][1], s["points"][1][2])
            got["length"] += r * math.radians(a1 - a0)
            steps = max(2, int(a1 - a0) * 4)
            for k in range(steps + 1):
                a = math.radians(a0 + (a1 - a0) * k / steps)
                got["x"].append(pts[0][0] + r * math.cos(a))
                got["y"].append(pts[0][1] + r * math.sin(a))
        elif kind == 4:
            got["faces"] += 1
        elif kind == 5:
            got["texts"].append(s["text"])
            texts.setdefault(s["text"], []).append((pts[0], s["points"][1]))

    check("plan length", math.isclose(got["length"], want["length"], rel_tol=2e-4, abs_tol=0.01),
          f'{got["length"]:.3f} against {want["length"]:.3f}')
    check("faces", got["faces"] == want["faces"], f'{got["faces"]} against {want["faces"]}')
    for axis in ("x", "y"):
        if want[axis] or got[axis]:
            for pick, name in ((min, "min"), (max, "max")):
                a, b = pick(got[axis] or [0]), pick(want[axis] or [0])
                check(f"extents {name} {axis}", abs(a - b) <= 0.5, f"{a:.3f} against {b:.3f}")
    check("texts", sorted(got["texts"]) == sorted(want["texts"]),
          f'{sorted(got["texts"])} against {sorted(want["texts"])}')

    # A justified text's alignment point, where the stroke font's measure puts it: one
    # of the texts of that string (copies of a block repeat it) stands there.
    for text, h, v, insert, align, height in aligned:
        misses = []
        for (x, y), (th, tw, ta) in texts.get(text, []):
            c, s = math.cos(math.radians(ta)), math.sin(math.radians(ta))
            length = units(text) * tw
            if h in (3, 5):
                ends = [((x, y), insert), ((x + length * c, y + length * s), align)]
            else:
                fh = {0: 0.0, 1: 0.5, 2: 1.0, 4: 0.5}.get(h, 0.0)
                fv = 0.5 if h == 4 else {0: 0.0, 1: 0.0, 2: 0.5, 3: 1.0}[v]
                ends = [((x + fh * length * c - fv * th * s, y + fh * length * s + fv * th * c), align)]
            miss = [f"({px:.2f}, {py:.2f}) against ({p.x:.2f}, {p.y:.2f})" for (px, py), p in ends
                    if math.hypot(px - p.x, py - p.y) > 0.01 * height]
            if not miss:
                break
            misses += miss
        else:
            check(f"alignment of {text}", False, "; ".join(misses) or "no such text")

    # The layers take the colours and the visibility of the file's layers.
    for layer in ours["layers"]:
        record = doc.layers.get(layer["name"])
        rgb = record.rgb or aci2rgb(abs(record.color))
        got_rgb = tuple(round(layer[k] * 255) for k in ("red", "green", "blue"))
        check(f"colour of {layer['name']}", got_rgb == tuple(rgb), f"{got_rgb} against {tuple(rgb)}")
        visible = record.is_on() and not record.is_frozen()
        check(f"visibility of {layer['name']}", layer["visible"] == visible, layer["visible"])

    return failures


if __name__ == "__main__":
    if sys.argv[1] == "write":
        for name, make in CASES:
            make().saveas(f"{sys.argv[2]}/{name}.dxf")
    else:
        failures = compare(sys.argv[2], sys.argv[3], float(sys.argv[4]), float(sys.argv[5]))
        print("\n".join(failures))
        sys.exit(1 if failures else 0)
