#!/usr/bin/env bash
# Times whole trelvane runs on a generated workbook of 500,000 formula cells: wall time and peak
# resident memory of the process, the median of REPETITIONS runs. Run by hand; no part of CI.
#   BUILD_DIR    build directory (default build/native)
#   ROWS         rows of the workbook, five formulas each (default 100000)
#   REPETITIONS  runs of each command (default 3)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build/native}
rows=${ROWS:-100000}
cmake --build "$build_dir" --target trelvane -j"${JOBS:-2}" >/dev/null
binary=$build_dir/cli/trelvane
workbook=$build_dir/benchmark-$rows.xlsx
[[ -f $workbook ]] || python3 "$root/tools/make_benchmark_workbook.py" "$workbook" --rows "$rows"

python3 - "$binary" "$workbook" "${REPETITIONS:-3}" <<'PY'
import os, resource, statistics, subprocess, sys, time

binary, workbook, repetitions = sys.argv[1], sys.argv[2], int(sys.argv[3])
runs = {
    "open only (copy-address A1)": ["copy-address", workbook, "A1"],
    "chain": ["chain", workbook, "--format", "json"],
    "errors": ["errors", workbook, "--format", "json"],
    "dependents of Model!H1 (depth 1)": ["dependents", workbook, "Model!H1", "--depth", "1",
                                          "--format", "json"],
    "dependents of Model!H1 (all levels)": ["dependents", workbook, "Model!H1", "--format",
                                             "json"],
    "precedents of Model!F100000": ["precedents", workbook, "Model!F100000", "--format", "json"],
}
print(f"{'command':40} {'wall s':>8} {'peak MiB':>9} {'output MiB':>10}")
for title, arguments in runs.items():
    walls, peaks, sizes = [], [], []
    for _ in range(repetitions):
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            with open(os.devnull, "wb") as sink:
                os.dup2(sink.fileno(), 2)
            out = os.open("/tmp/trelvane-benchmark.out", os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
            os.dup2(out, 1)
            os.execv(binary, [binary] + arguments + ["--no-progress"])
        _, status, usage = os.wait4(pid, 0)
        walls.append(time.perf_counter() - start)
        peaks.append(usage.ru_maxrss / 1024)
        sizes.append(os.path.getsize("/tmp/trelvane-benchmark.out") / 2**20)
        if os.waitstatus_to_exitcode(status) != 0:
            print(f"{title}: exit {os.waitstatus_to_exitcode(status)}")
    print(f"{title:40} {statistics.median(walls):8.2f} {statistics.median(peaks):9.0f} "
          f"{statistics.median(sizes):10.1f}")
os.remove("/tmp/trelvane-benchmark.out")
PY
