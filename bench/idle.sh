#!/usr/bin/env bash
# What the monitor costs the machine it watches: runs the real window under Xvfb for a while and
# prints the processor time it used and its peak resident size, against the targets.
# Usage: bench/idle.sh [path/to/kelvo] [seconds]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/desktop.sh"
start_desktop
install_kelvo "${1:-$root/build/kelvo}"
seconds=${2:-60}

"$KELVO" >/dev/null 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_until 20 has_visible_window $pid || fail "window did not appear"
sleep 2  # start-up work is not the idle cost

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks $pid)
sleep "$seconds"
after=$(ticks $pid)
peak_kb=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")

awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v kb="$peak_kb" 'BEGIN {
  cpu = t / hz * 60 / s
  printf "idle: %.3f CPU seconds per minute (target <= 0.15) %s\n", cpu, cpu <= 0.15 ? "ok" : "MISSED"
  printf "idle: peak RSS %.1f MB (target <= 35) %s\n", kb / 1024, kb / 1024 <= 35 ? "ok" : "MISSED"
}'
