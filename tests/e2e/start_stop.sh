#!/usr/bin/env bash
# The real program on a real X display: the borderless window, one instance only, a clean end on
# SIGTERM.
source "$(dirname "$0")/desktop.sh"
start_desktop
install_kelvo "$1"

"$KELVO" >"$E2E_TMP/first.log" 2>&1 &
first=$!
E2E_PIDS+=($first)
wait_until 20 has_visible_window $first || { cat "$E2E_TMP/first.log"; fail "main window did not appear"; }
win=$(visible_window $first)

geometry=$(xwininfo -id "$win")
echo "$geometry" | grep -q 'Width: 200' || fail "window is not 200 wide: $geometry"
echo "$geometry" | grep -q 'Height: 80' || fail "window is not 80 high: $geometry"
extents=$(xprop -id "$win" _NET_FRAME_EXTENTS)
echo "$extents" | grep -q '= 0, 0, 0, 0' || fail "window has a frame: $extents"
echo "ok: borderless 200 x 80 window"

# A second start shows its message, leaves the first alone and ends with code 0.
"$KELVO" >"$E2E_TMP/second.log" 2>&1 &
second=$!
E2E_PIDS+=($second)
wait_until 20 has_visible_window $second || fail "second instance showed no message"
box=$(visible_window $second)
xdotool windowactivate --sync "$box"
xdotool key --clearmodifiers Return
wait_until 10 sh -c "! kill -0 $second 2>/dev/null" || fail "second instance did not end"
wait "$second"
rc=$?
[ "$rc" -eq 0 ] || fail "second instance ended with $rc"
kill -0 "$first" || fail "first instance died"
echo "ok: second instance refused with code 0"

# SIGTERM is a close request: settings saved, exit code 0.
kill -TERM "$first"
wait_until 10 sh -c "! kill -0 $first 2>/dev/null" || fail "SIGTERM did not end the program"
wait "$first"
rc=$?
[ "$rc" -eq 0 ] || fail "SIGTERM exit code $rc"
echo "ok: SIGTERM ends with code 0"
echo "1 passed, 0 failed"
