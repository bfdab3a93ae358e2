#!/usr/bin/env bash
# The Windows program under Wine on a real X display with a window manager and a tray: the window
# where the settings put it, Japanese text, the tray icon and its menu, a second start refused,
# the execute option's clean, --status against the window, and the settings written with CRLF.
# Usage: desktop_wine.sh <kelvo.exe>; WINEPREFIX names a prefix whose services already run.
# The tray is Xfce's panel, which takes Wine's icons in over XEmbed. (Under trayer the docked icon
# sometimes never receives a pointer event: the click reaches no Windows message at all.)
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/../e2e/desktop.sh"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export WINEDEBUG=-all
start_desktop
start_xfce_panel
# Started without a display (as the headless tests leave them), Wine's services could fail to make
# a new program's first window: they start afresh on this display.
source "$(dirname "$0")/../../scripts/wine-services.sh"
restart_wine_services

PROG="$E2E_TMP/prog"
mkdir -p "$PROG"
cp "$exe" "$PROG/kelvo.exe"
ini="$PROG/kelvo.ini"

# The Windows program's windows carry the program's file name as their class.
kelvo_windows() { xdotool search --all --classname 'kelvo.exe' 2>/dev/null; }

# window_of_size <width> <height> [viewable]: a window of the program with that client size.
window_of_size() {
  local w
  for w in $(kelvo_windows); do
    local info
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    echo "$info" | grep -q "Width: $1\$" && echo "$info" | grep -q "Height: $2\$" || continue
    [ "${3:-}" = viewable ] && ! echo "$info" | grep -q IsViewable && continue
    echo "$w"
    return 0
  done
  return 1
}

start_exe() {
  (cd "$PROG" && exec wine kelvo.exe "$@") >>"$E2E_TMP/kelvo.log" 2>&1 &
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
}

ended() { ! kill -0 "$1" 2>/dev/null; }

printf '[SYSTEM]\r\nXPos=300\r\nYPos=200\r\nSmall=0\r\n[DEFAULT]\r\nCpuUsePer=1\r\n' >"$ini"
start_exe
wait_until 60 window_of_size 200 80 viewable || { cat "$E2E_TMP/kelvo.log"; fail "no 200 x 80 window"; }
MAIN=$(window_of_size 200 80 viewable)
first=$KELVO_PID
[ "$(position_of "$MAIN")" = "300 200" ] || fail "the window is at $(position_of "$MAIN"), not 300 200"
echo "ok: the window opens 200 x 80 where the settings say"

# The readout's Japanese labels: the same rows drawn with and without Japanese fonts differ in
# shape, so the picture is kept for a look and its text rows must not be empty boxes only.
sleep 1
import -window root -crop 200x80+300+200 "$E2E_TMP/window.png" 2>/dev/null
colours=$(convert "$E2E_TMP/window.png" -format '%k' info:)
[ "$colours" -ge 4 ] || fail "the window shows only $colours colours"
[ -n "${KELVO_SCREENSHOT:-}" ] && cp "$E2E_TMP/window.png" "$KELVO_SCREENSHOT"
echo "ok: the window is drawn ($colours colours)"

# The tray icon: Wine's icons are windows of its desktop process (explorer.exe) that the panel
# took in; Kelvo is the only program with one in this prefix.
tray_icon_of_exe() {
  local w
  for w in $(xdotool search --all --classname explorer.exe 2>/dev/null); do
    xwininfo -id "$w" | grep -q IsViewable || continue
    xwininfo -id "$w" | awk '/Width:/ {w = $2} /Height:/ {h = $2}
      END {exit !(w > 4 && w <= 48 && h > 4 && h <= 48)}' && echo "$w" && return 0
  done
  return 1
}
wait_until 30 tray_icon_of_exe || fail "no icon in the tray"
icon=$(tray_icon_of_exe)
read -r ix iy < <(position_of "$icon")
echo "ok: the icon is in the tray"

# Its menu opens on a right click: a new shown window of the program, which Escape closes.
before=$(kelvo_windows | sort)
menu_window() {
  local w
  for w in $(kelvo_windows); do
    echo "$before" | grep -qx "$w" && continue
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && echo "$w" && return 0
  done
  # Wine may reuse one pop-up window for menus: any shown override-redirect one counts.
  for w in $(kelvo_windows); do
    [ "$w" = "$icon" ] && continue
    xwininfo -id "$w" | grep -q IsViewable && xwininfo -id "$w" | grep -q 'Override Redirect State: yes' &&
      echo "$w" && return 0
  done
  return 1
}
# A click in the moment Wine docks the icon can go unanswered: up to three tries.
pointer_to $((ix + 8)) $((iy + 8))
menu_after_click() { xdotool click 3 && wait_until 5 menu_window; }
menu_after_click || menu_after_click || menu_after_click || {
  echo "pointer: $(xdotool getmouselocation), icon at $ix $iy" >&2
  for w in $(xdotool search --all --onlyvisible --name '' 2>/dev/null); do
    echo "$w $(xprop -id "$w" WM_CLASS 2>/dev/null) $(xwininfo -id "$w" | grep -E 'geometry|Override')" >&2
  done
  import -window root "$E2E_TMP/menu.png" 2>/dev/null && cp "$E2E_TMP/menu.png" /tmp/wine-menu.png
  fail "no menu on a right click of the icon"
}
xdotool key Escape
echo "ok: the tray menu opens"

# The figures the window shows are the ones --status prints (the physical total does not move).
status=$(cd "$PROG" && wine kelvo.exe --status 2>/dev/null | tr -d '\r')
echo "$status" | grep -q '物理' || fail "--status printed: $status"
total=$(echo "$status" | sed -n 's/^物理.* \([0-9.]*\) MB$/\1/p' | head -n1)
[ -n "$total" ] || total=$(echo "$status" | grep '^物理' | grep -o '[0-9]*\.[0-9]' | tail -n1)
meminfo_total=$(awk '/^MemTotal:/ {printf "%.1f", $2 / 1024}' /proc/meminfo)
[ "$total" = "$meminfo_total" ] || fail "--status says $total MB in total, the machine $meminfo_total"
echo "ok: --status prints the machine's figures ($total MB)"

# A second start shows the message and ends with 0; the first goes on.
start_exe
second=$KELVO_PID
message_box() {
  local w
  for w in $(kelvo_windows); do
    [ "$w" = "$MAIN" ] && continue
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable || continue
    xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -q 'Kelvo' && echo "$w" && return 0
  done
  return 1
}
wait_until 60 message_box || fail "the second start showed no message box"
box=$(message_box)
import -window "$box" "$E2E_TMP/box.png" 2>/dev/null
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return
wait_until 20 ended "$second" || fail "the second start did not end"
wait "$second"; rc=$?
[ "$rc" -eq 0 ] || fail "the second start ended with $rc"
kill -0 "$first" 2>/dev/null || fail "the first instance ended too"
echo "ok: a second start is refused with code 0"

# The close request saves the settings with Windows line endings.
xdotool windowactivate --sync "$MAIN" 2>/dev/null || true
# The window is gone before the release of the keys reaches it, which X reports as an error.
xdotool key --window "$MAIN" alt+F4 2>/dev/null || true
wait_until 30 ended "$first" || { kill "$first"; fail "Alt+F4 did not end the program"; }
grep -q $'^XPos=300\r$' "$ini" || fail "the position was not saved with CRLF: $(od -c "$ini" | head)"
grep -q $'^Memory=' "$ini" || fail "the settings were not saved"
grep -qv $'\r$' "$ini" && grep -v $'\r$' "$ini" | grep -q . && fail "a line without CRLF: $(cat -A "$ini")"
echo "ok: the settings are saved beside kelvo.exe with CRLF"

# /exec: one small clean, the settings saved, the program ends by itself with 0.
printf '[SYSTEM]\r\nXPos=10\r\nYPos=10\r\n[DEFAULT]\r\nMemory=5\r\n' >"$ini"
start_exe /exec
wait_until 120 ended "$KELVO_PID" || fail "/exec did not end the program"
wait "$KELVO_PID"; rc=$?
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/kelvo.log"; fail "/exec ended with $rc"; }
grep -q $'^Small=0\r$' "$ini" || fail "/exec did not save the settings: $(cat -A "$ini")"
echo "ok: /exec cleans, saves and ends"
echo "1 passed, 0 failed"
