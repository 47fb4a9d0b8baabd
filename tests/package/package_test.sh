#!/usr/bin/env bash
# The Debian package as a user gets it.
#   package_test.sh build BUILD SOURCE VERSION APP_ID OUT CONVERT
#     makes the package with cpack into OUT and checks it: its name, control fields,
#     file list, lintian (no error, no warning but those the README keeps), the AppStream
#     metainfo, the desktop entry and MIME type, and the converter run from the unpacked
#     package;
#   package_test.sh run SOURCE OUT
#     unpacks that package into a temporary root and runs the desktop program from there
#     on a virtual display: it opens the sample, and Help finds the unpacked manual.
set -euo pipefail

failed=0
fail() {
  echo "package: $*" >&2
  failed=1
}
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "package: $tool is missing (bash scripts/setup.sh installs it)" >&2; exit 1; }
  done
}

# lintian's warnings that the package keeps, each for the reason the README gives.
# Empty: any warning fails.
kept_lintian_warnings=()

mode=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ $mode == build ]]; then
  build=$1 source=$2 version=$3 app_id=$4 out=$5 built_convert=$6
  need cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate \
    update-mime-database python3
  rm -rf "$out"
  if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "package: cpack failed" >&2
    exit 1
  fi
  deb=$out/marquetta_${version}_$(dpkg --print-architecture).deb
  if [[ ! -f $deb ]]; then
    echo "package: cpack made no $deb; it made:" >&2
    ls "$out" >&2
    exit 1
  fi

  # Control fields: name and version from the build; Depends from the libraries the
  # programs link (dpkg-shlibdeps); POV-Ray only recommended.
  field() { dpkg-deb -f "$deb" "$1"; }
  [[ $(field Package) == marquetta ]] || fail "Package is '$(field Package)'"
  [[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
  [[ $(field Architecture) == $(dpkg --print-architecture) ]] ||
    fail "Architecture is '$(field Architecture)'"
  for field_name in Maintainer Section Priority Homepage Description; do
    [[ -n $(field "$field_name") ]] || fail "no $field_name field"
  done
  # The package names of a relation field, one a line.
  names() { field "$1" | tr ',|' '\n\n' | awk 'NF { print $1 }'; }
  for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6openglwidgets6 \
    libqt6printsupport6; do
    names Depends | grep -qxF "$library" || fail "Depends lacks $library: $(field Depends)"
  done
  ! names Depends | grep -q povray || fail "Depends requires POV-Ray: $(field Depends)"
  names Recommends | grep -qxF povray || fail "Recommends lacks povray: $(field Recommends)"

  # The file list: exactly these files, and the whole manual.
  manual=usr/share/doc/marquetta/manual
  {
    printf '%s\n' usr/bin/marquetta usr/bin/marquetta-convert \
      usr/share/applications/marquetta.desktop usr/share/mime/packages/marquetta.xml \
      usr/share/icons/hicolor/scalable/apps/marquetta.svg usr/share/pixmaps/marquetta.xpm \
      usr/share/man/man1/marquetta.1.gz usr/share/man/man1/marquetta-convert.1.gz \
      usr/share/doc/marquetta/copyright usr/share/doc/marquetta/changelog.gz \
      "usr/share/metainfo/$app_id.metainfo.xml"
    (cd "$source/doc/manual" && find . -type f | sed "s|^\./|$manual/|")
  } | sort >"$work/expected"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$work/listed"
  diff -u "$work/expected" "$work/listed" >&2 || fail "the file list is not the expected one (above)"

  lintian --fail-on none --info "$deb" >"$work/lintian" 2>&1 || {
    cat "$work/lintian" >&2
    fail "lintian did not run"
  }
  while read -r kind _ tag _; do
    case $kind in
      E:) fail "lintian error: $tag" ;;
      W:) [[ " ${kept_lintian_warnings[*]} " == *" $tag "* ]] || fail "lintian warning: $tag" ;;
    esac
  done <"$work/lintian"
  grep -E '^[EW]:' "$work/lintian" >&2 || true

  root=$work/root
  dpkg-deb -x "$deb" "$root"
  diff -r "$source/doc/manual" "$root/$manual" >&2 || fail "the packaged manual is not doc/manual"
  for page in marquetta marquetta-convert; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | cmp -s - "$source/doc/man/$page.1" ||
      fail "usr/share/man/man1/$page.1.gz is not doc/man/$page.1"
  done

  # The metainfo passes AppStream's checks (its URLs are not fetched) and agrees with
  # what the package holds: the desktop entry it launches, the programs and the MIME
  # type it provides, the version; summaries in English and Japanese, an https picture.
  metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
  appstreamcli validate --no-net --pedantic "$metainfo" >&2 ||
    fail "appstreamcli validate finds fault with $app_id.metainfo.xml"
  desktop-file-validate "$root/usr/share/applications/marquetta.desktop" >&2 ||
    fail "desktop-file-validate finds fault with marquetta.desktop"
  python3 - "$root" "$metainfo" "$version" "$app_id" <<'EOF' || failed=1
import configparser, os, sys
import xml.etree.ElementTree as ET

root, metainfo, version, app_id = sys.argv[1:]
LANG = "{http://www.w3.org/XML/1998/namespace}lang"
faults = []
component = ET.parse(metainfo).getroot()
if component.findtext("id") != app_id:
    faults.append(f"the metainfo's id is {component.findtext('id')}, not {app_id}")
summaries = {s.get(LANG, "en"): s.text for s in component.findall("summary")}
if not summaries.get("en") or not summaries.get("ja"):
    faults.append(f"summaries in English and Japanese wanted, found {sorted(summaries)}")
images = [i.text or "" for i in component.iter("image")]
if not images or not all(i.startswith("https://") for i in images):
    faults.append(f"screenshot pictures must be https URLs: {images}")
releases = [r.get("version") for r in component.iter("release")]
if version not in releases:
    faults.append(f"no release {version} in the metainfo: {releases}")
desktop_id = component.findtext("launchable")
desktop_path = os.path.join(root, "usr/share/applications", desktop_id or "-")
if not os.path.isfile(desktop_path):
    faults.append(f"the launchable {desktop_id} is not in the package")
for binary in component.iter("binary"):
    if not os.access(os.path.join(root, "usr/bin", binary.text), os.X_OK):
        faults.append(f"the metainfo provides {binary.text}, which is not in usr/bin")

mime = ET.parse(os.path.join(root, "usr/share/mime/packages/marquetta.xml")).getroot()
ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
mime_types = [t.get("type") for t in mime.iter(ns + "mime-type")]
if [m.text for m in component.iter("mediatype")] != mime_types:
    faults.append(f"the metainfo's media types are not the package's {mime_types}")
if os.path.isfile(desktop_path):
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop_path, encoding="utf-8")
    entry = entry["Desktop Entry"]
    if [m for m in entry["MimeType"].split(";") if m] != mime_types:
        faults.append(f"the desktop entry opens {entry['MimeType']}, the package defines {mime_types}")
    program = entry["Exec"].split()[0]
    if not os.access(os.path.join(root, "usr/bin", program), os.X_OK):
        faults.append(f"the desktop entry starts {program}, which is not in usr/bin")
    if not os.path.isfile(os.path.join(root, "usr/share/icons/hicolor/scalable/apps",
                                       entry["Icon"] + ".svg")):
        faults.append(f"no icon {entry['Icon']} in the package")
for fault in faults:
    print("package:", fault, file=sys.stderr)
sys.exit(1 if faults else 0)
EOF
  # The MIME database, built from the package's type alone, knows .trn drawings.
  cp -r "$root/usr/share/mime" "$work/mime"
  # (It says that folder is not searched by the desktop: true, and not a fault.)
  update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || {
    cat "$work/mime.log" >&2
    fail "update-mime-database refuses marquetta.xml"
  }
  grep -q ':application/x-marquetta-drawing:\*\.trn$' "$work/mime/globs2" ||
    fail "the MIME database does not map *.trn to application/x-marquetta-drawing"

  # The unpacked converter converts the sample as the built one does.
  "$root/usr/bin/marquetta-convert" "$source/res/samples/sample.trn" "$work/unpacked.json" ||
    fail "the unpacked marquetta-convert does not convert the sample"
  "$built_convert" "$source/res/samples/sample.trn" "$work/built.json"
  cmp -s "$work/unpacked.json" "$work/built.json" ||
    fail "the unpacked marquetta-convert converts the sample otherwise than the built one"
  exit "$failed"
fi

if [[ $mode == run ]]; then
  source=$1 out=$2
  need dpkg-deb xvfb-run python3
  debs=("$out"/marquetta_*.deb)
  [[ -f ${debs[0]} ]] || { echo "package: no package in $out" >&2; exit 1; }
  deb=$(realpath "${debs[0]}")
  root=$work/root
  dpkg-deb -x "$deb" "$root"
  # Help hands the manual to the desktop's opener: ours, first on the PATH, writes down
  # what it was given. Settings of their own, an empty working folder (no help file).
  mkdir -p "$work/bin" "$work/home" "$work/cwd"
  cat >"$work/bin/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$1" > "$(dirname "$0")/opened.part"
mv "$(dirname "$0")/opened.part" "$(dirname "$0")/opened"
EOF
  chmod +x "$work/bin/xdg-open"
  cd "$work/cwd"
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config PATH=$work/bin:$PATH
  program=$root/usr/bin/marquetta
  # 24-bit colour, as the desktop tests have it. The sample with Help, then an untitled
  # drawing: the two pictures differ when the sample was opened and drawn.
  if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
      "$1" --version > version &&
      "$1" --steps cmd:32807 --screenshot sample.png "$2" &&
      "$1" --screenshot untitled.png' - "$program" "$source/res/samples/sample.trn" >&2; then
    fail "the unpacked marquetta did not run"
  fi
  [[ $(cat version 2>/dev/null) == "Marquetta $(dpkg-deb -f "$deb" Version)" ]] ||
    fail "the unpacked marquetta --version says '$(cat version 2>/dev/null)'"
  for picture in sample.png untitled.png; do
    [[ $(head -c 8 "$picture" 2>/dev/null | od -An -tx1 | tr -d ' ') == 89504e470d0a1a0a ]] ||
      fail "the unpacked marquetta wrote no PNG picture $picture"
  done
  ! cmp -s sample.png untitled.png || fail "the sample's picture is an untitled drawing's"
  for _ in $(seq 50); do
    [[ -f $work/bin/opened ]] && break
    sleep 0.1
  done
  opened=$(python3 -c '
import sys, urllib.parse
argument = open(sys.argv[1]).read().strip()
print(urllib.parse.unquote(urllib.parse.urlparse(argument).path) if argument.startswith("file:") else argument)
' "$work/bin/opened" 2>/dev/null || true)
  manual=$(realpath -m "$root/usr/share/doc/marquetta/manual/index.html")
  [[ $opened == "$manual" ]] ||
    fail "Help opened '${opened:-nothing}', not the unpacked manual $manual"
  exit "$failed"
fi

echo "usage: package_test.sh build BUILD SOURCE VERSION APP_ID OUT CONVERT | run SOURCE OUT" >&2
exit 2
