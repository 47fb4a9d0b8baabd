#!/usr/bin/env python3
"""Prints the table of figures and ratios from the results bench/run.sh wrote.

    bench/summary.py OUT_DIR"""
import json
import os
import sys

VIEWS = {"0": "start-up view", "1": "zoomed in", "2": "far plane"}


def load(directory, name):
    path = os.path.join(directory, name + ".json")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    if "benchmarks" not in data:
        return data
    return {b["name"]: b for b in data["benchmarks"] if b.get("run_type", "iteration") == "iteration"}


def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def find(results, prefix):
    for name, b in results.items():
        if name.startswith(prefix):
            return b
    return None


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    d = sys.argv[1]
    rows = []

    def row(what, figure, anchor, ratio, goal):
        rows.append((what, figure, anchor, ratio, goal))

    def against_copy(results, copy, named):
        """Rows of (benchmark, label, goal) beside the copy of the wireframe's vertices."""
        for name, label, goal in named:
            b = find(results, name)
            if b:
                figure = f"{ms(b):.1f} ms" if ms(b) >= 1 else f"{ms(b):.3f} ms"
                row(label, figure, f"copy vertices {ms(copy):.1f} ms", f"{ms(b) / ms(copy):.3g}x", goal)

    pick = load(d, "pick")
    if pick:
        for bench, label in (("BM_PickClick", "click pick"), ("BM_SnapClick", "vertex snap"),
                             ("BM_SelectWindow", "selection window")):
            for view in ("0", "1", "2"):
                for hit in ("0", "1"):
                    fast = find(pick, f"{bench}/view:{view}/hit:{hit}/walk:0")
                    walk = find(pick, f"{bench}/view:{view}/hit:{hit}/walk:1")
                    if fast and walk:
                        row(f"{label}, {VIEWS[view]}, {'hit' if hit == '1' else 'miss'}",
                            f"{ms(fast):.3f} ms", f"walk {ms(walk):.1f} ms",
                            f"{ms(walk) / ms(fast):.0f}x faster", "< 16 ms")
        build = find(pick, "BM_PickIndexBuild")
        anchor = find(pick, "BM_PickAnchorProjectAll")
        if build and anchor:
            row("pick index built afresh", f"{ms(build):.0f} ms",
                f"project all {ms(anchor):.0f} ms", f"{ms(build) / ms(anchor):.1f}x", "")
    paint = load(d, "paint")
    copy = paint and find(paint, "BM_PaintAnchorCopyVertices")
    if copy:
        against_copy(paint, copy, (("BM_PaintAfterEditOfAll", "wireframe rebuilt (core)", "< 200 ms with upload"),
                                   ("BM_PaintAfterSelectAll", "wireframe recoloured (core)", ""),
                                   ("BM_PaintAfterEditOfOne", "edit of one shape (core)", "no whole rebuild")))
        for name, b in paint.items():
            if name.startswith("BM_MouseMoveRubberBand"):
                row("mouse move, " + name.split("/", 1)[1], f"{ms(b):.3f} ms",
                    f"copy vertices {ms(copy):.1f} ms", f"{ms(b) / ms(copy):.3f}x", "no per-shape work")
    gl = load(d, "gl")
    glcopy = gl and find(gl, "BM_GlAnchorCopyVertices")
    if glcopy:
        against_copy(gl, glcopy, (("BM_GlPaintUnchanged", "GL paint, nothing changed", ""),
                                  ("BM_GlPaintAfterEditOfOne", "GL paint after edit of one", ""),
                                  ("BM_GlPaintAfterEditOfAll", "GL paint after edit of all (rebuild + upload)",
                                   "< 200 ms"),
                                  ("BM_GlUploadAfterEditOfAll", "GL upload and draw alone, after edit of all", "")))
    undo = load(d, "undo")
    rebuild = undo and find(undo, "BM_AnchorWireframeRebuild")
    if rebuild:
        for name in ("BM_UndoErase", "BM_RedoErase", "BM_UndoMove", "BM_RedoMove"):
            b = find(undo, name)
            if b:
                row(name[3:] + " of 1,000,000 lines", f"{ms(b):.1f} ms",
                    f"wireframe rebuild {ms(rebuild):.1f} ms", f"{ms(b) / ms(rebuild):.2f}x", "< 1x")
    native = load(d, "native")
    read = native and find(native, "BM_AnchorReadFile")
    copyf = native and find(native, "BM_AnchorCopyFile")
    load_b = native and find(native, "BM_LoadDrawing")
    save_b = native and find(native, "BM_SaveDrawing")
    if read and load_b:
        row("native file load", f"{ms(load_b):.0f} ms", f"cat {ms(read):.0f} ms",
            f"{ms(read) / ms(load_b):.2f} of cat's speed", ">= 0.25")
    if copyf and save_b:
        row("native file save", f"{ms(save_b):.0f} ms", f"copy {ms(copyf):.0f} ms",
            f"{ms(copyf) / ms(save_b):.2f} of the copy's speed", ">= 0.25")
    dxf = load(d, "dxf")
    dxf_group = load(d, "dxf_import")
    dxf_import = find(dxf_group, "BM_ImportDxfPlan")
    scan = dxf_group and find(dxf_group, "BM_DxfAnchorBareScan")
    lib = dxf and find(dxf, "BM_DxflibParsePlan")
    if dxf_import and scan:
        mb = scan.get("MB", 0) or dxf_import.get("MB", 0)
        row("DXF import", f"{ms(dxf_import):.0f} ms", f"bare scan {ms(scan):.0f} ms",
            f"{ms(scan) / ms(dxf_import):.2f} of the scan's speed", ">= 0.80")
        if "first_import_ms" in dxf_import:
            first = dxf_import["first_import_ms"]
            row("DXF import, first of the process (fresh memory)", f"{first:.0f} ms",
                f"bare scan {ms(scan):.0f} ms", f"{ms(scan) / first:.2f} of the scan's speed", "")
        if lib:
            row("DXF import vs dxflib", f"{ms(dxf_import):.0f} ms", f"dxflib {ms(lib):.0f} ms",
                f"{ms(lib) / ms(dxf_import):.1f}x faster", ">= 10x")
        if "peak_MB" in dxf_import and mb:
            row("DXF import peak memory", f"{dxf_import['peak_MB']:.0f} MB", f"file {mb:.0f} MB",
                f"{dxf_import['peak_MB'] / mb:.2f}x the file", "<= 2x")
    blocks = find(load(d, "dxf_blocks"), "BM_ImportDxfBlockPlan")
    if blocks and blocks.get("ezdxf_read_ms", 0) > 0:
        row(f"DXF import, 10,000 references to a block of 50 ({blocks['shapes']:,.0f} shapes)",
            f"{ms(blocks):.0f} ms", f"ezdxf reads the file {blocks['ezdxf_read_ms']:.0f} ms",
            f"{blocks['ezdxf_read_ms'] / ms(blocks):.1f}x faster", "")
    plan = load(d, "gl_plan")
    if plan:
        plans = {"1": "spread plan (100 km)", "2": "dense plan (2.4 km)"}
        views = {"0": "start-up view", "1": "whole extent", "2": "from the far plane", "3": "zoomed in on a corner"}
        for bench, label in (("BM_GlFirstFrame", "first frame"), ("BM_GlPaintMovedView", "paint after the view moved")):
            for p, plan_label in plans.items():
                for v, view_label in views.items():
                    now = find(plan, f"{bench}/plan:{p}/view:{v}/way:1")
                    today = find(plan, f"{bench}/plan:{p}/view:{v}/way:0")
                    empty = find(plan, f"{bench}/plan:0/view:{v}/way:1")
                    if now and today and empty:
                        row(f"{label}, {plan_label}, {view_label}", f"{now['best_ms']:.1f} ms",
                            f"today's way {today['best_ms']:.1f} ms; empty drawing {empty['best_ms']:.1f} ms",
                            f"{today['best_ms'] / now['best_ms']:.2g}x faster",
                            f"{int(now.get('segments', 0)):,} / {int(today.get('segments', 0)):,} segments")
        now = find(plan, "BM_GlPaintRunPerShape/plan:2/view:1/way:1")
        today = find(plan, "BM_GlPaintRunPerShape/plan:2/view:1/way:0")
        if now and today:
            row("paint after the view moved, dense plan, whole extent, every other shape selected",
                f"{now['best_ms']:.1f} ms", f"today's way {today['best_ms']:.1f} ms",
                f"{today['best_ms'] / now['best_ms']:.2g}x faster", f"{int(now.get('runs', 0)):,} colour runs")
    opened = load(d, "open")
    for drawing, label in (("site", "site plan, 1,000,000 shapes"), ("spread", "spread plan, 960,000 shapes")):
        if f"{drawing}_new_s" not in opened:
            continue
        new, empty = opened[f"{drawing}_new_s"], opened[f"{drawing}_empty_new_s"]
        size = opened[f"{drawing}_file_mb"]
        anchor = f"empty program {empty:.2f} s"
        if f"{drawing}_baseline_s" in opened:
            base = opened[f"{drawing}_baseline_s"]
            anchor += f"; today's build {base:.2f} s (+{base - opened[f'{drawing}_empty_baseline_s']:.2f} s)"
        row(f"open {label}, to the first frame", f"{new:.2f} s", anchor, f"{new - empty:+.2f} s on empty",
            "<= empty + 0.5 s")
        if f"{drawing}_new_cpu_s" in opened:
            cpu, empty_cpu = opened[f"{drawing}_new_cpu_s"], opened[f"{drawing}_empty_new_cpu_s"]
            anchor = f"empty program {empty_cpu:.2f} s"
            if f"{drawing}_baseline_cpu_s" in opened:
                base = opened[f"{drawing}_baseline_cpu_s"]
                anchor += (f"; today's build {base:.2f} s "
                           f"(+{base - opened[f'{drawing}_empty_baseline_cpu_s']:.2f} s)")
            row(f"open {label}, processor time to the first frame", f"{cpu:.2f} s", anchor,
                f"{cpu - empty_cpu:+.2f} s on empty", "")
        peak, empty_peak = opened[f"{drawing}_new_peak_mb"], opened[f"{drawing}_empty_new_peak_mb"]
        anchor = f"file {size:.0f} MB; empty program {empty_peak:.0f} MB"
        if f"{drawing}_baseline_peak_mb" in opened:
            anchor += f"; today's build {opened[f'{drawing}_baseline_peak_mb']:.0f} MB"
        row(f"open {label}, peak memory", f"{peak:.0f} MB", anchor,
            f"empty + {(peak - empty_peak) / size:.2f}x the file", "<= empty + 2x the file")

    print("| figure | after | anchor (same run) | ratio | goal |")
    print("|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(r) + " |")


if __name__ == "__main__":
    main()
