#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs each for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS]        (JOBS targets at once, default one per processor)
# New inputs are kept under ${TRELVANE_FUZZ_DIR:-/tmp/trelvane-fuzz}/TARGET/corpus, findings
# under .../TARGET/findings. Prints per target the executions, executions per second, coverage
# (libFuzzer's cov and ft) and findings; exits 1 on any finding, with the reproducer's path and
# the sanitizer's report. An input that takes over a second or 2 GB is a finding.
# Mutations follow TRELVANE_FUZZ_SEED (default 1): runs from the same inputs search alike (the
# coverage that steers them varies a little), so a CI finding is likely met again by the same
# command; 0 draws a new seed per run, for hunting.
set -euo pipefail

seconds="${1:-60}"
jobs="${JOBS:-$(nproc)}"
seed="${TRELVANE_FUZZ_SEED:-1}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVANE_FUZZ_BUILD:-$root/build/fuzz}"
work="${TRELVANE_FUZZ_DIR:-/tmp/trelvane-fuzz}"
# Longest input per target: formulas and addresses are short, workbooks are not.
targets=(
  "address_parser 512" "formula_round_trip 1024" "structured_reference 256"
  "cell_evaluation 512" "number_format 128" "xlsx_reader 262144" "calculation_chain 262144"
  "object_model_text 512")

"$root/scripts/install-deps.sh" fuzz
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    >/dev/null
fi
cmake --build "$build" --target trelvane_fuzzers >/dev/null

# One target's run; its line of the table goes to $work/NAME/result, details of a finding to
# $work/NAME/finding.
fuzz_target() {
  local name=$1 max_len=$2
  # Without ../shared/corpus a target may have no seeds; it then starts from nothing.
  mkdir -p "$work/$name/corpus" "$work/$name/findings" "$build/seeds/$name"
  local log="$work/$name/last-run.log"
  rm -f "$work/$name/finding"
  local before after status=0
  before=$(find "$work/$name/findings" -type f | wc -l)
  "$build/${name}_fuzzer" "$work/$name/corpus" "$build/seeds/$name" \
    -dict="$root/fuzz/dictionaries/$name.dict" -max_total_time="$seconds" -timeout=1 \
    -rss_limit_mb=2048 -max_len="$max_len" -seed="$seed" -print_final_stats=1 \
    -artifact_prefix="$work/$name/findings/" >"$log" 2>&1 || status=$?
  stat() { grep -m1 "^stat::$1:" "$log" | awk '{print $2}' || true; }
  local final cov ft
  final=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$final")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$final")
  after=$(find "$work/$name/findings" -type f | wc -l)
  printf '%-22s %12s %10s %8s %8s %s\n' "$name" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "${cov:-?}" "${ft:-?}" "$((after - before))" \
    >"$work/$name/result"
  if [ "$status" -ne 0 ] || [ "$after" -gt "$before" ]; then
    {
      echo "--- $name: finding (exit $status); reproducer:"
      grep -E "Test unit written to|artifact_prefix" "$log" | sed 's/.*written to /  /' || true
      sed -n '/==ERROR\|runtime error\|==FUZZ INVARIANT\|ERROR: libFuzzer/,/^SUMMARY\|^MS:/p' "$log"
      echo "  rerun: $build/${name}_fuzzer REPRODUCER"
    } >"$work/$name/finding"
  fi
}

# As many targets at once as there are processors: each fuzzer is one process.
running=0
for entry in "${targets[@]}"; do
  read -r name max_len <<<"$entry"
  fuzz_target "$name" "$max_len" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
printf '%-22s %12s %10s %8s %8s %s\n' target executions exec/s cov ft findings
for entry in "${targets[@]}"; do
  read -r name _ <<<"$entry"
  cat "$work/$name/result" 2>/dev/null || { echo "$name: no result" >&2; failed=1; }
  if [ -f "$work/$name/finding" ]; then
    failed=1
    cat "$work/$name/finding" >&2
  fi
done
exit "$failed"
