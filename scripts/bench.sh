#!/usr/bin/env bash
# Runs every benchmark of a build; each prints its ratios against a baseline of the same run.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
for b in "$build"/bench/*/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue  # not the build's *_autogen folders
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true || echo "(a target of $(basename "$b") was missed on this run)"
done
