#!/usr/bin/env bash
# Builds the Windows plug-in DLLs and runs the Windows tests under wine, on
# a virtual X display:
#   win32/run-tests.sh LINUX_BUILD_DIR
# LINUX_BUILD_DIR holds a finished Linux build (bin/kaltrix, sample_ship.ms3d):
# every file a plug-in writes under wine must equal, byte for byte, what
# kaltrix writes on Linux for the same model and answers.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=$(cd "${1:-build}" && pwd)

echo "== Windows: 32-bit plug-in DLLs"
cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALTRIX_WERROR=ON >/dev/null
cmake --build build-win32 -j2

# The modeller finds CreatePlugIn by name, and needs nothing beside a
# plug-in but system DLLs and its own model library.
for dll in Tarrow Ommel Brasket; do
  dump=$(i686-w64-mingw32-objdump -p "build-win32/bin/$dll.dll")
  grep -q '^[[:space:]]*\[ *[0-9]*\] CreatePlugIn$' <<<"$dump" ||
    { echo "FAIL $dll.dll does not export CreatePlugIn"; exit 1; }
  foreign=$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' |
    grep -viE '^(msModelLib|kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|advapi32|msvcrt|d3d9)\.dll$' || true)
  [ -z "$foreign" ] || { echo "FAIL $dll.dll needs $foreign"; exit 1; }
done
echo "ok the three DLLs export CreatePlugIn and need only system DLLs and msModelLib.dll"

# Each DLL binds to the model library once, through the import library made
# from msModelLib.def: a call the modeller's library lacks fails at link time
# instead of when the modeller loads the plug-in.
def_names=$(awk '/^EXPORTS/ {on = 1; next} on && NF && $1 !~ /^;/ {print $1}' win32/msModelLib.def |
  sort)
for dll in Tarrow Ommel Brasket; do
  dump=$(i686-w64-mingw32-objdump -p "build-win32/bin/$dll.dll")
  descriptors=$(grep -c 'DLL Name: msModelLib\.dll$' <<<"$dump" || true)
  [ "$descriptors" = 1 ] ||
    { echo "FAIL $dll.dll has $descriptors msModelLib.dll import descriptors, not 1"; exit 1; }
  # The descriptor's rows: address, hint, name; a blank line ends them.
  names=$(awk '/DLL Name:/ {on = ($3 == "msModelLib.dll"); next}
               on && NF == 0 {on = 0}
               on && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$dump" | sort)
  [ -n "$names" ] || { echo "FAIL $dll.dll imports no names from msModelLib.dll"; exit 1; }
  unlisted=$(comm -23 <(echo "$names") <(echo "$def_names"))
  [ -z "$unlisted" ] ||
    { echo "FAIL $dll.dll imports from msModelLib.dll what msModelLib.def lacks:" $unlisted; exit 1; }
done
echo "ok each DLL imports msModelLib.dll once, only calls msModelLib.def lists"

# The tests run the 32-bit DLLs, as the modeller does (Debian's wine32). Only
# where 32-bit wine cannot be had, KALTRIX_WIN64=1 runs them on a 64-bit build
# of the same sources under 64-bit wine instead; that run cannot show faults
# of the 32-bit build alone, such as an exception unwinding through the window
# system's frames.
if [ "${KALTRIX_WIN64:-0}" != 1 ]; then
  /usr/lib/wine/wine --version >/dev/null 2>&1 ||
    { echo "FAIL 32-bit wine does not run (install wine32, or set KALTRIX_WIN64=1)"; exit 1; }
  arch=win32 wine=/usr/lib/wine/wine bin=$root/build-win32/bin
else
  echo "== Windows: KALTRIX_WIN64=1: testing a 64-bit build of the same sources"
  arch=win64 wine=/usr/lib/wine/wine64 bin=$root/build-win64/bin
  cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALTRIX_WERROR=ON >/dev/null
  cmake --build build-win64 -j2
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  WINEPREFIX=$work/prefix timeout 60 wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Windows: $arch prefix and virtual display"
# The display first: the prefix's desktop process, started by wineboot,
# keeps the display it was started with.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
echo "display $DISPLAY"
export WINEPREFIX=$work/prefix WINEARCH=$arch WINEDEBUG=-all
# No browser or .NET engine to fetch, no menu entries to write.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
timeout 600 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
# A crash ends the test program with an error instead of waiting at a dialog.
timeout 120 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null

winpath() { echo "Z:${1//\//\\}"; }
# Runs a Windows program under `timeout`; its output without wine's notes.
runwin() {
  local rc=0
  timeout 300 "$wine" "$@" >"$work/run.log" 2>&1 || rc=$?
  grep -v 'FS volume label' "$work/run.log" || true
  return $rc
}

echo "== Windows: raw vtable of each plug-in object"
runwin "$bin/win32_vtable_test.exe"

echo "== Windows: registry settings and the Direct3D device"
runwin "$bin/win32_services_test.exe"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;d3d9=d" runwin "$bin/win32_services_test.exe" --without-direct3d

echo "== Windows: an exception inside a window of ours reaches the barrier"
# A command, a window opened by one, a file dialog's own box and its OK, a
# key: each edge of ours to the window system hands the exception on to
# Execute, which shows its message and gives -1; the process lives on.
scripts=$root/win32/tests/scripts
for script in edge_command edge_inner edge_file_box edge_key; do
  runwin "$bin/win32_plugin_run.exe" win32_edge_test.dll none "$(winpath "$scripts/$script.txt")" \
    --expect -1
done
edge_out=$(mktemp -d -p "$work")
runwin "$bin/win32_plugin_run.exe" win32_edge_test.dll none "$(winpath "$scripts/edge_file_ok.txt")" \
  --expect -1 "$(winpath "$edge_out/chosen.txt")"
echo "ok every exception thrown in a window became the barrier's message and -1"

echo "== Windows: exports through the real windows equal the Linux command line's"
model=$linux_build/sample_ship.ms3d
kaltrix=$linux_build/bin/kaltrix
out=$work/out
mkdir -p "$out"
run_plugin() {  # PLUGIN SCRIPT ARGS...
  local plugin=$1 script=$2
  shift 2
  runwin "$bin/win32_plugin_run.exe" "$plugin.dll" "$(winpath "$model")" \
    "$(winpath "$scripts/$script")" "$@"
}
# The importer starts from an empty model and saves what it built.
run_import() {  # SCRIPT OUT.ms3d ARGS...
  local script=$1 saved=$2
  shift 2
  runwin "$bin/win32_plugin_run.exe" Ommel.dll none "$(winpath "$scripts/$script")" \
    --save "$(winpath "$saved")" "$@"
}
same() {
  cmp "$1" "$2" || { echo "FAIL $(basename "$2") differs from the Linux build's"; exit 1; }
  echo "ok $(basename "$2") is byte-identical"
}

"$kaltrix" export "$model" -o "$out/lin.cmp" --groups 1,2,1 --scale 50 \
  --orientation back-to-front --save-settings "$out/lin.ces"
run_plugin Tarrow export_new.txt "$(winpath "$out/win.cmp")" "$(winpath "$out/win.ces")"
same "$out/lin.cmp" "$out/win.cmp"
same "$out/lin.ces" "$out/win.ces"

cp "$out/lin.cmp" "$out/lin-lod1.cmp"
cp "$out/win.cmp" "$out/win-lod1.cmp"
"$kaltrix" export "$model" -o "$out/lin-lod1.cmp" --update --settings "$out/lin.ces" --lod 1
run_plugin Tarrow export_update.txt "$(winpath "$out/win-lod1.cmp")" "$(winpath "$out/win.ces")"
same "$out/lin-lod1.cmp" "$out/win-lod1.cmp"

run_plugin Tarrow export_refusals.txt "$(winpath "$out/missing.cmp")" missing.cmp
[ ! -e "$out/missing.cmp" ] || { echo "FAIL a cancelled export wrote a file"; exit 1; }
echo "ok the settings window's refusals reach the person and a cancel writes nothing"

echo "== Windows: the collision exporter through its window and Direct3D"
"$kaltrix" sur "$model" -o "$out/lin.sur" --settings "$out/lin.ces" \
  --orientation upside-down --wrap --mass 250 --closed-hulls >/dev/null
run_plugin Brasket sur_export.txt "$(winpath "$out/win.sur")" "$(winpath "$out/win.ces")" win.sur
same "$out/lin.sur" "$out/win.sur"
run_plugin Brasket sur_refusals.txt
# Without Direct3D the job says why and writes nothing.
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;d3d9=d" run_plugin Brasket sur_no_direct3d.txt
[ -z "$(find "$out" -newer "$out/win.sur" -name '*.sur')" ] ||
  { echo "FAIL a cancelled surface export wrote a file"; exit 1; }
echo "ok the collision window corrects what is typed and a cancel writes nothing"

echo "== Windows: the importer through its menu, dialogs and posted messages"
# A new user's options search for material files from the model's folder
# upwards; here the climb ends at the test's own folder, as kaltrix bounds
# it, instead of walking the whole file system the emulator shows as Z:.
export KALTRIX_SEARCH_TOP
KALTRIX_SEARCH_TOP=$(winpath "$out")
"$kaltrix" import "$out/lin.cmp" -o "$out/lin-import.ms3d" --no-extract >/dev/null
run_import import_auto.txt "$out/win-import.ms3d" "$(winpath "$out/lin.cmp")"
same "$out/lin-import.ms3d" "$out/win-import.ms3d"
"$kaltrix" import "$out/lin.cmp" -o "$out/lin-weapons.ms3d" --filter HpWeapon \
  --hardpoints-after-model --no-extract >/dev/null
run_import import_options.txt "$out/win-weapons.ms3d" "$(winpath "$out/lin.cmp")" lin
same "$out/lin-weapons.ms3d" "$out/win-weapons.ms3d"
timeout 120 "$wine" reg query 'HKCU\Software\Dorvish\Ommel\Hardpoints' /v Filter 2>/dev/null |
  grep -q 'REG_SZ *HpWeapon' || { echo "FAIL the filter is not kept in the registry"; exit 1; }
echo "ok the importer keeps its options under HKCU\Software\Dorvish\Ommel"
cmp -s "$out/lin-import.ms3d" "$out/lin-weapons.ms3d" &&
  { echo "FAIL the filter changed nothing"; exit 1; }
echo "ok the filter took effect"

echo "== Windows: the importer's refusals, the game folder and the folder browser"
# The game on drive C: the folder browser finds its way down a short
# folder tree reliably (under wine, a first walk through a crowded /tmp may
# stop half-way).
timeout 120 "$wine" cmd /c mkdir 'C:\Games\Kaltrix\Textures' >/dev/null 2>&1 || true
timeout 120 "$wine" reg add 'HKLM\SOFTWARE\Microsoft\Microsoft Games\Kaltrix\1.0' /v AppPath \
  /t REG_SZ /d 'C:\Games\Kaltrix' /f /reg:32 >/dev/null
runwin "$bin/win32_plugin_run.exe" Ommel.dll none "$(winpath "$scripts/import_browse_cancel.txt")"
timeout 120 "$wine" reg query 'HKCU\Software\Dorvish\Ommel\Directories' /v TexturePath \
  >/dev/null 2>&1 && { echo "FAIL a cancelled folder browser kept a folder"; exit 1; }
runwin "$bin/win32_plugin_run.exe" Ommel.dll none "$(winpath "$scripts/import_refusals.txt")" \
  "$(winpath "$out/lin.ces")" lin
kept=$(timeout 120 "$wine" reg query 'HKCU\Software\Dorvish\Ommel\Directories' /v TexturePath \
  2>/dev/null | tr -d '\r' | awk '/TexturePath/ {print $3}')
[ "$kept" = 'C:\Games\Kaltrix\Textures' ] ||
  { echo "FAIL the texture folder kept is '$kept', not the game's Textures folder"; exit 1; }
echo "ok a file that is no model is refused; the folder browser starts in the game's Textures folder"
