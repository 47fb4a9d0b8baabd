#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each in turn, starting from its
# seed corpus in tests/fuzz/corpus/TARGET and what earlier runs kept in
# build-fuzz/corpus/TARGET.
#
#   bash scripts/fuzz.sh                     every target for 60 seconds
#   bash scripts/fuzz.sh --time 600 dxf_import
#   bash scripts/fuzz.sh --runs 10000000     every target for ten million runs
#   bash scripts/fuzz.sh --jobs 1            one target at a time (default: one per core)
#
# A finding (a crash, a sanitizer report, a failed check, a leak, an input that takes
# over 10 seconds) stops that target and fails the script; its reproducer is left in
# build-fuzz/findings/TARGET/. Replay it with build-fuzz/tests/fuzz/TARGET_fuzzer FILE.
# Each target prints its runs, speed and coverage (edges and features) at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=60)
jobs=$(nproc)
targets=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --time) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    -*) echo "fuzz: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [[ ${#targets[@]} -eq 0 ]]; then
  for dir in tests/fuzz/corpus/*/; do
    targets+=("$(basename "$dir")")
  done
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DMARQUETTA_FUZZ=ON \
  -DMARQUETTA_GUI=OFF -DMARQUETTA_BENCH=OFF -DMARQUETTA_TOOLS=OFF -DMARQUETTA_WERROR=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"

# A small quarantine: the targets allocate little per run, and a large one makes every
# run fault in fresh pages.
export ASAN_OPTIONS=quarantine_size_mb=16:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One target's run; a finding leaves build-fuzz/TARGET.finding behind.
run_target() {
  local target=$1
  local exe=build-fuzz/tests/fuzz/${target}_fuzzer
  local corpus=build-fuzz/corpus/$target
  local findings=build-fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  local options=("${limit[@]}" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1
                 -artifact_prefix="$findings/")
  [[ -f tests/fuzz/$target.dict ]] && options+=(-dict="tests/fuzz/$target.dict")
  local log=build-fuzz/$target.log
  rm -f "build-fuzz/$target.finding"
  if "$exe" "${options[@]}" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    local runs speed coverage edges
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    coverage=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
    edges=$(sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -1)
    echo "fuzz: $target: $runs runs, $speed per second, $coverage (of $edges edges instrumented)"
  else
    echo "fuzz: $target: FINDING; reproducer in $findings/, log in $log" >&2
    grep -E 'ERROR|check failed|runtime error|Test unit written' "$log" | head -5 >&2 || true
    touch "build-fuzz/$target.finding"
  fi
}

for target in "${targets[@]}"; do
  [[ -x build-fuzz/tests/fuzz/${target}_fuzzer ]] || { echo "fuzz: no target $target" >&2; exit 2; }
done
echo "fuzz: ${targets[*]} (${limit[*]}, $jobs at a time)"
for target in "${targets[@]}"; do
  while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
    wait -n || true
  done
  run_target "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
  [[ -f build-fuzz/$target.finding ]] && failed+=("$target")
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
