#!/usr/bin/env bash
# Pictures of the windows the add-in shows, for people to look at: builds the Windows test host
# (and with it the add-in's DLL) when needed, runs the add-in's end-to-end tests under Wine on a
# virtual display with TRELVANE_SCREENSHOTS naming a folder, and prints that folder. Each test
# writes a PNG of every window it meets: the progress window, each message box, the colour menu,
# the window manager with the trace and evaluate windows.
#
#   scripts/screenshots.sh [FOLDER]    (default build/screenshots; emptied first)
#
# A WINEPREFIX or DISPLAY already set is used as it is; otherwise a throwaway prefix (whose windows
# Wine draws with their title bars) and an Xvfb display are made and removed at the end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(realpath -m "${1:-$root/build/screenshots}")
build=${TRELVANE_WINDOWS_BUILD:-$root/build/windows}

if [ ! -f "$build/build.ninja" ]; then
  "$root/scripts/install-deps.sh" all
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVANE_UNITY_BUILD=ON \
    -DTRELVANE_BENCHMARKS=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
fi
cmake --build "$build" --target addin_host_test -j "$(nproc)"

cleanup() {
  if [ -n "${own_prefix:-}" ]; then
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$own_prefix"
  fi
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
fi
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=$(mktemp -d /tmp/trelvane-wine.XXXXXX)
  export WINEPREFIX=$own_prefix
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -p || true  # a server the boot left running is kept as it is
  # Without a window manager on the display, Wine draws the title bars and frames itself only
  # for windows it does not leave to one; the pictures then show the captions.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

rm -rf "$folder"
mkdir -p "$folder"
# The tests that meet the add-in's windows; registration and the host's own tests show none.
(cd "$build/tests" &&
  TRELVANE_SCREENSHOTS="$folder" /usr/lib/wine/wine64 ./addin_host_test.exe \
    --gtest_filter='AddInHostTest.*:AddInTraceTest.*' </dev/null) || status=$?
echo "$folder"
exit "${status:-0}"
