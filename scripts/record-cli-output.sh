#!/usr/bin/env bash
# Records what the trelvane command prints on the example workbook and on every workbook of
# ../shared/corpus, so that a change meant to keep behaviour can be checked byte for byte:
#
#   scripts/record-cli-output.sh BINARY OUT_DIR [WORKBOOK...]   then   diff -r BEFORE AFTER
#
# Without workbooks: the example and every workbook of ../shared/corpus.
# For each workbook: sheets, chain, errors and the colour menus; for every formula cell the
# chain lists: precedents, dependents, inputs, trace-error and evaluate, in JSON, and the
# branch text of its precedents. Exit codes and standard error are recorded with the output.
# Run by hand; no part of CI.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 BINARY OUT_DIR [WORKBOOK...]" >&2; exit 2; }
binary=$(realpath "$1")
out=$2
shift 2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$out"

workbooks=()
for file in "$@"; do workbooks+=("$(realpath "$file")"); done
if [ ${#workbooks[@]} -eq 0 ]; then
  workbooks=("$root/examples/budget.xlsx")
  if [ -d "$root/../shared/corpus" ]; then
    for file in "$root"/../shared/corpus/*.xlsx; do workbooks+=("$(realpath "$file")"); done
  fi
fi

python3 - "$binary" "$out" "${workbooks[@]}" <<'PY'
import json, os, subprocess, sys

binary, out, workbooks = sys.argv[1], sys.argv[2], sys.argv[3:]

def run(arguments):
    done = subprocess.run([binary] + arguments + ["--no-progress"], capture_output=True)
    return done.returncode, done.stdout, done.stderr

def record(handle, label, arguments):
    code, stdout, stderr = run(arguments)
    handle.write(f"=== {label} (exit {code})\n".encode())
    handle.write(stdout)
    if stderr:
        handle.write(b"--- stderr\n" + stderr)
    return code, stdout

def quoted(sheet):
    return "'" + sheet.replace("'", "''") + "'"

for workbook in workbooks:
    name = os.path.basename(workbook)
    with open(os.path.join(out, name + ".txt"), "wb") as handle:
        for command in (["sheets"], ["chain", "--format", "json"], ["errors", "--format", "json"],
                        ["fill-color", "--format", "json"], ["font-color", "--format", "json"]):
            record(handle, " ".join(command), [command[0], workbook] + command[1:])
        code, chain, _ = run(["chain", workbook, "--format", "json"])
        cells = []
        if code == 0:
            for item in json.loads(chain).get("items", []):
                text = item["text"]
                cells.append(quoted(text[1]) + "!" + text[0].split(" ")[0])
        for cell in cells:
            for command in ("precedents", "dependents", "inputs", "trace-error", "evaluate"):
                record(handle, f"{command} {cell}",
                       [command, workbook, cell, "--format", "json"])
            record(handle, f"precedents {cell} branch",
                   ["precedents", workbook, cell, "--format", "branch"])
    print(f"{name}: {len(cells)} formula cells", flush=True)
PY
