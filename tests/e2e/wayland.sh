#!/usr/bin/env bash
# The program in a Wayland session (headless mutter, as a GNOME session runs it): with Xwayland
# it runs on X11 and behaves as there; without an X server it runs natively, says once what
# cannot work, keeps the saved position, and still has its tray icon on a D-Bus tray (a
# stand-in watcher on a private session bus).
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/desktop.sh"
install_kelvo "$1"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XAUTHORITY
export XDG_SESSION_TYPE=wayland
command -v mutter >/dev/null || skip "mutter is not installed (make deps installs it)"

MUTTER_PID=""
# start_compositor [mutter options…]: a new headless compositor with a 1280 x 1024 screen;
# WAYLAND_DISPLAY names it. With Xwayland, X_DISPLAY and X_AUTHORITY name its X server.
start_compositor() {
  stop_compositor
  rm -f "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.*
  local log="$E2E_TMP/mutter.log"
  WAYLAND_SOCKET="kelvo-wayland-$RANDOM"
  mutter --headless --wayland --virtual-monitor 1280x1024 --wayland-display="$WAYLAND_SOCKET" "$@" \
    >"$log" 2>&1 &
  MUTTER_PID=$!
  E2E_PIDS+=($MUTTER_PID)
  wait_until 20 test -S "$XDG_RUNTIME_DIR/$WAYLAND_SOCKET" ||
    { cat "$log"; skip "the compositor did not start here"; }
  X_DISPLAY="" X_AUTHORITY=""
  case " $* " in *" --no-x11 "*) return 0 ;; esac
  wait_until 20 grep -q 'Using public X11 display' "$log" ||
    { cat "$log"; skip "the compositor started no Xwayland"; }
  X_DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$log" | head -n1)
  X_AUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n1)
  DISPLAY=$X_DISPLAY XAUTHORITY=$X_AUTHORITY wait_until 20 xprop -root _NET_SUPPORTING_WM_CHECK ||
    { cat "$log"; skip "Xwayland did not answer on $X_DISPLAY"; }
}

stop_compositor() {
  [ -n "$MUTTER_PID" ] || return 0
  kill -TERM "$MUTTER_PID" 2>/dev/null
  wait "$MUTTER_PID" 2>/dev/null
  MUTTER_PID=""
}

# run_kelvo <settings text> [environment assignments…]: starts the program as the session would.
run_kelvo() {
  local ini=$1
  shift
  printf '%b' "$ini" >"$KELVO_DIR/kelvo.ini"
  : >"$E2E_TMP/kelvo.log"
  env WAYLAND_DISPLAY="$WAYLAND_SOCKET" "$@" "$KELVO" >"$E2E_TMP/kelvo.log" 2>&1 &
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
}

# A D-Bus tray for every run: its registration tells that the program is up, signal handler
# included, even where it has no X11 window to wait for.
start_sni_watcher
items() { [ -f "$E2E_TMP/items" ] && wc -l <"$E2E_TMP/items" || echo 0; }
registered_after() { [ "$(items)" -gt "$1" ]; }

notices() { grep -c 'running as a native Wayland client' "$E2E_TMP/kelvo.log"; }
said_degraded() { [ "$(notices)" = 1 ]; }

# --- with Xwayland: WAYLAND_DISPLAY and DISPLAY both set, as a desktop sets them ---
start_compositor
export DISPLAY=$X_DISPLAY XAUTHORITY=$X_AUTHORITY
run_kelvo '[SYSTEM]\nXPos=300\nYPos=250\n[DEFAULT]\nStayOnTop=1\n' DISPLAY="$X_DISPLAY" XAUTHORITY="$X_AUTHORITY"
wait_until 20 managed_main_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "no X11 window on Xwayland"; }
MAIN=$(main_window $KELVO_PID)
wait_until 10 is_viewable "$MAIN" || fail "the window is not shown"
[ "$(position_of "$MAIN")" = "300 250" ] || fail "window at $(position_of "$MAIN"), the settings say 300 250"
wait_until 10 has_state "$MAIN" ABOVE || fail "stay on top did not reach the window: $(xprop -id "$MAIN" _NET_WM_STATE)"
[ "$(notices)" = 0 ] || fail "a degradation notice on Xwayland: $(cat "$E2E_TMP/kelvo.log")"
stop_kelvo
[ "$(ini_value XPos) $(ini_value YPos)" = "300 250" ] || fail "position saved as $(ini_value XPos) $(ini_value YPos)"
echo "ok: with Xwayland the window opens 200 x 80 at 300 250, on top, and says nothing"

# A user's own choice of the toolkit's platform wins over the X server.
before=$(items)
run_kelvo '[SYSTEM]\nXPos=300\nYPos=250\n' DISPLAY="$X_DISPLAY" XAUTHORITY="$X_AUTHORITY" QT_QPA_PLATFORM=wayland
wait_until 20 registered_after "$before" || { cat "$E2E_TMP/kelvo.log"; fail "the program did not come up"; }
wait_until 20 said_degraded || { cat "$E2E_TMP/kelvo.log"; fail "QT_QPA_PLATFORM=wayland did not run natively"; }
grep -q 'QT_QPA_PLATFORM or -platform asks for it' "$E2E_TMP/kelvo.log" || fail "the notice gives no reason"
! main_window $KELVO_PID >/dev/null || fail "an X11 window although Wayland was asked for"
stop_kelvo
echo "ok: QT_QPA_PLATFORM=wayland wins over Xwayland"
unset DISPLAY XAUTHORITY

# --- without an X server, a D-Bus tray on the session bus ---
start_compositor --no-x11
# A DISPLAY left over from an earlier session names a server that is gone.
stale=99
while [ -e "/tmp/.X11-unix/X$stale" ] || [ -e "/tmp/.X$stale-lock" ]; do stale=$((stale + 1)); done
before=$(items)
run_kelvo '[SYSTEM]\nXPos=300\nYPos=250\n[DEFAULT]\nStayOnTop=1\nDontCatch=1\nTaskBarHide=1\n' DISPLAY=":$stale"
wait_until 20 registered_after "$before" || { cat "$E2E_TMP/kelvo.log"; fail "no tray icon on Wayland"; }
wait_until 20 said_degraded || { cat "$E2E_TMP/kelvo.log"; fail "no notice of what cannot work"; }
grep -q 'no X server answers' "$E2E_TMP/kelvo.log" || fail "the notice gives no reason"
for what in 'position' '常に前面に表示' 'タスクバーを表示しない' 'マウスが重なった時に隠す'; do
  grep -q "$what" "$E2E_TMP/kelvo.log" || fail "the notice does not name $what"
done
read -r item_name item_path < <(tail -n1 "$E2E_TMP/items")
wait_until 10 tip_shows_free_memory || fail "the tip does not follow the free memory: $(tip)"
# The host asks for the menu; a SIGTERM while it is open still closes the program.
item --method org.kde.StatusNotifierItem.ContextMenu 100 100 >/dev/null
sleep 2
kill -0 $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "the program ended by itself"; }
stop_kelvo
[ "$(notices)" = 1 ] || fail "the notice was said $(notices) times"
grep -q '^\[SYSTEM\]' "$KELVO_DIR/kelvo.ini" && grep -q '^Small=0' "$KELVO_DIR/kelvo.ini" ||
  fail "the settings were not saved at the close: $(cat "$KELVO_DIR/kelvo.ini")"
[ "$(ini_value XPos) $(ini_value YPos)" = "300 250" ] ||
  fail "the saved position was lost: $(ini_value XPos) $(ini_value YPos)"
echo "ok: without an X server it runs natively, says once what cannot work, keeps the tray and the saved position, and closes cleanly on SIGTERM"
stop_compositor
echo "1 passed, 0 failed"
