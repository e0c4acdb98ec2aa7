#!/usr/bin/env bash
# Opens every plug-in window under Xvfb and saves a PNG of each, so that a
# person can check the layouts (not run in CI):
#   win32/screenshots.sh [OUT_DIR]
# Needs a Linux build in build/ (for the sample model) and a Windows build in
# build-win32/ or, where 32-bit wine is not installed, build-win64/ (see
# win32/run-tests.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(mkdir -p "${1:-screenshots}" && cd "${1:-screenshots}" && pwd)
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32 wine=/usr/lib/wine/wine bin=$root/build-win32/bin
else
  arch=win64 wine=/usr/lib/wine/wine64 bin=$root/build-win64/bin
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  WINEPREFIX=$work/prefix timeout 60 wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The display first: the prefix's desktop process, started by wineboot,
# keeps the display it was started with.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
export WINEPREFIX=$work/prefix WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
timeout 600 "$wine" wineboot -i >/dev/null 2>&1

winpath() { echo "Z:${1//\//\\}"; }
shoot() {  # PLUGIN MODEL SCRIPT ARGS...
  local plugin=$1 model=$2 script=$3
  shift 3
  timeout 300 "$wine" "$bin/win32_plugin_run.exe" "$plugin.dll" "$model" \
    "$(winpath "$root/win32/tests/scripts/$script")" "$(winpath "$out")" "$@" 2>&1 |
    grep -v 'FS volume label' || true
}
sample=$(winpath "$root/build/sample_ship.ms3d")
shoot Tarrow "$sample" screenshots.txt "$(winpath "$work/shots.cmp")"
shoot Brasket "$sample" screenshots_sur.txt
"$root/build/bin/kaltrix" export "$root/build/sample_ship.ms3d" -o "$work/ship.cmp" \
  --groups 1,2,1 >/dev/null
shoot Ommel none screenshots_import.txt "$(winpath "$work/ship.cmp")" ship
python3 "$root/win32/bmp2png.py" "$out"/*.bmp
rm -f "$out"/*.bmp
ls "$out"
