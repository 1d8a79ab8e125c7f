#!/usr/bin/env bash
# Tests the add-in's packages made by scripts/package-addin.sh:
#   test-installer.sh BUILD_DIR [PACKAGE_DIR]
# BUILD_DIR: the 64-bit Windows build whose tests/addin_host_test.exe plays Excel; PACKAGE_DIR
# (default BUILD_DIR/packages) holds the x64 and x86 packages. First the packages' tables, then,
# in a throwaway Wine prefix on a display of its own, the 64-bit package installed with msiexec,
# the add-in started by Excel's test host from the AddIns key alone, uninstalled, and nothing left.
# The host's GoogleTest report is BUILD_DIR/test-reports/installed_addin.xml.
set -uo pipefail

build_dir=$(cd "${1:?usage: $0 BUILD_DIR [PACKAGE_DIR]}" && pwd)
package_dir=${2:-$build_dir/packages}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

shopt -s nullglob
x64_packages=("$package_dir"/trelvane-*-x64.msi)
x86_packages=("$package_dir"/trelvane-*-x86.msi)
if [ ${#x64_packages[@]} -ne 1 ] || [ ${#x86_packages[@]} -ne 1 ]; then
  echo "expected one x64 and one x86 package in $package_dir" >&2
  exit 1
fi

clsid='{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E501}'
libid='{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E500}'
dispatch_proxy='{00020420-0000-0000-C000-000000000046}'
classes='Software\Classes'
addin_key='Software\Microsoft\Office\Excel\AddIns\NUV.Connect'

# expected_rows PLATFORM: the registry rows a package must hold, as KEY<TAB>NAME<TAB>VALUE, all
# under HKCU. [#AddInDllFile] is the installed DLL's full path, [INSTALLDIR] its folder.
expected_rows() {
  local platform=$1 interface
  printf '%s\t%s\t%s\n' \
    "$classes\\CLSID\\$clsid" "" "NUV Connect Class" \
    "$classes\\CLSID\\$clsid\\InprocServer32" "" "[#AddInDllFile]" \
    "$classes\\CLSID\\$clsid\\InprocServer32" "ThreadingModel" "Apartment" \
    "$classes\\CLSID\\$clsid\\ProgID" "" "NUV.Connect" \
    "$classes\\CLSID\\$clsid\\TypeLib" "" "$libid" \
    "$classes\\CLSID\\$clsid\\Programmable" "*" "" \
    "$classes\\NUV.Connect" "" "NUV Connect Class" \
    "$classes\\NUV.Connect\\CLSID" "" "$clsid" \
    "$classes\\TypeLib\\$libid\\1.0" "" "Trelvane" \
    "$classes\\TypeLib\\$libid\\1.0\\FLAGS" "" "8" \
    "$classes\\TypeLib\\$libid\\1.0\\HELPDIR" "" "[INSTALLDIR]" \
    "$classes\\TypeLib\\$libid\\1.0\\0\\$platform" "" "[#AddInDllFile]" \
    "$addin_key" "FriendlyName" "Trelvane" \
    "$addin_key" "LoadBehavior" "#3"
  for interface in '{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E502}=IConnect' \
                   '{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E503}=ITraceItem'; do
    local iid=${interface%=*}
    printf '%s\t%s\t%s\n' \
      "$classes\\Interface\\$iid" "" "${interface#*=}" \
      "$classes\\Interface\\$iid\\ProxyStubClsid" "" "$dispatch_proxy" \
      "$classes\\Interface\\$iid\\ProxyStubClsid32" "" "$dispatch_proxy" \
      "$classes\\Interface\\$iid\\TypeLib" "" "$libid" \
      "$classes\\Interface\\$iid\\TypeLib" "Version" "1.0"
  done
}

# table MSI TABLE: the table's rows without msiinfo's three header lines.
table() {
  msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'
}

# check_package MSI PLATFORM TEMPLATE COMPONENT_BITS
check_package() {
  local msi=$1 platform=$2 template=$3 component_bits=$4 name
  name=$(basename "$msi")
  echo "== installer: tables of $name"
  local registry row
  registry=$(table "$msi" Registry | awk -F'\t' '$2 == 1 {print $3 "\t" $4 "\t" $5}')
  while IFS= read -r row; do
    grep -qxF "$row" <<<"$registry" || fail "$name has no HKCU row $(tr '\t' '|' <<<"$row")"
  done < <(expected_rows "$platform")
  grep -q 'AddIns\\NUV.Connect	Description	.' <<<"$registry" || fail "$name: no Description"
  [ "$(table "$msi" Registry | awk -F'\t' '$2 != 1' | wc -l)" -eq 0 ] ||
    fail "$name writes outside HKEY_CURRENT_USER"

  # Every component of the bitness's registry view, each with a key path.
  local component attributes keypath
  while IFS='|' read -r component attributes keypath; do
    [ $((attributes & 256)) -eq "$component_bits" ] ||
      fail "$name: $component has attributes $attributes"
    [ -n "$keypath" ] || fail "$name: $component has no key path"
  done < <(table "$msi" Component | awk -F'\t' '{print $1 "|" $4 "|" $6}')

  table "$msi" File | awk -F'\t' '{print $3}' | grep -qx 'trelvane_addin.dll' ||
    fail "$name installs no trelvane_addin.dll"
  table "$msi" Directory | grep -qxF "$(printf 'INSTALLDIR\tLocalAppDataFolder\tTrelvane')" ||
    fail "$name does not install to LocalAppDataFolder\\Trelvane"
  table "$msi" RemoveFile | awk -F'\t' '$4 == "INSTALLDIR"' | grep -q . ||
    fail "$name leaves its folder behind"

  # Per user without elevation: no ALLUSERS, and word count bit 8 (no administrator rights).
  local properties summary
  properties=$(table "$msi" Property)
  grep -q '^ALLUSERS	' <<<"$properties" && fail "$name sets ALLUSERS"
  grep -qx 'MSIINSTALLPERUSER	1' <<<"$properties" || fail "$name lacks MSIINSTALLPERUSER"
  grep -q '^UpgradeCode	{' <<<"$properties" || fail "$name has no UpgradeCode"
  summary=$(msiinfo suminfo "$msi")
  grep -qx "Template: $template" <<<"$summary" || fail "$name is not for $template"
  local word_count
  word_count=$(sed -n 's/^Source: \([0-9]*\).*/\1/p' <<<"$summary")
  [ $((word_count & 8)) -eq 8 ] || fail "$name asks for elevation (word count $word_count)"

  local extracted
  extracted=$(mktemp -d)
  (cd "$extracted" && msiextract "$msi" >/dev/null) || fail "msiextract $name"
  local dll
  dll=$(find "$extracted" -name trelvane_addin.dll | head -1)
  [ -n "$dll" ] || fail "$name: msiextract finds no trelvane_addin.dll"
  rm -rf "$extracted"
}

x64_msi=${x64_packages[0]}
x86_msi=${x86_packages[0]}
check_package "$x64_msi" win64 'x64;1033' 256
check_package "$x86_msi" win32 'Intel;1033' 0
x64_upgrade=$(table "$x64_msi" Property | sed -n 's/^UpgradeCode\t//p')
x86_upgrade=$(table "$x86_msi" Property | sed -n 's/^UpgradeCode\t//p')
[ "$x64_upgrade" != "$x86_upgrade" ] || fail "both packages share the UpgradeCode $x64_upgrade"

# The 64-bit package in a prefix of its own: installing it in a shared one would point
# NUV.Connect at the installed copy for every other run.
echo "== installer: install, start and uninstall under Wine"
WINEPREFIX=$(mktemp -d /tmp/trelvane-installer.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=78
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
wine=/usr/lib/wine/wine64
"$wine" wineboot -i >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A persistent server, so that no client starts in the moment an idle one exits.
/usr/lib/wine/wineserver -p

installed_keys=(
  "HKCU\\$classes\\CLSID\\$clsid"
  "HKCU\\$classes\\NUV.Connect"
  "HKCU\\$classes\\TypeLib\\$libid"
  "HKCU\\$classes\\Interface\\{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E502}"
  "HKCU\\$classes\\Interface\\{6E2C5B1A-3F47-4C1D-9A8E-2B7D41C9E503}"
  "HKCU\\$addin_key"
)
installed_dll() {
  find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Local/Trelvane/trelvane_addin.dll' 2>/dev/null
}
msi_windows_path="Z:${x64_msi//\//\\}"

timeout 300 "$wine" msiexec /i "$msi_windows_path" /qn </dev/null || fail "msiexec /i failed"
[ -n "$(installed_dll)" ] || fail "no trelvane_addin.dll under the user's AppData\\Local\\Trelvane"
for key in "${installed_keys[@]}"; do
  "$wine" reg query "$key" >/dev/null 2>&1 || fail "installing wrote no $key"
done

# Windows' HKEY_CLASSES_ROOT merges the user's classes over the machine's; Wine's is the machine's
# alone, so COM would not find a per-user class. The package's class rows are copied as they are
# into the machine's classes for the host (the test reads the user's rows itself), and removed
# again before uninstalling.
mirrored=("NUV.Connect" "CLSID\\$clsid")
for key in "${mirrored[@]}"; do
  "$wine" reg copy "HKCU\\$classes\\$key" "HKLM\\$classes\\$key" /s /f >/dev/null 2>&1 ||
    fail "cannot mirror $key"
done

report_dir="$build_dir/test-reports"
mkdir -p "$report_dir"
rm -f "$report_dir/installed_addin.xml"
(cd "$report_dir" && TRELVANE_INSTALLED_ADDIN=1 timeout 300 "$wine" \
  "$build_dir/tests/addin_host_test.exe" --gtest_filter='AddInInstalledTest.*:RegisteredAddInsTest.*' \
  --gtest_output=xml:installed_addin.xml </dev/null) || fail "the installed add-in's tests"

for key in "${mirrored[@]}"; do
  "$wine" reg delete "HKLM\\$classes\\$key" /f >/dev/null 2>&1
done
timeout 300 "$wine" msiexec /x "$msi_windows_path" /qn </dev/null || fail "msiexec /x failed"
for key in "${installed_keys[@]}" 'HKCU\Software\NUV\Installed'; do
  "$wine" reg query "$key" >/dev/null 2>&1 && fail "uninstalling left $key"
done
[ -z "$(installed_dll)" ] || fail "uninstalling left $(installed_dll)"
find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Local/Trelvane' | grep -q . &&
  fail "uninstalling left the Trelvane folder"

if [ "$failures" -ne 0 ]; then
  echo "== installer: $failures failed"
  exit 1
fi
echo "== installer: passed"
