#!/usr/bin/env bash
# Installs from Debian 12 what a build needs:
#   install-deps.sh cli   what the `trelvane` command needs (compiler, CMake, Ninja, its libraries)
#   install-deps.sh all   that, and what the tests and benchmarks need (the default)
#   install-deps.sh fuzz  what scripts/fuzz.sh needs besides
# Safe to run again: when everything is present it installs nothing.
set -euo pipefail

cli_packages=(
  cmake ninja-build g++ pkg-config
  libcli11-dev nlohmann-json3-dev libzip-dev libexpat1-dev
)
# GoogleTest and Benchmark; python3 extracts the corpus formulas; LibreOffice checks the writer's
# files; MinGW-w64 builds for 64- and 32-bit Windows (widl from its tools compiles the type
# library), whose tests run under Wine (wine32 for the 32-bit add-in) on a virtual display; wixl
# and msitools make and read the add-in's installer packages.
test_packages=(
  make python3 libgtest-dev libgmock-dev googletest libbenchmark-dev libreoffice-calc-nogui
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 wine32:i386 xvfb xauth wixl msitools
)

# The fuzzers (fuzz/, scripts/fuzz.sh): clang and the libFuzzer of the same version (Debian 12's
# default clang is 14).
fuzz_packages=(
  clang libfuzzer-14-dev
)

case "${1:-all}" in
  cli) packages=("${cli_packages[@]}") ;;
  all) packages=("${cli_packages[@]}" "${test_packages[@]}") ;;
  fuzz) packages=("${cli_packages[@]}" "${fuzz_packages[@]}") ;;
  *)
    echo "usage: $0 [cli|all|fuzz]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# wine32 is an i386 package: apt offers it only once that architecture is added.
for package in "${missing[@]}"; do
  if [[ $package == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    break
  fi
done
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
