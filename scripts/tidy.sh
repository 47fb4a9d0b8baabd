#!/usr/bin/env bash
# clang-tidy (Debian's clang-tidy-14) over the program's sources, with the checks of
# .clang-tidy; fails on any finding and prints each one once.
#
#   bash scripts/tidy.sh [--changed [BASE]] [--build DIR] [--jobs N]
#
# Every source file of src/ and tools/ by default. --changed takes only the files that
# differ from BASE (the branch point from main by default; uncommitted changes count),
# and the sources that include a changed header; a change to .clang-tidy or to this
# script takes everything. The build folder (default build/) must have been built
# once: its compile_commands.json gives each file's flags, Qt's included, and the
# desktop program's sources need the files moc generates there.
set -euo pipefail
cd "$(dirname "$0")/.."

changed=0 base="" build=build jobs=$(nproc)
while [[ $# -gt 0 ]]; do
  case $1 in
    --changed)
      changed=1
      if [[ $# -gt 1 && $2 != --* ]]; then base=$2; shift; fi ;;
    --build) build=$2; shift ;;
    --jobs) jobs=$2; shift ;;
    *) echo "usage: tidy.sh [--changed [BASE]] [--build DIR] [--jobs N]" >&2; exit 2 ;;
  esac
  shift
done

tidy=clang-tidy-14
command -v "$tidy" >/dev/null || { echo "tidy: $tidy is missing (bash scripts/setup.sh)" >&2; exit 1; }
database=$build/compile_commands.json
[[ -f $database ]] || { echo "tidy: no $database: configure and build $build first" >&2; exit 1; }

# The program's own translation units, as the build compiles them.
mapfile -t all_files < <(python3 - "$database" "$PWD" <<'EOF'
import json, os, sys
database, root = sys.argv[1], sys.argv[2]
files = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    relative = os.path.relpath(path, root)
    if relative.split(os.sep)[0] in ("src", "tools") and path.endswith(".cpp"):
        files.add(relative)
print("\n".join(sorted(files)))
EOF
)

files=("${all_files[@]}")
if [[ $changed -eq 1 ]]; then
  if [[ -z $base ]]; then
    for candidate in origin/main main; do
      if git rev-parse --verify -q "$candidate" >/dev/null; then
        base=$(git merge-base HEAD "$candidate")
        break
      fi
    done
  fi
  if [[ -z $base ]]; then
    echo "tidy: no main branch to compare with: every file" >&2
  else
    mapfile -t differ < <({ git diff --name-only "$base" --; git ls-files --others --exclude-standard; } | sort -u)
    if printf '%s\n' "${differ[@]}" | grep -qxE '\.clang-tidy|scripts/tidy\.sh'; then
      echo "tidy: the checks changed: every file" >&2
    else
      files=()
      for file in "${all_files[@]}"; do
        for d in "${differ[@]}"; do
          # A changed source, or a source that includes a changed header (the project
          # includes its headers by their path below src/ or tools/).
          if [[ $file == "$d" ]] ||
             { [[ $d == *.h && ( $d == src/* || $d == tools/* ) ]] &&
               grep -qF "#include \"${d#*/}\"" "$file"; }; then
            files+=("$file")
            break
          fi
        done
      done
    fi
  fi
fi
if [[ ${#files[@]} -eq 0 ]]; then
  echo "tidy: no source changed"
  exit 0
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "tidy: ${#files[@]} files, $jobs at a time"
start=$SECONDS
# The build's flags are g++'s: clang ignores those it does not know.
printf '%s\n' "${files[@]}" | nl -w1 -s' ' | xargs -P "$jobs" -L 1 bash -c '
  "$0" -p "$1" --quiet --extra-arg=-Wno-unknown-warning-option "$4" >"$2/$3.log" 2>&1 ||
    echo "$4" >>"$2/failed"' "$tidy" "$build" "$out"

# Each finding once: a header seen by many files reports its findings in each.
python3 - "$out" "$PWD/" <<'EOF'
import glob, os, re, sys
out, root = sys.argv[1], sys.argv[2]
start = re.compile(r"^\S+:\d+:\d+: (warning|error): ")
noise = re.compile(r"^\d+ warnings? (and \d+ errors? )?generated\.$|^Suppressed \d+ warnings|"
                   r"^Use -header-filter|^\d+ warnings? treated as errors?$")
seen, blocks = set(), []
for log in sorted(glob.glob(os.path.join(out, "*.log"))):
    block = None
    for line in open(log, errors="replace"):
        line = line.rstrip("\n").replace(root, "")
        if noise.search(line):
            continue
        if start.match(line):
            block = [line]
            if line not in seen:
                seen.add(line)
                blocks.append(block)
        elif block is not None:
            block.append(line)
        elif line.strip():
            blocks.append([line])
for block in blocks:
    print("\n".join(block))
findings = sum(1 for b in blocks if start.match(b[0]))
print(f"tidy: {findings} finding{'s' if findings != 1 else ''}")
EOF
echo "tidy: $((SECONDS - start)) s"
if [[ -s $out/failed ]]; then
  echo "tidy: findings or errors in:" >&2
  sed 's/^/  /' "$out/failed" >&2
  exit 1
fi
