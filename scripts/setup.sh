#!/usr/bin/env bash
# Installs every Debian package that Marquetta needs to build, test and run.
# Idempotent: prints nothing and changes nothing when everything is present.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # the fuzz targets: clang 14 with libFuzzer and the sanitizers' runtimes
  clang-14 libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev python3
  # font generator test: the stroke font's sources
  librecad-data unifont
  # DXF peers: ezdxf reads what we write and writes what we read; dxflib for the benchmark
  python3-ezdxf libdxflib-dev
  # DXF peer: LibreCAD (its DXF reading is libdxfrw) prints our files with dxf2pdf
  librecad
  # desktop: Qt 6, OpenGL, a virtual display for the GUI tests, Japanese fonts, and
  # Qt's own Japanese texts for the standard dialogs and buttons
  qt6-base-dev libqt6opengl6-dev libgl-dev libx11-dev libgl1-mesa-dri xvfb xauth
  fonts-noto-cjk qt6-translations-l10n
  # print tests: pdftoppm rasterises the PDF pages the program prints
  poppler-utils
  # the renderer the render command starts; its tests render our scenes with it
  povray povray-includes
  # Help opens the manual with the desktop's opener; the manual pages' test runs man
  xdg-utils man-db groff-base
  # a locale with a decimal comma: the tests check that files keep the decimal point
  locales
  # the Debian package and its test: cpack's dependency list (dpkg-shlibdeps), lintian,
  # the AppStream, desktop entry and MIME checks
  dpkg-dev lintian appstream desktop-file-utils shared-mime-info
  # static analysis in the test command (scripts/tidy.sh)
  clang-tidy-14
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
sudo_cmd=()
need_root() {
  if [[ $(id -u) -ne 0 && ${#sudo_cmd[@]} -eq 0 ]]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to $1" >&2; exit 1; }
    sudo_cmd=(sudo)
  fi
}

if [[ ${#missing[@]} -gt 0 ]]; then
  need_root "install: ${missing[*]}"
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  need_root "make the locale de_DE.UTF-8"
  echo "setup: making the locale de_DE.UTF-8"
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
