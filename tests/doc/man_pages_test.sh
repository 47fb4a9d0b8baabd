#!/usr/bin/env bash
# Checks manual pages as `man -l` shows them: no warning of the formatter (groff's
# warnings all on), the usual sections, a NAME line that the whatis database reads, and
# every option that the program's own --help lists.
#
#     man_pages_test.sh PAGE PROGRAM [PAGE PROGRAM ...]
set -uo pipefail

for tool in man lexgrog; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (man-db): bash scripts/setup.sh" >&2; exit 1; }
done
rendered=$(mktemp)
trap 'rm -f "$rendered"' EXIT
status=0
fail() { echo "$page: $*" >&2; status=1; }

while (($# >= 2)); do
  page=$1 program=$2
  shift 2
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -E UTF-8 -l "$page" 2>&1 >"$rendered")
  [[ -z $warnings ]] || fail "warnings: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -qx "$section" "$rendered" || fail "no section $section"
  done
  lexgrog "$page" >/dev/null || fail "the NAME line cannot be read"
  # The desktop program prints its options without a display too.
  options=$(QT_QPA_PLATFORM=offscreen "$program" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
  [[ -n $options ]] || fail "$program --help lists no option"
  for option in $options; do
    grep -q -- "$option" "$rendered" || fail "does not explain $option"
  done
done
exit $status
