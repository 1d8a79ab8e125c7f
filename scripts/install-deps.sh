#!/usr/bin/env bash
# Installs from Debian 12 what a build needs:
#   install-deps.sh cli   what the `trelvane` command needs (compiler, CMake, Ninja, its libraries)
#   install-deps.sh all   that, and what the tests and benchmarks need (the default)
# Safe to run again: when everything is present it installs nothing.
set -euo pipefail

cli_packages=(
  cmake ninja-build g++ pkg-config
  libcli11-dev nlohmann-json3-dev libzip-dev libexpat1-dev
)
# GoogleTest and Benchmark; python3 extracts the corpus formulas; LibreOffice checks the writer's
# files; MinGW-w64 builds for Windows (widl from its tools compiles the type library), whose tests
# run under Wine on a virtual display.
test_packages=(
  make python3 libgtest-dev libgmock-dev googletest libbenchmark-dev libreoffice-calc-nogui
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine64 xvfb xauth
)

case "${1:-all}" in
  cli) packages=("${cli_packages[@]}") ;;
  all) packages=("${cli_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [cli|all]" >&2
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
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
