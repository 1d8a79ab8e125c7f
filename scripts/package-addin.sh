#!/usr/bin/env bash
# Builds the add-in's DLL for 64- and 32-bit Excel in Release and makes one per-user Windows
# Installer package of each with wixl, from resources/installer/trelvane.wxs:
#   package-addin.sh [--x64-build DIR] [--x86-build DIR] [OUT_DIR]
# DIR: an existing build of that bitness to reuse (its trelvane_addin_dll is brought up to date);
# without one, build/package-x64 or build/package-x86 is configured. OUT_DIR: build/packages.
# Writes OUT_DIR/trelvane-VERSION-x64.msi and OUT_DIR/trelvane-VERSION-x86.msi.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
x64_build=""
x86_build=""
out_dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    --x64-build) x64_build=$2; shift 2 ;;
    --x86-build) x86_build=$2; shift 2 ;;
    -h | --help) sed -n '2,7p' "$0"; exit 0 ;;
    -*) echo "unknown option: $1" >&2; exit 2 ;;
    *) out_dir=$1; shift ;;
  esac
done
out_dir=${out_dir:-$root/build/packages}
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)

for tool in wixl msiinfo x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

version=$(sed -n 's/^project(Trelvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

# build_dll ARCH TOOLCHAIN DIR: brings DIR's DLL up to date, configuring DIR first when new.
build_dll() {
  local arch=$1 toolchain=$2 dir=$3
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVANE_UNITY_BUILD=ON \
      -DTRELVANE_BENCHMARKS=OFF -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >"$dir.configure.log"
  fi
  if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$dir/CMakeCache.txt"; then
    echo "$dir is not a Release build" >&2
    return 1
  fi
  echo "== package $arch: building trelvane_addin_dll in $dir"
  cmake --build "$dir" --target trelvane_addin_dll -j "$(nproc)"
}

# check_dll OBJDUMP FORMAT DLL: a DLL of the package's bitness that Excel can load on a machine
# without MinGW.
check_dll() {
  local objdump=$1 format=$2 dll=$3 headers
  headers=$("$objdump" -p "$dll")
  if ! grep -q "file format $format\$" <<<"$headers"; then
    echo "$dll is not $format" >&2
    return 1
  fi
  if grep -iE 'DLL Name: *(libstdc\+\+|libgcc_s|libwinpthread)' <<<"$headers"; then
    echo "$dll imports a MinGW runtime DLL" >&2
    return 1
  fi
  local entry
  for entry in DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow; do
    if ! grep -qE "^[[:space:]]*\[ *[0-9]+\] $entry\$" <<<"$headers"; then
      echo "$dll does not export $entry undecorated" >&2
      return 1
    fi
  done
}

# make_package ARCH BITS DLL: OUT_DIR/trelvane-VERSION-ARCH.msi.
make_package() {
  local arch=$1 bits=$2 dll=$3
  local msi="$out_dir/trelvane-$version-$arch.msi"
  # wixl looks files up relative to the working directory.
  (cd "$(dirname "$dll")" &&
    wixl -a "$arch" -D Bits="$bits" -D Version="$version" -D AddInDll="$(basename "$dll")" \
      -o "$msi" "$root/resources/installer/trelvane.wxs")
  echo "== package $arch: $msi"
}

x64_build=${x64_build:-$root/build/package-x64}
x86_build=${x86_build:-$root/build/package-x86}
build_dll x64 mingw-w64-x86_64.cmake "$x64_build"
build_dll x86 mingw-w64-i686.cmake "$x86_build"
check_dll x86_64-w64-mingw32-objdump pei-x86-64 "$x64_build/addin/trelvane_addin.dll"
check_dll i686-w64-mingw32-objdump pei-i386 "$x86_build/addin/trelvane_addin.dll"
make_package x64 64 "$x64_build/addin/trelvane_addin.dll"
make_package x86 32 "$x86_build/addin/trelvane_addin.dll"
