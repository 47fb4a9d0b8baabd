#!/usr/bin/env bash
# Runs every benchmark once, one at a time and niced, each group in a process of its
# own (so that a peak of memory is that group's own), and prints the table of the
# README's performance section: every figure beside its anchor from the same run.
#   bash bench/run.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/bench-results}
mkdir -p "$out"
cmake --build "$build" --target marquetta_bench marquetta_gl_bench make_site_drawing marquetta

bench() {  # NAME FILTER
    nice "$build/bench/marquetta_bench" --benchmark_filter="$2" \
        --benchmark_out="$out/$1.json" --benchmark_out_format=json >/dev/null
}
bench pick 'Pick|Snap|SelectWindow'
bench paint 'Paint|MouseMove'
bench grid 'Grid'
bench undo 'Undo|Redo|AnchorWireframe|WithFaces'
bench native 'AnchorReadFile|LoadDrawing|AnchorCopyFile|SaveDrawing'
bench dxf 'Dxflib|ExportDxf'
# The import beside its floor in one process, one right after the other: this
# machine's speed drifts between processes by more than the goal's margin.
bench dxf_import 'BareScan|ImportDxfPlan'
# Blocks expanded, beside ezdxf reading the same file (timed by itself in the run).
bench dxf_blocks 'ImportDxfBlockPlan'
gl() {  # NAME FILTER
    nice xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/marquetta_gl_bench" \
        --benchmark_filter="$2" --benchmark_out="$out/$1.json" --benchmark_out_format=json >/dev/null
}
gl gl 'BM_Gl(Anchor|PaintUnchanged|PaintAfter|Upload)'
gl gl_plan 'BM_GlFirstFrame|BM_GlPaintMovedView|BM_GlPaintRunPerShape'
# With BASELINE=path/to/an/earlier/marquetta, that build opens the same files in the
# same run, taking turns with this one.
nice python3 bench/open_drawing.py "$build" --json "$out/open.json" \
    ${BASELINE:+--baseline "$BASELINE"} >/dev/null
python3 bench/summary.py "$out"
