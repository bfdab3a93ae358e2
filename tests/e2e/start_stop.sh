#!/usr/bin/env bash
# The real program: without a display, and on a real X display: the borderless window, one
# instance only, a clean end on SIGTERM with the settings saved, the execute option among the
# toolkit's options.
source "$(dirname "$0")/desktop.sh"
install_kelvo "$1"

# Without a display the program cannot run: it says so and ends with code 1. The options that
# need no display work.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$KELVO" "$@"; }
nodisplay >"$E2E_TMP/nodisplay.log" 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "without a display the exit code is $rc"
grep -q "no display" "$E2E_TMP/nodisplay.log" || fail "no message without a display: $(cat "$E2E_TMP/nodisplay.log")"
nodisplay --status | grep -q '^使用率' || fail "--status needs a display"
nodisplay --version | grep -q '^kelvo ' || fail "--version needs a display"
echo "ok: without a display: code 1 and a message; --status and --version work"

start_desktop

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
await_exit $second "the second instance"
kill -0 "$first" || fail "first instance died"
echo "ok: second instance refused with code 0"

# An option of ours that does not exist starts nothing, not even the second-instance message:
# the usage goes to standard error and the code is 64, apart from the codes of --clean.
"$KELVO" --typo >"$E2E_TMP/typo.out" 2>"$E2E_TMP/typo.err" &
typo=$!
E2E_PIDS+=($typo)
wait_until 10 ended $typo || fail "'kelvo --typo' did not end by itself"
wait "$typo"
rc=$?
[ "$rc" -eq 64 ] || fail "'kelvo --typo' ended with $rc"
grep -q -- '--typo' "$E2E_TMP/typo.err" && grep -q '^Usage: kelvo' "$E2E_TMP/typo.err" ||
  fail "no usage on standard error: $(cat "$E2E_TMP/typo.err")"
[ ! -s "$E2E_TMP/typo.out" ] || fail "'kelvo --typo' wrote to standard output"
echo "ok: an unknown option prints the usage and ends with code 64"

# SIGTERM is a close request: settings saved (a full save writes Hint), exit code 0.
rm -f "$KELVO_DIR/kelvo.ini"
kill -TERM "$first"
await_exit $first "SIGTERM"
[ "$(ini_value Hint 2>/dev/null)" = 0 ] || fail "SIGTERM saved no settings"
echo "ok: SIGTERM ends with code 0 and saves the settings"

# Only the program's own first parameter counts. With a toolkit option in first place, "/exec" is
# a second parameter: the program starts as usual and stays. The program's "/exec" followed by a
# toolkit option cleans and closes. A negative share is taken as the track bar's lowest, 5 %.
printf '[DEFAULT]\nMemory=-5\nAutoMemSize=1\n' >"$KELVO_DIR/kelvo.ini"
"$KELVO" -reverse /exec >"$E2E_TMP/third.log" 2>&1 &
third=$!
E2E_PIDS+=($third)
wait_until 20 has_visible_window $third || { cat "$E2E_TMP/third.log"; fail "no window for '-reverse /exec'"; }
# The execute option would clean as the window shows, with the buttons hidden, and then close: a
# working minimise button proves that the start is over without it.
win=$(visible_window $third)
read -r wx wy < <(position_of "$win")
pointer_to $((wx + 174)) $((wy + 8))
xdotool click 1
wait_until 10 is_iconic "$win" && ! ended $third ||
  fail "'kelvo -reverse /exec' cleaned and closed: a toolkit option hid the first parameter"
kill -TERM "$third"
await_exit $third "'-reverse /exec'"
"$KELVO" /exec -platform xcb >"$E2E_TMP/fourth.log" 2>&1 &
fourth=$!
E2E_PIDS+=($fourth)
await_exit $fourth "'kelvo /exec -platform xcb'" 30
echo "ok: the execute option is the program's first parameter, whatever the toolkit's options"
echo "1 passed, 0 failed"
