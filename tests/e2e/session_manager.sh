#!/usr/bin/env bash
# The real program under an X11 session manager (the stand-in xsmp_manager): after each save it
# asks never to be restarted (the autostart entry starts it at log-in); a save that ends nothing
# (a checkpoint, a log-out later cancelled) keeps the window's place but neither stops a clean nor
# writes the settings dialog's unconfirmed edits; a log-out closes it with its settings saved, in
# small mode too. The clean rows pause a clean at full processor load (a frozen /proc/stat in a
# private mount namespace) and need root and at most 40 GiB of memory; they are left out otherwise.
source "$(dirname "$0")/desktop.sh"
source "$(dirname "$0")/../clean/clean_helpers.sh"
MANAGER=$2
start_desktop
start_tray
install_kelvo "$1"
AQUA=$(convert xc:cyan -format "%[pixel:p{0,0}]" info:)

FAKE="$E2E_TMP/stat"
cat /proc/stat >"$FAKE"
frozen=0
[ "$(id -u)" -eq 0 ] && unshare -m sh -c 'mount --bind "$1" /proc/stat' _ "$FAKE" 2>/dev/null && frozen=1
# Some of them run the smallest clean, 5 % of physical memory, to its end.
[ $(($(meminfo_kb MemTotal) / 20)) -le $((2048 * 1024)) ] || frozen=0

# The manager reads its commands from a pipe the test holds open and appends what it hears to
# SM_LOG, which each row empties.
SM_LOG="$E2E_TMP/sm.log"
export ICEAUTHORITY="$E2E_TMP/iceauthority"
mkfifo "$E2E_TMP/sm.in"
"$MANAGER" <"$E2E_TMP/sm.in" >>"$SM_LOG" 2>&1 &
SM_PID=$!
E2E_PIDS+=($SM_PID)
exec 7>"$E2E_TMP/sm.in"
wait_until 10 grep -q '^SESSION_MANAGER=' "$SM_LOG" || { cat "$SM_LOG"; fail "the session manager did not start"; }
export SESSION_MANAGER=$(sed -n 's/^SESSION_MANAGER=//p' "$SM_LOG")

sm() { echo "$1" >&7; }
# await_saves <n> <what>: the program has answered n save requests since the row began.
saves_answered() { [ "$(grep -c '^done 1$' "$SM_LOG")" -ge "$1" ]; }
await_saves() {
  wait_until 10 saves_answered "$1" || { cat "$SM_LOG" "$E2E_TMP/kelvo.log"; fail "$2: no answer to save $1"; }
}
# The restart style the program gave last: 3 is never.
last_hint() { sed -n 's/^property RestartStyleHint //p' "$SM_LOG" | tail -n1; }

paused_shown() {
  import -silent -window "$MAIN" "$E2E_TMP/shot.png" 2>/dev/null &&
    [ "$(convert "$E2E_TMP/shot.png" -format '%[pixel:p{190,2}]' info:)" = "$AQUA" ]
}
# The frozen processor figures get idle time again: the paused clean goes on.
release_processor() {
  cp "$FAKE" "$E2E_TMP/stat.frozen"
  (for ((idle = 0; ; idle += $(nproc) * 10)); do
    awk -v add=$idle '$1 == "cpu" { $5 += add } { print }' "$E2E_TMP/stat.frozen" >"$FAKE"
    sleep 0.2
  done) &
  RELEASER=$!
  E2E_PIDS+=($RELEASER)
}

# The dialog's stay-on-top box looks other than its task-bar box, which stays unticked.
box_look() { convert "$E2E_TMP/dialog.png" -crop "13x13+296+$1" +repage rgb:- | md5sum; }
box_ticked() {
  import -silent -window "$DIALOG" "$E2E_TMP/dialog.png" 2>/dev/null && [ "$(box_look 71)" != "$(box_look 167)" ]
}

# start_in <state>: the program registered with the manager and its first save answered, in the
# state: idle, small (hidden in the tray), dialog (the settings dialog open with the stay-on-top
# box ticked, not confirmed) or paused (the execute option's clean, waiting for the processor).
start_in() {
  printf '[SYSTEM]\nXPos=300\nYPos=300\n%b[DEFAULT]\nMemory=5\nStopCpuUsePer=1\nStayOnTop=0\n' \
    "$([ "$1" = small ] && echo 'Small=1\n')" >"$KELVO_DIR/kelvo.ini"
  : >"$E2E_TMP/kelvo.log"
  : >"$SM_LOG"
  case $1 in
    paused) unshare -m sh -c 'mount --bind "$1" /proc/stat && exec "$2" /exec' _ "$FAKE" "$KELVO" \
              >"$E2E_TMP/kelvo.log" 2>&1 & ;;
    *) "$KELVO" >"$E2E_TMP/kelvo.log" 2>&1 & ;;
  esac
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
  wait_until 20 managed_main_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "$1: no main window"; }
  MAIN=$(main_window $KELVO_PID)
  # A new place for the window, which only a save that keeps the place writes. Moved before
  # whatever proves the program has handled later events: the dialog's ticked box, the clean's
  # pause shown.
  [ "$1" = small ] || [ "$1" = dialog ] || xdotool windowmove --sync "$MAIN" 420 360
  await_saves 1 "$1: registration"
  case $1 in
    dialog)
      find_tray_icon
      tray_menu
      xdotool key Down Down Return
      DIALOG=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "$1: no dialog"
      read -r dx dy < <(position_of "$DIALOG")
      xdotool windowmove --sync "$MAIN" 420 360
      pointer_to $((dx + 302)) $((dy + 77))
      xdotool click 1
      wait_until 10 box_ticked || fail "$1: the stay-on-top box was not ticked" ;;
    paused) wait_until 20 paused_shown || fail "$1: the clean does not wait for the processor" ;;
  esac
}

passed=0
while read -r state request; do
  [ "$state" != paused ] || [ $frozen = 1 ] || { echo "skipped: $request while $state"; continue; }
  what="$request while $state"
  start_in "$state"
  case $request in
    checkpoint) sm checkpoint; await_saves 2 "$what" ;;
    cancelled) sm shutdown; await_saves 2 "$what"; sm cancel ;;
    logout) sm logout; await_exit $KELVO_PID "$what" ;;
  esac
  [ "$(last_hint)" = 3 ] || { cat "$SM_LOG"; fail "$what: restart style '$(last_hint)', not never (3)"; }

  if [ "$request" = logout ]; then
    # The close path's full save writes every key, the hint's too.
    [ "$(ini_value Hint)" = 0 ] || fail "$what: no full save: $(cat "$KELVO_DIR/kelvo.ini")"
    [ "$state" != paused ] || expect_clean_stopped "$what"
  else
    ! ended $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "$what: the program ended"; }
    [ "$(ini_value StayOnTop)" = 0 ] || fail "$what: the dialog's unconfirmed edit was saved"
    [ -z "$(ini_value Hint)" ] || fail "$what: a full save: $(cat "$KELVO_DIR/kelvo.ini")"
    [ "$(ini_value XPos) $(ini_value YPos)" = "420 360" ] ||
      fail "$what: the window's place was not saved: $(cat "$KELVO_DIR/kelvo.ini")"
    case $state in
      dialog)
        read -r dx dy < <(position_of "$DIALOG")
        pointer_to $((dx + 317)) $((dy + 252))  # キャンセル
        xdotool click 1
        wait_until 10 is_unviewable "$DIALOG" || fail "$what: the dialog did not close"
        stop_kelvo
        # The close saves every control: an edit キャンセル left in the dialog would show here.
        [ "$(ini_value StayOnTop)" = 0 ] || fail "$what: キャンセル kept the edit" ;;
      paused)
        release_processor
        await_exit $KELVO_PID "$what: the clean" 60
        kill $RELEASER
        notices 掃除しました >/dev/null && ! notices 掃除を中断しました >/dev/null ||
          { cat "$E2E_TMP/kelvo.log"; fail "$what: the clean did not go on to its end"; } ;;
      *) stop_kelvo ;;
    esac
  fi
  echo "ok: $what"
  passed=$((passed + 1))
done <<'ROWS'
idle checkpoint
dialog checkpoint
paused checkpoint
paused cancelled
idle logout
small logout
paused logout
ROWS
# The end of its commands ends the manager, which takes its socket away.
exec 7>&-
wait $SM_PID
echo "$passed passed, 0 failed"
