#!/usr/bin/env bash
# Builds and runs every test suite: native, native under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine, the 32-bit add-in's start-up under
# Wine, the add-in's installer packages, and half a minute of each fuzzer. Ends with one line
# "N passed, N failed, N skipped" summing them all; exits non-zero when anything failed.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" all || exit 1

status=0
suites=()

# The folders' layering first: an include pointing upwards fails the run before anything builds.
if ! "$root/scripts/check-layers.sh"; then
  status=1
fi

# configure_and_test NAME BUILD_DIR [CMAKE ARGS...]: the suite's reports land in
# BUILD_DIR/test-reports, one GoogleTest XML file per test binary.
configure_and_test() {
  local name=$1 dir=$2
  shift 2
  echo "== $name: build"
  rm -rf "$dir/test-reports"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"
    echo "== $name: configure failed"
    status=1
    suites+=("$name=")
    return
  fi
  if ! cmake --build "$dir" -j "$jobs"; then
    echo "== $name: build failed"
    status=1
    suites+=("$name=")
    return
  fi
  echo "== $name: test"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 ${ctest_extra:-} || status=1
  suites+=("$name=$dir")
}

mkdir -p "$root/build"

# Every suite is built once from scratch: unity files, no benchmarks. The native suite builds
# what the README's main job builds, with the same optimisation and so the same warnings.
fast=(-DTRELVANE_UNITY_BUILD=ON -DTRELVANE_BENCHMARKS=OFF)
configure_and_test native "$root/build/native" -DCMAKE_BUILD_TYPE=Release "${fast[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
configure_and_test sanitizer "$root/build/sanitizer" -DCMAKE_BUILD_TYPE=Debug \
  -DTRELVANE_SANITIZE=ON "${fast[@]}"
unset ASAN_OPTIONS UBSAN_OPTIONS

# Wine in a throwaway prefix, with a virtual display for the windows the add-in opens.
WINEPREFIX=$(mktemp -d /tmp/trelvane-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
# Without a window manager on the display, Wine waits up to two seconds for one each time a
# top-level window is shown or hidden, unless it draws the frames itself.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A persistent server: otherwise it exits between test binaries and a client that starts in
# that moment dies with "recvmsg: Connection reset by peer". A run that still loses its
# wine client is repeated once; a test that fails on its own fails twice.
/usr/lib/wine/wineserver -p
ctest_extra="--repeat until-pass:2"
configure_and_test windows "$root/build/windows" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${fast[@]}"

# The 32-bit add-in for 32-bit Office: only the DLL and the Excel test host are built, and only
# registration, start-up and Show Precedents run, through Wine's 32-bit loader.
windows32_dir="$root/build/windows32"
windows32_tests='AddInRegistrationTest.*:AddInHostTest.ConnectionAttachesPublishesAndStartsWhateverTheVersion:AddInHostTest.ShowPrecedentsRunsOnceTheCallbackHasReturned'
echo "== windows32: build"
rm -rf "$windows32_dir/test-reports"
if ! cmake -S "$root" -B "$windows32_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "${fast[@]}" \
  >"$windows32_dir.configure.log" 2>&1; then
  cat "$windows32_dir.configure.log"
  echo "== windows32: configure failed"
  status=1
  suites+=("windows32=")
elif ! cmake --build "$windows32_dir" -j "$jobs" --target trelvane_addin_dll addin_host_test; then
  echo "== windows32: build failed"
  status=1
  suites+=("windows32=")
elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  # Kernels without 32-bit user mode (IA-32 emulation off, or some hypervisors) cannot start
  # Wine's 32-bit loader at all.
  echo "== windows32: built; not run: this machine cannot execute 32-bit programs"
else
  echo "== windows32: test"
  # A prefix of its own: the type library's key is shared by both bitnesses, and the 64-bit
  # suite leaves its registration behind.
  windows32_prefix=$(mktemp -d /tmp/trelvane-wine32.XXXXXX)
  (
    export WINEPREFIX=$windows32_prefix GTEST_FILTER=$windows32_tests
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -p
    ctest --test-dir "$windows32_dir" -R '^addin_host_test$' --output-on-failure --timeout 600 \
      --repeat until-pass:2
    result=$?
    /usr/lib/wine/wineserver -k
    exit $result
  ) || status=1
  rm -rf "$windows32_prefix"
  suites+=("windows32=$windows32_dir=addin_host_test")
fi

# The installer packages of both DLLs just built, then the 64-bit one installed, used and
# uninstalled in a Wine prefix of its own.
echo "== installer"
if [ -f "$root/build/windows/addin/trelvane_addin.dll" ] &&
  [ -f "$windows32_dir/addin/trelvane_addin.dll" ] &&
  "$root/scripts/package-addin.sh" --x64-build "$root/build/windows" \
    --x86-build "$windows32_dir" "$root/build/windows/packages"; then
  "$root/scripts/test-installer.sh" "$root/build/windows" || status=1
  suites+=("installer=$root/build/windows=installed_addin")
else
  echo "== installer: packaging failed"
  status=1
  suites+=("installer=")
fi

# Every landing is fuzzed for a little while: a finding fails the run with its reproducer and
# the sanitizer's report.
echo "== fuzz"
"$root/scripts/fuzz.sh" 30 || status=1

python3 "$root/scripts/sum_test_reports.py" "${suites[@]}" || status=1
exit $status
