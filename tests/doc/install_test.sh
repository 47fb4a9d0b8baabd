#!/usr/bin/env bash
# Installs the build under a fresh prefix and checks what lands there: each program,
# the whole manual where Help looks for it from the program's folder, and a manual page
# for each program (compressed, as Debian keeps them).
#   install_test.sh BUILD SOURCE BINDIR MANUAL_FROM_PROGRAM MANDIR PROGRAM...
set -euo pipefail
build=$1 source=$2 bindir=$3 manual_from_program=$4 mandir=$5
shift 5

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() {
  echo "install: $*" >&2
  failed=1
}
manual="$prefix/$bindir/$manual_from_program"
if [[ ! -f $manual/index.html ]]; then
  fail "no manual at $bindir/$manual_from_program/index.html, where Help looks for it"
elif ! diff -r "$source/doc/manual" "$manual" >&2; then
  fail "the installed manual is not doc/manual"
fi
for program in "$@"; do
  [[ -x $prefix/$bindir/$program ]] || fail "no program $bindir/$program"
  gzip -t "$prefix/$mandir/man1/$program.1.gz" 2>/dev/null ||
    fail "no compressed manual page $mandir/man1/$program.1.gz"
done
# The installed converter runs from where it was put.
if ! "$prefix/$bindir/marquetta-convert" "$source/res/samples/sample.trn" "$prefix/out.json" ||
   [[ ! -s $prefix/out.json ]]; then
  fail "the installed marquetta-convert does not convert the sample"
fi
exit "$failed"
