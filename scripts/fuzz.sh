#!/usr/bin/env bash
# Runs every fuzz target for a short, bounded time on its corpus; any crash fails the run.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
targets=("$build"/fuzz/*/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built"
  exit 0
fi
for t in "${targets[@]}"; do
  [ -f "$t" ] && [ -x "$t" ] || continue  # not the build's *_autogen folders
  name=$(basename "$t")
  corpus="$root/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  seeds=()
  [ -d "$corpus" ] && seeds=("$corpus")
  echo "fuzzing $name for ${seconds}s"
  "$t" "$work" "${seeds[@]}" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=256 \
      -artifact_prefix="$work/" -print_final_stats=0 2>"$work/log" || {
    tail -n 40 "$work/log"
    echo "fuzz target $name failed; reproducer in $work"
    exit 1
  }
  rm -rf "$work"
done
echo "fuzzing passed"
