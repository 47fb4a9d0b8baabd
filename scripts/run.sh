#!/usr/bin/env bash
# Sets up, builds and runs Marquetta's main job: converts the bundled sample
# drawing to JSON with marquetta-convert and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target marquetta-convert
mkdir -p out
build/src/cli/marquetta-convert res/samples/sample.trn out/sample.json
cat out/sample.json
