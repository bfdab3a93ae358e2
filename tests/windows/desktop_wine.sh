#!/usr/bin/env bash
# The Windows program under Wine on a real X display with a window manager and a tray, at the
# display scale KELVO_DPI gives (96 = 100 %, 144 = 150 %): the window where the settings put it,
# Japanese text, each top-row button by a real click, dragging, hiding under the pointer, the tray
# icon and its menu, a second start refused, the execute option's clean, --status against the
# window, and the settings written with CRLF by the close button.
# Usage: desktop_wine.sh <kelvo.exe>; WINEPREFIX names a prefix whose services already run.
# The tray is Xfce's panel, which takes Wine's icons in over XEmbed. (Under trayer the docked icon
# sometimes never receives a pointer event: the click reaches no Windows message at all.)
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/wine_desktop.sh"
echo "at $DPI dots per inch"

printf '[SYSTEM]\r\nXPos=300\r\nYPos=200\r\nSmall=0\r\n[DEFAULT]\r\nShowCpuUsePer=1\r\nMemory=5\r\n' >"$ini"
start_exe
wait_until 60 main_window_shown || { cat "$E2E_TMP/kelvo.log"; fail "no $(px 200) x $(px 80) window"; }
MAIN=$(main_window_shown)
first=$KELVO_PID
[ "$(position_of "$MAIN")" = "$(px 300) $(px 200)" ] ||
  fail "the window is at $(position_of "$MAIN"), not $(px 300) $(px 200)"
echo "ok: the window opens 200 x 80 where the settings say, in the display's scale"

# The row titles 物理 and 仮想 are drawn as glyphs: two characters each, the same size, so where a
# font lacks them both are the same two boxes.
sleep 1
row_title() {
  import -window root -crop "$(px 30)x$(px 12)+$(($(px 300) + $(px "$1")))+$(($(px 200) + $(px "$2")))" \
    "$E2E_TMP/$3.png" 2>/dev/null
}
row_title 0 33 physical && row_title 0 63 virtual || fail "no screenshot"
[ "$(convert "$E2E_TMP/physical.png" -format '%k' info:)" -ge 2 ] || fail "物理 is not drawn"
! cmp -s <(convert "$E2E_TMP/physical.png" rgb:-) <(convert "$E2E_TMP/virtual.png" rgb:-) ||
  fail "物理 and 仮想 look the same: boxes, not glyphs"
import -window root -crop "$(px 200)x$(px 80)+$(px 300)+$(px 200)" "$E2E_TMP/window.png" 2>/dev/null
[ -n "${KELVO_SCREENSHOT:-}" ] && cp "$E2E_TMP/window.png" "$KELVO_SCREENSHOT"
echo "ok: the Japanese labels are glyphs"

open_tray_menu
xdotool key Escape
echo "ok: the tray icon's menu opens"

# The figures the window shows are the ones --status prints (the physical total does not move).
status=$(cd "$PROG" && in_japanese wine kelvo.exe --status 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r')
echo "$status" | grep -q '物理' || fail "--status printed: $status"
total=$(echo "$status" | grep '^物理' | grep -o '[0-9]*\.[0-9]' | tail -n1)
meminfo_total=$(awk '/^MemTotal:/ {printf "%.1f", $2 / 1024}' /proc/meminfo)
[ "$total" = "$meminfo_total" ] || fail "--status says $total MB in total, the machine $meminfo_total"
echo "ok: --status prints the machine's figures ($total MB)"

# A shown window of the program other than the main one; with a title, one of that title.
other_window() {
  local w
  for w in $(wine_kelvo_windows); do
    [ "$w" = "$MAIN" ] && continue
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable || continue
    [ -z "${1:-}" ] || xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -q "$1" || continue
    echo "$w" && return 0
  done
  return 1
}

# A second start shows the message and ends with 0; the first goes on.
start_exe
second=$KELVO_PID
message_box() { other_window Kelvo; }
wait_until 60 message_box || fail "the second start showed no message box"
box=$(message_box)
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return
wait_until 20 ended "$second" || fail "the second start did not end"
wait "$second"; rc=$?
[ "$rc" -eq 0 ] || fail "the second start ended with $rc"
kill -0 "$first" 2>/dev/null || fail "the first instance ended too"
echo "ok: a second start is refused with code 0"

# Each button of the top row by a click in its middle. 設定 opens the settings dialog.
click_at 18 8
wait_until 20 other_window || fail "a click on 設定 opened no dialog"
xdotool windowactivate --sync "$(other_window)" 2>/dev/null || true
xdotool key Escape
wait_until 20 eval '! other_window' || fail "the dialog did not close"
# 掃除 starts a clean: the progress text takes the top row in yellow.
YELLOW=$(convert xc:yellow -format "%[pixel:p{0,0}]" info:)
top_row_yellow() {
  local wx wy
  read -r wx wy < <(position_of "$MAIN")
  [ "$(import -window root -crop "1x1+$((wx + $(px 120)))+$((wy + $(px 8)))" -format '%[pixel:p{0,0}]' info: 2>/dev/null)" = "$YELLOW" ]
}
click_at 56 8
wait_until 20 top_row_yellow || fail "a click on 掃除 started no clean"
wait_until 60 eval '! top_row_yellow' || fail "the clean did not end"
# ▼ takes the window into the tray; a double click on the icon brings it back.
click_at 174 8
wait_until 20 eval '! main_window_shown' || fail "a click on ▼ did not hide the window"
pointer_to $((ix + 8)) $((iy + 8))
xdotool click --repeat 2 --delay 100 1
wait_until 20 main_window_shown || fail "a double click on the icon did not bring the window back"
echo "ok: 設定, 掃除 and ▼ each answer a click"

# A press below the buttons drags the window.
read -r wx wy < <(position_of "$MAIN")
pointer_to $((wx + $(px 100))) $((wy + $(px 50)))
xdotool mousedown 1
sleep 0.3
xdotool mousemove $((wx + $(px 100) + 40)) $((wy + $(px 50) + 30))
sleep 0.3
xdotool mouseup 1
moved() { [ "$(position_of "$MAIN")" = "$((wx + 40)) $((wy + 30))" ]; }
wait_until 10 moved || fail "dragged to $(position_of "$MAIN"), not $((wx + 40)) $((wy + 30))"
echo "ok: the window moves with a drag"

# × closes the program, which saves its settings with Windows line endings.
click_at 190 8
wait_until 30 ended "$first" || { kill "$first"; fail "a click on × did not end the program"; }
grep -q $'^XPos=' "$ini" && grep -q $'^Memory=' "$ini" || fail "the settings were not saved"
grep -v $'\r$' "$ini" | grep -q . && fail "a line without CRLF: $(cat -A "$ini")"
echo "ok: × ends the program, the settings saved beside kelvo.exe with CRLF"

# Out of the pointer's way: the window hides when the pointer comes over its edge and is back when
# the pointer has left it.
printf '[SYSTEM]\r\nXPos=300\r\nYPos=200\r\n[DEFAULT]\r\nDontCatch=1\r\n' >"$ini"
pointer_to 5 $(px 400)
start_exe
wait_until 60 main_window_shown || fail "no window with DontCatch=1"
MAIN=$(main_window_shown)
shown_whole() { xwininfo -shape -id "$MAIN" | grep -q 'No window shape defined'; }
wait_until 10 shown_whole || fail "the window does not show whole"
pointer_to $(($(px 300) + $(px 198))) $(($(px 200) + $(px 78)))
wait_until 10 eval '! shown_whole' || fail "the pointer over the window's corner did not hide it"
pointer_to $(($(px 300) + $(px 203))) $(($(px 200) + $(px 40)))
wait_until 10 shown_whole || fail "the window did not come back after the pointer left"
echo "ok: the window hides under the pointer and comes back"
kill -TERM $KELVO_PID 2>/dev/null
wait $KELVO_PID 2>/dev/null

# /exec: one small clean, the settings saved, the program ends by itself with 0.
printf '[SYSTEM]\r\nXPos=10\r\nYPos=10\r\n[DEFAULT]\r\nMemory=5\r\n' >"$ini"
start_exe /exec
wait_until 120 ended "$KELVO_PID" || fail "/exec did not end the program"
wait "$KELVO_PID"; rc=$?
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/kelvo.log"; fail "/exec ended with $rc"; }
grep -q $'^Small=0\r$' "$ini" || fail "/exec did not save the settings: $(cat -A "$ini")"
echo "ok: /exec cleans, saves and ends"
echo "1 passed, 0 failed"
