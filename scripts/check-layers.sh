#!/usr/bin/env bash
# Checks that each folder includes only itself and the layers below it, so that a dependency
# pointing upwards (the engine reaching into the views, say) fails CI instead of settling in.
#
#   resources < platform < formula < excel < container < scan < engine < views < wndmgr < export
#     < views/win32 < wndmgr/win32 < addin < cli
#
# The Windows windows stand above export/, whose branch saving and formatting their commands run;
# the window base and the progress window in views/win32 use only views/ and below.
# spreadsheet/ stands beside the layers, on platform/ alone: the system reaches it only through
# the object model, and only the command line opens workbooks with it directly. Tests and
# benchmarks beside the code may also include tests/ and spreadsheet/, which drive them; tests/
# itself may include anything. Prints every offending line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

python3 - <<'PY'
import pathlib, re, sys

layers = ["resources", "platform", "formula", "excel", "container", "scan", "engine", "views", "wndmgr",
          "export", "views/win32", "wndmgr/win32", "addin", "cli"]
rank = {name: index for index, name in enumerate(layers)}
include = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+(?:/win32(?=/))?)/')

def layer_of(path):
    parts = path.parts
    if len(parts) > 2 and parts[1] == "win32" and f"{parts[0]}/win32" in rank:
        return f"{parts[0]}/win32"
    return parts[0]

def allowed(folder, target, test):
    if target == folder or (folder.endswith("/win32") and target == folder.split("/")[0]):
        return True
    if folder == "spreadsheet":
        return target == "platform" or (test and target == "tests")
    if test and target in ("tests", "spreadsheet"):
        return True
    if target == "spreadsheet":
        return folder == "cli"
    return target in rank and rank[target] < rank[folder]

faults = 0
for top in [name for name in layers if "/" not in name] + ["spreadsheet"]:
    for path in sorted(pathlib.Path(top).rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inc"):
            continue
        folder = layer_of(path)
        test = path.stem.endswith(("_test", "_benchmark")) or "test_support" in path.stem
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            found = include.match(line)
            target = found.group(1) if found and found.group(1) in rank else (
                found.group(1).split("/")[0] if found else None)
            if found and not allowed(folder, target, test):
                print(f"{path}:{number}: {folder}/ may not include {target}/: {line.strip()}")
                faults += 1

if faults:
    print(f"check-layers: {faults} include(s) point upwards or sideways", file=sys.stderr)
    sys.exit(1)
print("check-layers: every folder includes only the layers below it")
PY
