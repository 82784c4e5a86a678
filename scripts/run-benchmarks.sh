#!/usr/bin/env bash
# Runs every benchmark program of a benchmark build, one after another.
set -euo pipefail
build=${1:-build-bench}
status=0
for b in "$build"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true || status=1
done
exit $status
