#!/usr/bin/env bash
# Recalculation of the benchmark workbook (spreadsheet/calc/benchmark_workbook.h) by the
# calculator and by HyperFormula, side by side. Run by hand; no part of the tests or CI.
#   BUILD_DIR       build directory (default build/bench, RelWithDebInfo)
#   JOBS            build parallelism (default 2)
#   RESULTS_DIR     where the raw results go (default $BUILD_DIR/recalculation-results)
#   REPETITIONS     runs of each benchmark, the median reported (default 3)
#   TRELVANE_RECALC_ROWS  rows of the workbook, for both engines (default 125000)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build/bench}
results=${RESULTS_DIR:-$build_dir/recalculation-results}
repetitions=${REPETITIONS:-3}
mkdir -p "$results"

if [[ -f $build_dir/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build_dir" --target spreadsheet_recalculation_benchmark -j"${JOBS:-2}"
binary=$build_dir/spreadsheet/calc/spreadsheet_recalculation_benchmark

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "trelvane ..."
"$binary" --benchmark_format=json --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true >"$results/trelvane.json"

echo "hyperformula ..."
tool=$root/tools/hyperformula-benchmark
if [[ ! -d $tool/node_modules ]]; then
  (cd "$tool" && npm ci --no-audit --no-fund)
fi
(cd "$tool" && HF_REPETITIONS=$repetitions \
  node --expose-gc --max-old-space-size=8192 bench.mjs) >"$results/hyperformula.jsonl"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$results/trelvane.json" "$results/hyperformula.jsonl" <<'EOF'
import json
import sys

with open(sys.argv[1]) as f:
    trelvane = json.load(f)
with open(sys.argv[2]) as f:
    hyperformula = {run["benchmark"]: run for run in (json.loads(line) for line in f if line.strip())}

scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
ours = {}
for run in trelvane["benchmarks"]:
    if run.get("error_occurred"):
        sys.exit(f"{run['name']}: {run.get('error_message')}")
    # With repetitions only the aggregates are written; a single run has none.
    if run.get("aggregate_name", "median") != "median":
        continue
    name = run.get("run_name", run["name"]).split("/")[0]
    unit = scale[run.get("time_unit", "ns")]
    ours[name] = (run["real_time"] * unit, run["cpu_time"] * unit, int(run["formula_cells"]))

pairs = [("full_recalculation", "BM_FullRecalculation"),
         ("build_and_calculate", "BM_BuildAndCalculate"),
         ("input_change", "BM_InputChange")]
print(f"{'benchmark':<20} {'cells':>8} {'trelvane s':>11} {'(cpu s)':>8} "
      f"{'hyperformula s':>15} {'(cpu s)':>8} {'cpu hf/trelvane':>16}")
for hf_name, our_name in pairs:
    wall, cpu, cells = ours[our_name]
    other = hyperformula[hf_name]
    print(f"{hf_name:<20} {cells:>8} {wall:>11.3f} {cpu:>8.3f} "
          f"{other['seconds']:>15.3f} {other['cpu_seconds']:>8.3f} "
          f"{other['cpu_seconds'] / cpu:>15.1f}x")
print("medians of wall and CPU seconds; the machine's load shows in wall time only.")
print("hyperformula's full_recalculation is rebuildAndRecalculate (it parses again)")
EOF
