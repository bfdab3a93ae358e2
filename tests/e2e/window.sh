#!/usr/bin/env bash
# The window on a desktop without a tray: minimising keeps a task-bar button whatever the
# option says; dragging by the free areas; hiding under the pointer, and Shift.
source "$(dirname "$0")/desktop.sh"
start_desktop
install_kelvo "$1"

# No tray: small mode is a minimised window that keeps its task-bar button, and activating it
# (as a task bar does) brings it back.
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n[DEFAULT]\nTaskBarHide=1\n'
wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
! has_state "$MAIN" SKIP_TASKBAR || fail "no tray, yet the task-bar button is gone"
xdotool windowactivate "$MAIN"
wait_until 10 is_viewable "$MAIN" || fail "activating the minimised window did not restore it"
! has_state "$MAIN" SKIP_TASKBAR || fail "no tray, yet the task-bar button went at the restore"
stop_kelvo
[ "$(ini_value Small)" = 0 ] || fail "small mode saved after the restore"
echo "ok: without a tray the minimised window keeps its task-bar button"

# A press on the top strip's buttons is a click; below the strip it drags the window.
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n'
wait_until 10 is_viewable "$MAIN" || fail "the window did not show"
pointer_to 400 340
xdotool mousedown 1
# The window manager takes the move over after the program asks; nudge the pointer until the
# window follows.
nudge=0
follows() {
  nudge=$((nudge + 5))
  xdotool mousemove $((400 + nudge)) $((340 + nudge))
  [ "$(position_of "$MAIN")" != "300 300" ]
}
wait_until 10 follows || { xdotool mouseup 1; fail "the window did not follow the pointer"; }
pointer_to 500 440
xdotool mouseup 1
wait_until 10 sh -c "xwininfo -id $MAIN | grep -q 'Absolute upper-left X:  400'" ||
  fail "dragged to $(position_of "$MAIN"), not 400 400"
[ "$(position_of "$MAIN")" = "400 400" ] || fail "dragged to $(position_of "$MAIN")"
stop_kelvo
[ "$(ini_value XPos) $(ini_value YPos)" = "400 400" ] ||
  fail "saved $(ini_value XPos) $(ini_value YPos) after the drag"
echo "ok: dragging below the top strip moves the window and the position is saved"

# A press and release at the same instant (a tap on a touchpad) moves nothing: the window does not
# follow the pointer after it.
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n'
wait_until 10 is_viewable "$MAIN" || fail "the window did not show"
xdotool mousemove 400 340 click 1
pointer_to 450 390
pointer_to 600 500
sleep 0.3
[ "$(position_of "$MAIN")" = "300 300" ] ||
  { xdotool click 1; fail "after a click of no length the window followed the pointer to $(position_of "$MAIN")"; }
stop_kelvo
echo "ok: a click of no length below the top strip leaves the window where it was"

# Hiding under the pointer: the window goes when the pointer comes and is back once it leaves.
# It keeps its place in the window manager's client list, which task bars show, so a task bar
# does not shift each time the pointer crosses the window; and the pointer reaches what is below.
pointer_to 100 100
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n[DEFAULT]\nDontCatch=1\n'
wait_until 10 is_shown_whole "$MAIN" || fail "the window did not show"
in_client_list "$MAIN" || fail "the window is not in the client list: $(xprop -root _NET_CLIENT_LIST)"
pointer_to 350 340
wait_until 10 is_hidden_under_pointer "$MAIN" ||
  fail "the window did not get out of the pointer's way: $(xprop -root _NET_CLIENT_LIST) $(xwininfo -shape -id "$MAIN")"
[ "$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')" = "$(xwininfo -root | awk '/Window id/ {print $4}' | xargs printf '%d')" ] ||
  fail "the pointer is not over the desktop below the hidden window"
pointer_to 300 300  # the top left corner pixel
sleep 0.3
is_hidden_under_pointer "$MAIN" || fail "the window came back with the pointer on its corner"
pointer_to 501 340
wait_until 10 is_shown_whole "$MAIN" || fail "the window did not come back"
in_client_list "$MAIN" || fail "the window left the client list"
echo "ok: the window hides under the pointer, staying in the client list, and comes back when it leaves"

# With Shift held the pointer reaches the window and its buttons work.
xdotool keydown shift
pointer_to 310 308
xdotool click 1
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || { xdotool keyup shift; fail "no dialog"; }
xdotool keyup shift
is_shown_whole "$MAIN" || fail "the window hid while Shift was held"
xdotool windowactivate "$dialog" key Escape
wait_until 10 is_unviewable "$dialog" || fail "the dialog did not close"
stop_kelvo
echo "ok: with Shift held the window stays and its buttons work"

# Where the session has no message bus, none is started for the program: the bus library would
# start one for the display and leave it running, with its address on a window of the display.
bus_window() {
  local w
  for w in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
    xprop -id "$w" _DBUS_SESSION_BUS_PID 2>/dev/null | grep -q '= [0-9]' && echo "$w" && return 0
  done
  return 1
}
unset DBUS_SESSION_BUS_ADDRESS
[ ! -e "$XDG_RUNTIME_DIR/bus" ] || fail "the runtime folder has a bus"
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n'
wait_until 10 is_viewable "$MAIN" || fail "the window did not show"
sleep 1
stop_kelvo
if w=$(bus_window); then
  kill "$(xprop -id "$w" _DBUS_SESSION_BUS_PID | awk '{print $NF}')" 2>/dev/null
  fail "a bus was started for the display and outlived the program"
fi
echo "ok: no bus started where the session has none"
echo "1 passed, 0 failed"
