#!/usr/bin/env bash
# Runs every fuzz target for a bounded time on its seed corpus (fuzz/corpus/<name>) with its
# dictionary (fuzz/dict/<name>.dict) where there is one; any crash, leak, time-out or broken
# promise fails the run and leaves the reproducer. Prints the executions of each target.
#   FUZZ_SECONDS  seconds per target (default 20; make fuzz-long uses 600)
#   FUZZ_TARGETS  names to run, e.g. "bmp profile" (default: all that were built)
#   FUZZ_KEEP     a folder: new inputs of each target are kept in FUZZ_KEEP/<name>
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
ran=0
for t in "${targets[@]}"; do
  [ -f "$t" ] && [ -x "$t" ] || continue  # not the build's *_autogen folders
  name=$(basename "$t")
  short=${name#fuzz_}
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $short "* ]]; then
    continue
  fi
  corpus="$root/fuzz/corpus/$short"
  dict="$root/fuzz/dict/$short.dict"
  work=$(mktemp -d)
  if [ -n "${FUZZ_KEEP:-}" ]; then
    mkdir -p "$FUZZ_KEEP/$short"
    out="$FUZZ_KEEP/$short"
  else
    out="$work/new"
    mkdir "$out"
  fi
  args=("$out")
  [ -d "$corpus" ] && args+=("$corpus")
  [ -f "$dict" ] && args+=("-dict=$dict")
  echo "fuzzing $name for ${seconds}s"
  if ! "$t" "${args[@]}" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=512 \
      -artifact_prefix="$work/" -print_final_stats=1 2>"$work/log"; then
    tail -n 40 "$work/log"
    echo "fuzz target $name failed; reproducer in $work"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  echo "  $name: ${runs:-?} executions, no findings"
  rm -rf "$work"
  ran=$((ran + 1))
done
echo "fuzzing passed ($ran targets)"
