#!/usr/bin/env bash
# Runs every benchmark of a build and ends with one table of all their figures: each a median
# over repetitions against a baseline measured in the same run (see docs/benchmarks.md).
set -euo pipefail
build=${1:-build}
shopt -s nullglob
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
case "$type" in
  Release | RelWithDebInfo) ;;
  *) echo "note: $build is built as '${type:-unset}'; the figures are only meaningful with optimisation" ;;
esac
table=$(mktemp)
trap 'rm -f "$table"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for b in "$build"/bench/*/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue  # not the build's *_autogen folders
  echo "== $(basename "$b")"
  "$b" --kelvo_table="$table" || echo "($(basename "$b") failed)"
done
# What Kelvo costs a desktop with a real panel: three phases of DESKTOP_COST_SECONDS (60) each.
echo "== desktop_cost"
"$(dirname "$0")/../bench/desktop_cost.sh" "$build/kelvo" "${DESKTOP_COST_SECONDS:-60}" "$table" ||
  echo "(desktop_cost failed)"
echo
echo "All figures (load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg))"
awk -F'\t' '
  BEGIN { printf "%-58s %-14s %-12s %-9s %s\n", "figure", "target", "measured", "spread", "verdict" }
  { printf "%-58s %-14s %-12s %-9s %s\n", $1, $2, $3, $4, $5
    if ($5 == "met") met++; else if ($5 == "MISSED") missed++ }
  END { printf "%d targets met, %d missed\n", met, missed }' "$table"
