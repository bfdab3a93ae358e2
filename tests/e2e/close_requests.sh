#!/usr/bin/env bash
# Every close request in every state, with the real program in a tray: the close button, the
# menu's exit, SIGTERM and SIGINT, while idle, in small mode, with the settings dialog or the tray
# menu open, during a clean paused at full processor load, and during such a clean held by the
# dialog opened from the tray. Each ends the program by itself with code 0, a clean stopped, and
# the settings saved once. The paused rows need root (a frozen /proc/stat in a private mount
# namespace) and are left out without it.
source "$(dirname "$0")/desktop.sh"
source "$(dirname "$0")/../clean/clean_helpers.sh"
start_desktop
start_tray
install_kelvo "$1"

FAKE="$E2E_TMP/stat"
cat /proc/stat >"$FAKE"
frozen=0
[ "$(id -u)" -eq 0 ] && unshare -m sh -c 'mount --bind "$1" /proc/stat' _ "$FAKE" 2>/dev/null && frozen=1

# start_in <state>: the program in that state; a paused clean is the execute option's, under
# processor figures that say every processor is fully busy.
start_in() {
  local small=""
  [ "$1" = small ] && small='Small=1\n'
  # No Hint key: only a full save writes it.
  printf '[SYSTEM]\nXPos=300\nYPos=300\n%b[DEFAULT]\nMemory=5\nStopCpuUsePer=1\n' "$small" \
    >"$KELVO_DIR/kelvo.ini"
  : >"$E2E_TMP/kelvo.log"
  case $1 in
    paused*) unshare -m sh -c 'mount --bind "$1" /proc/stat && exec "$2" /exec' _ "$FAKE" "$KELVO" \
               >"$E2E_TMP/kelvo.log" 2>&1 & ;;
    *) "$KELVO" >"$E2E_TMP/kelvo.log" 2>&1 & ;;
  esac
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
  wait_until 20 managed_main_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "$1: no main window"; }
  MAIN=$(main_window $KELVO_PID)
  find_tray_icon
  case $1 in
    dialog | paused-dialog)
      tray_menu
      xdotool key Down Down Return
      first_output 10 window_sized $KELVO_PID 523 276 >/dev/null || fail "$1: no dialog" ;;
    menu) tray_menu ;;
  esac
}

# request <path>: the close request.
request() {
  local wx wy
  case $1 in
    button)
      read -r wx wy < <(position_of "$MAIN")
      pointer_to $((wx + 190)) $((wy + 8))
      xdotool click 1 ;;
    exit)
      tray_menu
      xdotool key Up Return ;;
    TERM | INT) kill -s "$1" $KELVO_PID ;;
  esac
}

# The saves of the settings file from here on, one line each.
watch_saves() {
  [ -z "${WATCHER:-}" ] || kill $WATCHER 2>/dev/null
  # The last row's watcher said it was ready in the same log.
  : >"$E2E_TMP/inotify.log"
  inotifywait -m -e moved_to --format %f "$KELVO_DIR" >"$E2E_TMP/saves" 2>"$E2E_TMP/inotify.log" &
  WATCHER=$!
  E2E_PIDS+=($WATCHER)
  wait_until 10 grep -q 'Watches established' "$E2E_TMP/inotify.log" || fail "inotifywait did not start"
}

passed=0
while read -r state path; do
  case $state in paused*) [ $frozen = 1 ] || { echo "skipped: $state $path (needs root)"; continue; } ;; esac
  what="$path while $state"
  start_in "$state"
  watch_saves
  request "$path"
  await_exit $KELVO_PID "$what"
  saves=$(grep -c '^kelvo.ini$' "$E2E_TMP/saves")
  [ "$saves" -eq 1 ] || fail "$what: $saves saves of the settings"
  [ "$(ini_value Hint)" = 0 ] || fail "$what: no full save: $(cat "$KELVO_DIR/kelvo.ini")"
  case $state in
    paused*) expect_clean_stopped "$what" ;;
  esac
  echo "ok: $what: saved once, ended with 0"
  passed=$((passed + 1))
done <<'ROWS'
idle button
idle exit
idle TERM
idle INT
small exit
small TERM
dialog TERM
dialog INT
menu TERM
paused exit
paused TERM
paused INT
paused-dialog TERM
paused-dialog INT
ROWS
echo "$passed passed, 0 failed"
