#!/usr/bin/env bash
# Whole trelvane runs at scale, one run each, on two generated model workbooks (inputs, a
# lookup table, five region sheets of running totals, a summary of cross-sheet sums): 500,003
# formulas, and 100,003 for the side-by-side run of the peer pipeline (SheetJS reading the file,
# HyperFormula building its graph and asked for the same dependents). Prints wall time and peak
# resident memory of each process beside its goal, the collecting scan's rate through the object
# model, and the trace tree's bytes per item. Run by hand on an idle machine; no part of CI.
#   BUILD_DIR    build directory (default build/scale, Release with benchmarks)
#   JOBS         build parallelism (default 2)
#   BINARY       the trelvane to time (default the one built here), to time an older build
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(realpath -m "${BUILD_DIR:-$root/build/scale}")  # absolute: the peer runs elsewhere
if [[ ! -f $build_dir/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVANE_UNITY_BUILD=ON \
    -DTRELVANE_BENCHMARKS=ON >/dev/null
fi
cmake --build "$build_dir" --target trelvane scan_benchmark views_test -j"${JOBS:-2}" >/dev/null
large=$build_dir/model-500k.xlsx
small=$build_dir/model-100k.xlsx
[[ -f $large ]] || python3 "$root/tools/make_model_workbook.py" "$large" --rows 20000
[[ -f $small ]] || python3 "$root/tools/make_model_workbook.py" "$small" --rows 4000
peer=$root/tools/peer-dependents
[[ -d $peer/node_modules ]] || (cd "$peer" && npm ci --no-audit --no-fund >/dev/null)

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$build_dir" "$large" "$small" "$peer" "${BINARY:-$build_dir/cli/trelvane}" <<'PY'
import json, os, re, subprocess, sys, time

build_dir, large, small, peer, binary = sys.argv[1:6]
out_path = os.path.join(build_dir, "scale-benchmark.out")


def run(arguments, cwd=None):
    """Wall seconds and peak resident MB of one whole process; its output goes to out_path."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        if cwd:
            os.chdir(cwd)
        with open(os.devnull, "wb") as sink:
            os.dup2(sink.fileno(), 2)
        out = os.open(out_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
        os.dup2(out, 1)
        os.execvp(arguments[0], arguments)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(arguments)}: exit {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_maxrss / 1024


def trelvane(workbook, *arguments):
    return run([binary, arguments[0], workbook, *arguments[1:], "--no-progress"])


rows = [
    ("open only (copy-address A1)", ("copy-address", "A1"), "1.2 s"),
    ("chain --format json", ("chain", "--format", "json"), "4 s, 400 MB"),
    ("dependents Inputs!B2 --depth 1", ("dependents", "Inputs!B2", "--depth", "1", "--format",
                                       "json"), "3 s, 300 MB"),
    ("dependents Inputs!B2 (all levels)", ("dependents", "Inputs!B2", "--format", "json"), "6 s"),
    ("errors", ("errors", "--format", "json"), "2 s"),
]
print(f"500,003 formulas: {os.path.basename(large)}")
print(f"{'command':36} {'wall s':>8} {'peak MB':>8}   goal")
for title, arguments, goal in rows:
    wall, peak = trelvane(large, *arguments)
    print(f"{title:36} {wall:8.2f} {peak:8.0f}   {goal}")

# The collecting scan through the object model, and the chain's trace-tree items.
scan = json.loads(subprocess.run(
    [os.path.join(build_dir, "scan", "scan_benchmark"), "--benchmark_filter=BM_ScanCollectData",
     "--benchmark_format=json"], check=True, capture_output=True, text=True).stdout)
rate = scan["benchmarks"][0]["formula_cells_per_second"]
print(f"{'collecting scan, formula cells/s':36} {rate:17,.0f}   500,000")
# The views suite's measure of a chain's trace tree: tree, node map and cell texts per item.
tree = subprocess.run(
    [os.path.join(build_dir, "views", "views_test"),
     "--gtest_filter=TraceTree.AChainTreeTakesFewBytesAnItem"],
    check=True, capture_output=True, text=True).stdout
per_item = float(re.search(r"trace tree: ([0-9.]+) bytes an item", tree).group(1))
print(f"{'chain trace tree, bytes per item':36} {per_item:17.0f}   200")

print(f"\n100,003 formulas: {os.path.basename(small)}, side by side")
ours, ours_peak = trelvane(small, "dependents", "Inputs!B2", "--depth", "1", "--format", "json")
ours_count = len(json.load(open(out_path))["items"][0]["children"])
theirs, theirs_peak = run(["node", "--max-old-space-size=8192", "dependents.mjs", small,
                           "Inputs!B2"], cwd=peer)
peer_report = json.load(open(out_path))
print(f"{'pipeline':36} {'wall s':>8} {'peak MB':>8} {'dependents':>11}")
print(f"{'trelvane dependents --depth 1':36} {ours:8.2f} {ours_peak:8.0f} {ours_count:11,}")
print(f"{'SheetJS + HyperFormula':36} {theirs:8.2f} {theirs_peak:8.0f} "
      f"{peer_report['dependents']:11,}")
print(f"ratio {ours / theirs:.2f} (goal 0.20 or less); peer stages: read "
      f"{peer_report['read_seconds']:.2f} s, graph {peer_report['build_seconds']:.2f} s")
os.remove(out_path)
PY
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
