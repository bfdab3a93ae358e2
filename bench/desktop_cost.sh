#!/usr/bin/env bash
# What the monitor costs the desktop it sits on: Kelvo under Xvfb with a real panel (Xfce's, its
# tray holding Kelvo's icon over D-Bus), and the processor time per minute of Kelvo, of the X
# server and of the panel (with its tray's process), each against the same desktop without
# Kelvo, measured before and after in the same run.
# Usage: bench/desktop_cost.sh [path/to/kelvo] [seconds per phase] [table file]
# With MOVING=1 a helper makes free memory move every 50 ms in every phase (its own time is not
# counted), as on a busy machine, where the tip has something to tell.
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/desktop.sh"
command -v xfce4-panel >/dev/null || { echo "desktop_cost: no xfce4-panel (make deps)"; exit 1; }
kelvo_path=${1:-$root/build/kelvo}
install_kelvo "$kelvo_path"
seconds=${2:-60}
table=${3:-}
start_desktop
start_xfce_panel
sleep 3  # the panel's start is not its idle cost

if [ "${MOVING:-0}" = 1 ]; then
  /usr/bin/python3 -c '
import time
i = 0
while True:
    block = bytearray(b"\x01") * ((i % 4 + 1) * (16 << 20))
    time.sleep(0.05)
    del block
    i += 1
' &
  E2E_PIDS+=($!)
fi

# cpu_ns <pid…>: nanoseconds on a processor of every thread of the processes and of their
# children (the scheduler's own count: clock ticks are too coarse for a tenth of a second).
cpu_ns() {
  local pid
  for pid in "$@" $(for p in "$@"; do pgrep -P "$p"; done); do
    cat /proc/"$pid"/task/*/schedstat 2>/dev/null
  done | awk '{s += $1} END {printf "%d", s}'
}
# phase <name> <pids…>: CPU seconds per minute of the X server, the panel and the given
# processes over one phase, into <name>_x, <name>_panel and <name>_own.
phase() {
  local name=$1
  shift
  local x0 p0 o0 x1 p1 o1
  x0=$(cpu_ns $XVFB_PID) p0=$(cpu_ns $PANEL_PID) o0=$(cpu_ns "$@")
  sleep "$seconds"
  x1=$(cpu_ns $XVFB_PID) p1=$(cpu_ns $PANEL_PID) o1=$(cpu_ns "$@")
  per_minute() { awk -v t=$(($2 - $1)) -v s="$seconds" 'BEGIN {printf "%.4f", t / 1e9 * 60 / s}'; }
  printf -v "${name}_x" '%s' "$(per_minute $x0 $x1)"
  printf -v "${name}_panel" '%s' "$(per_minute $p0 $p1)"
  printf -v "${name}_own" '%s' "$(per_minute $o0 $o1)"
}

floor_program=$(dirname "$kelvo_path")/bench/desktop/tick_floor
echo "desktop_cost: $seconds s without Kelvo, $seconds s with it, $seconds s without it again"
# phase_of <name> <program>: starts the program, lets its start-up pass, measures one phase of it
# and ends it.
phase_of() {
  local name=$1 program=$2 pid
  "$program" >"$E2E_TMP/$name.log" 2>&1 &
  pid=$!
  E2E_PIDS+=($pid)
  wait_until 20 has_visible_window $pid || fail "the $name window did not appear"
  sleep 3  # start-up work is not the idle cost
  phase "$name" $pid
  kill -TERM $pid
  wait $pid
}

phase before $$
printf '[SYSTEM]\nXPos=300\nYPos=300\n' >"$KELVO_DIR/kelvo.ini"
phase_of with "$KELVO"
sleep 2
phase after $$
floor_own=""
[ -x "$floor_program" ] && phase_of floor "$floor_program"

awk -v bx="$before_x" -v ax="$after_x" -v wx="$with_x" \
  -v bp="$before_panel" -v ap="$after_panel" -v wp="$with_panel" -v k="$with_own" \
  -v table="$table" -v moving="${MOVING:-0}" -v floor="$floor_own" 'BEGIN {
  x = wx - (bx + ax) / 2
  p = wp - (bp + ap) / 2
  printf "%-34s %9s %9s %9s\n", "CPU seconds per minute", "without", "with", "extra"
  printf "%-34s %9.3f %9.3f %9.3f\n", "X server", (bx + ax) / 2, wx, x
  printf "%-34s %9.3f %9.3f %9.3f\n", "panel with its tray", (bp + ap) / 2, wp, p
  printf "%-34s %9s %9.3f\n", "Kelvo", "", k
  if (floor != "")
    printf "%-34s %9s %9.3f   (Kelvo %.2f times this)\n", "a window with only a 100 ms timer", "", floor, (floor > 0 ? k / floor : 0)
  ratio = k > 0 ? (x + p) / k : 0
  own = k <= 0.10 ? "met" : "MISSED"
  desk = x + p <= k ? "met" : "MISSED"
  printf "Kelvo: %.3f CPU-s a minute (target <= 0.10) %s\n", k, own
  printf "panel + X server extra: %.3f CPU-s a minute, %.2f x Kelvo (target <= 1) %s\n", x + p, ratio, desk
  if (table != "") {
    tag = moving == 1 ? ", memory moving" : ""
    printf "desktop: Kelvo CPU-s per minute%s\t<= 0.10\t%.3f\t\t%s\n", tag, k, own >> table
    printf "desktop: panel + X extra / Kelvo%s\t<= 1\t%.2f\t\t%s\n", tag, ratio, desk >> table
    if (floor != "" && floor > 0)
      printf "desktop: Kelvo / a window with only its timer%s\t\t%.2f\t\t\n", tag, k / floor >> table
  }
}'
