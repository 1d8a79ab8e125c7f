#!/usr/bin/env bash
# The main job: installs what the `trelvane` command needs, builds it and runs it. Neither tests
# nor benchmarks are configured, and the one build is made of unity files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" cli
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTRELVANE_TESTS=OFF -DTRELVANE_BENCHMARKS=OFF -DTRELVANE_UNITY_BUILD=ON >/dev/null
cmake --build "$root/build/release" --target trelvane -j "$(nproc)" >/dev/null
"$root/build/release/cli/trelvane" --version
cd "$root"
"$root/build/release/cli/trelvane" precedents examples/budget.xlsx 'Summary!B5'
