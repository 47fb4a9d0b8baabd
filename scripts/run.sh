#!/usr/bin/env bash
# Sets up, builds and starts Marquetta on the bundled sample drawing. Without a display
# ($DISPLAY empty) the program runs on a virtual one, saves a picture of its window
# after the first paint and ends; the script says where the picture is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target marquetta marquetta-convert
sample=res/samples/sample.trn
if [[ -n "${DISPLAY:-}" ]]; then
  exec build/src/gui/marquetta "$sample"
fi
mkdir -p out
shot="$PWD/out/marquetta.png"
rm -f "$shot"
# 24-bit colour: xvfb-run's own default screen has only 8 bits.
# Settings of their own, so this run leaves the user's recent files alone.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" \
  xvfb-run -a -s "-screen 0 1280x1024x24" build/src/gui/marquetta --screenshot "$shot" "$sample"
echo "No display: Marquetta ran on a virtual one with $sample."
echo "Picture of its window: $shot"
