# The Windows program under Wine on a real X display with a window manager and Xfce's panel,
# which takes Wine's tray icons in over XEmbed. Source it with the path of kelvo.exe as $1, after
# re-running under a private bus (see desktop_wine.sh). KELVO_DPI (default 96) is the display's
# dots per inch; px turns the window's own units into the screen's pixels.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/desktop.sh"
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export WINEDEBUG=-all
DPI=${KELVO_DPI:-96}
px() { echo $(($1 * DPI / 96)); }

start_desktop
start_xfce_panel
# Started without a display (as the headless tests leave them), Wine's services could fail to make
# a new program's first window: they start afresh on this display.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-services.sh"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1 ||
  fail "the display's DPI could not be set"
trap 'wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1; cleanup' EXIT
restart_wine_services

PROG="$E2E_TMP/prog"
mkdir -p "$PROG"
cp "$exe" "$PROG/kelvo.exe"
ini="$PROG/kelvo.ini"


# window_of_size <width> <height> [viewable]: a window of the program with that client size.
window_of_size() {
  local w info
  for w in $(wine_kelvo_windows); do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    echo "$info" | grep -q "Width: $1\$" && echo "$info" | grep -q "Height: $2\$" || continue
    [ "${3:-}" = viewable ] && ! echo "$info" | grep -q IsViewable && continue
    echo "$w"
    return 0
  done
  return 1
}

# The main window, 200 × 80 in its own units.
main_window_shown() { window_of_size "$(px 200)" "$(px 80)" viewable; }

start_exe() {
  (cd "$PROG" && exec wine kelvo.exe "$@") >>"$E2E_TMP/kelvo.log" 2>&1 &
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
}


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

# A shown window of the program that was not there before the menu opened ($before), or any shown
# override-redirect one: Wine may reuse one pop-up window for menus.
menu_window() {
  local w
  for w in $(wine_kelvo_windows); do
    echo "${before:-}" | grep -qx "$w" && continue
    xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && echo "$w" && return 0
  done
  for w in $(wine_kelvo_windows); do
    [ "$w" = "${icon:-}" ] && continue
    xwininfo -id "$w" | grep -q IsViewable && xwininfo -id "$w" | grep -q 'Override Redirect State: yes' &&
      echo "$w" && return 0
  done
  return 1
}

# Opens the tray icon's menu. A click in the moment Wine docks the icon can go unanswered: up to
# three tries.
open_tray_menu() {
  wait_until 30 tray_icon_of_exe || fail "no icon in the tray"
  icon=$(tray_icon_of_exe)
  read -r ix iy < <(position_of "$icon")
  before=$(wine_kelvo_windows | sort)
  pointer_to $((ix + 8)) $((iy + 8))
  menu_after_click() { xdotool click 3 && wait_until 5 menu_window; }
  menu_after_click || menu_after_click || menu_after_click || {
    import -window root "$E2E_TMP/menu.png" 2>/dev/null
    fail "no menu on a right click of the icon (pointer: $(xdotool getmouselocation), icon at $ix $iy)"
  }
}

# click_at <x> <y>: a left click at a point of the main window, in its own units.
click_at() {
  local wx wy
  read -r wx wy < <(position_of "$MAIN")
  pointer_to $((wx + $(px "$1"))) $((wy + $(px "$2")))
  xdotool click 1
}
