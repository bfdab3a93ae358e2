#!/usr/bin/env bash
# The clean's result balloon on an XEmbed tray (trayer, no notification service): the toolkit
# draws it itself near the icon, and with the pointer resting on it when its ten seconds are up
# it used to stay for good. It closes after its time wherever the pointer is.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
# No session bus: the notices cannot go to a notification service.
unset DBUS_SESSION_BUS_ADDRESS
export DBUS_SESSION_BUS_ADDRESS=disabled:
start_desktop
start_tray
install_kelvo "$1"
need_smallest_clean
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n[DEFAULT]\nMemory=5\n'
wait_until 20 tray_icon $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "no tray icon"; }
wait_until 20 is_viewable "$MAIN" || fail "no window"

# The toolkit draws the balloon as a tool tip.
balloon() { shown_popup $KELVO_PID tip; }

# 掃除 in the window's top row.
xdotool mousemove --window "$MAIN" 57 9 click 1
wait_until 30 balloon || { cat "$E2E_TMP/kelvo.log"; fail "no result balloon"; }
tip=$(balloon)
eval "$(xdotool getwindowgeometry --shell "$tip")"
# The pointer rests on the balloon (away from its close button at the top right).
xdotool mousemove $((X + 20)) $((Y + HEIGHT - 10))
shown_at=$SECONDS
sleep 1
balloon >/dev/null || fail "the balloon closed at once"
wait_until 20 sh -c "! xdotool search --onlyvisible --pid $KELVO_PID 2>/dev/null | grep -qx $tip" ||
  fail "the balloon under the pointer is still up $((SECONDS - shown_at)) s later"
echo "ok: the balloon under the pointer closed after $((SECONDS - shown_at)) s"
stop_kelvo
echo "1 passed, 0 failed"
