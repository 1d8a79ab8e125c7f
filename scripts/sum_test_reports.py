#!/usr/bin/env python3
"""Sums the GoogleTest XML reports of several suites into one closing line.

Arguments are NAME=BUILD_DIR pairs; an empty BUILD_DIR marks a suite that did not build, which
counts as one failed test. So does a test binary that CTest knows but that left no report (it
crashed or hung before writing one). NAME=BUILD_DIR=REPORT[,REPORT...] counts only the named
reports (BUILD_DIR/test-reports/REPORT.xml), for a suite that runs part of a build's tests.
"""
import json
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def labels(test):
    for prop in test.get("properties", []):
        if prop.get("name") == "LABELS":
            return prop.get("value", [])
    return []


def registered_tests(build_dir):
    """The GoogleTest binaries CTest runs; fixtures (label "fixture") set up, they do not count."""
    listing = subprocess.run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True)
    tests = json.loads(listing.stdout).get("tests", [])
    return [test["name"] for test in tests if "fixture" not in labels(test)]


def count(report):
    passed = failed = skipped = 0
    for case in ElementTree.parse(report).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        elif case.get("status", "run") == "run":
            passed += 1
    return passed, failed, skipped


def main(pairs):
    totals = [0, 0, 0]
    for pair in pairs:
        name, build_dir, *only = pair.split("=", 2)
        suite = [0, 0, 0]
        if not build_dir:
            print(f"{name}: did not build", file=sys.stderr)
            suite[1] = 1
        if not build_dir:
            tests = []
        else:
            tests = only[0].split(",") if only else registered_tests(build_dir)
        for test in tests:
            report = Path(build_dir) / "test-reports" / f"{test}.xml"
            try:
                counts = count(report)
            except (OSError, ElementTree.ParseError):
                counts = (0, 1, 0)
                print(f"{name}: {test} left no readable report", file=sys.stderr)
            suite = [a + b for a, b in zip(suite, counts)]
        print(f"{name}: {suite[0]} passed, {suite[1]} failed, {suite[2]} skipped")
        totals = [a + b for a, b in zip(totals, suite)]
    print(f"{totals[0]} passed, {totals[1]} failed, {totals[2]} skipped")
    return 1 if totals[1] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
