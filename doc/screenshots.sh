#!/usr/bin/env bash
# Makes the pictures of the manual (doc/manual/images/*.png) with the program itself:
# each picture is one run of `marquetta --steps ... --screenshot ...` on the sample
# drawing, on a virtual display, in a window of 800 x 560 pixels. Run it after a build
# whenever the window or a dialog changes, and commit the pictures:
#
#     bash doc/screenshots.sh [BUILD_DIR]      (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
program=$build/src/gui/marquetta
images=$root/doc/manual/images
sample=$root/res/samples/sample.trn
[[ -x $program ]] || { echo "screenshots: no $program: build the program first" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (bash scripts/setup.sh)" >&2; exit 1; }

# A settings folder of its own, so that nobody's recent files or folders show.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$config

shot() {
    local name=$1 steps=$2
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$program" "$sample" -geometry 800x560 --steps "$steps" --screenshot "$images/$name.png"
    echo "$images/$name.png"
}

# The plan is 7280 x 5460 mm around the origin; 14 wheel notches bring it close.
zoom="wheel:14"
# The main window with the sample drawing.
shot main "$zoom"
# Zoom to fit: the whole sample framed from straight above.
shot fit "cmd:32840"
# A line being drawn: from the wall's corner, one segment, the next following the mouse.
shot drawing "$zoom;cmd:32791;click:3640,2730;click:5460,2730;move:5460,-1500"
# The status bar's coordinates: a line's first point given, the cursor north-east of it.
shot coordinates "$zoom;cmd:59393;cmd:32791;click:3640,2730;move:5460,-1500"
# Midpoint snap: a line from the south-west corner, its end at the east wall's middle,
# marked with a triangle and named in the status bar (the kind is on for this run only).
shot snap "$zoom;cmd:59393;cmd:32851;cmd:32791;click:-3640,-2730;move:3644,6"
# The circle picked (drawn selected), and a selection window being opened.
shot selecting "$zoom;click:2275,0;click:-4550,3640;move:500,-1200"
# A move: the circle picked, the base point given, the circle shown where it would land.
shot ghost "$zoom;click:2275,0;cmd:32801;click:1820,0;move:3700,-1750"
# Rotate: the circle picked, the 回転角 dialog (90, its first preset).
shot rotate "$zoom;click:2275,0;cmd:32860"
# Mirror: the circle picked, the mirror line's first point given, the circle shown mirrored
# in the line to the cursor.
shot mirror "$zoom;click:2275,0;cmd:32861;click:0,2730;move:0,-1820"
# Scale: the circle picked, the 倍率 dialog (2, its first preset).
shot scale-shapes "$zoom;click:2275,0;cmd:32863"
# A crossing window: opened from the right, drawn dashed.
shot crossing "$zoom;click:4550,3640;move:1000,-1200"
# Typed coordinates: the line's next point relative to the last one.
shot relative "$zoom;cmd:32791;click:3640,2730;cmd:1023;type:1820,-910"
# A rectangle being drawn: its first corner on the middle wall's end, the rubber band.
shot rectangle "$zoom;cmd:32867;click:0,2730;move:2300,1100"
# A fillet: radius 910 typed into its dialog, then the top and the east walls picked; the
# corner is rounded and the command waits for the next pair.
shot fillet "$zoom;cmd:32864;type:910;key:Return;click:2500,2730;click:3640,1500"
# Trim: a line drawn across the round window, picked as the edge; the window's right
# half clicked away.
shot trim "$zoom;cmd:32791;click:1820,910;click:1820,-910;rclick:0,0;cmd:32866;click:1820,700;click:2273,40"
# The text dialog after a click on the plan.
shot text "$zoom;cmd:32794;click:-3640,-3640;type:配置図"
# Dimensions: the north wall's length, the circle's radius and the north-west corner's
# angle, clicked on the sample's walls and grid points.
shot dimensions "$zoom;cmd:32870;click:-3640,2730;click:3640,2730;click:0,1820;rclick:0,1820;cmd:32872;click:2275,0;click:2730,910;rclick:2730,910;cmd:32874;click:-1820,2730;click:-3640,0;click:-2730,1820;rclick:-2730,1820"
shot dimension-settings "cmd:32875"
# Measuring along two walls: the second click said, the cursor on the third corner.
shot measure "$zoom;cmd:32876;click:-3640,-2730;click:3640,-2730;move:3640,2730"
# The layers, and the colour and material of the layer 壁 (the second row).
shot layers "cmd:32778"
shot material "cmd:32778;row:1"
# Moving the selection to a layer: everything selected, the 画層変更 dialog.
shot change-layer "$zoom;cmd:57642;cmd:32842"
# The plan drawn in its layers' colours (the item is switched on for this run only).
shot color-by-layer "$zoom;cmd:32843"
# The grid and scale dialogs.
shot grid "cmd:32805"
shot scale "cmd:1024"
# The rendering settings.
shot render-settings "cmd:32789"
