#!/usr/bin/env bash
# The main job: installs what is needed, builds the `trelvane` command and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTRELVANE_TESTS=OFF -DTRELVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build/release" --target trelvane -j "$(nproc)" >/dev/null
"$root/build/release/cli/trelvane" --version
cd "$root"
"$root/build/release/cli/trelvane" precedents examples/budget.xlsx 'Summary!B5'
