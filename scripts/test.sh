#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a plain build, once more with
# AddressSanitizer and UndefinedBehaviorSanitizer; clang-tidy reads every source file
# of the program. Fails on any failure or report.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
# Release flags (-O3), so that the warnings only the optimiser finds are seen; warnings
# fail the test build, never a user's build.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARQUETTA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
# Static analysis over every file, with the plain build's flags (.clang-tidy).
bash scripts/tidy.sh --build build --jobs "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMARQUETTA_SANITIZE=ON \
  -DMARQUETTA_WERROR=ON -DMARQUETTA_BENCH=OFF -DMARQUETTA_GUI=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE no-sanitize

# Every reader under libFuzzer for a minute (clang, build-fuzz/): a finding fails the
# tests and leaves its reproducer in build-fuzz/findings/TARGET/.
bash scripts/fuzz.sh --time 60
