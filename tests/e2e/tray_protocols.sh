#!/usr/bin/env bash
# The tray icon on both of the toolkit's paths, each checked for the tip, the menu and the
# double click: the StatusNotifierItem protocol over D-Bus (a desktop's watcher stood in for by
# sni_watcher.py on a private session bus), then the XEmbed tray (trayer) with no watcher.
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/desktop.sh"
start_desktop
install_kelvo "$1"

# shown_popup <pid> menu|tip: a shown override-redirect window of the process other than its
# tray icon: a tool tip carries _NET_WM_WINDOW_TYPE_TOOLTIP, the menu does not.
shown_popup() {
  local w icon=""
  [ -n "${TRAYER_PID:-}" ] && icon=$(tray_icon "$1")
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    [ "$w" = "$icon" ] && continue
    xwininfo -id "$w" | grep -q 'Override Redirect State: yes' || continue
    if xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP; then
      [ "$2" = tip ] && echo "$w" && return 0
    else
      [ "$2" = menu ] && echo "$w" && return 0
    fi
  done
  return 1
}
no_menu() { ! shown_popup "$1" menu >/dev/null; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# --- StatusNotifierItem ---
/usr/bin/python3 "$(dirname "$0")/sni_watcher.py" "$E2E_TMP/items" >"$E2E_TMP/watcher.log" 2>&1 &
WATCHER_PID=$!
E2E_PIDS+=($WATCHER_PID)
wait_until 10 grep -q ready "$E2E_TMP/watcher.log" || { cat "$E2E_TMP/watcher.log"; fail "the watcher did not start"; }

start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n[DEFAULT]\nTaskBarHide=1\n'
wait_until 10 test -s "$E2E_TMP/items" || { cat "$E2E_TMP/kelvo.log"; fail "no item registered with the watcher"; }
read -r item_name item_path <"$E2E_TMP/items"
item() { gdbus call --session --dest "$item_name" --object-path "$item_path" "$@"; }
tip() { item --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip; }
activate() { item --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null; }
tip_shows_free_memory() { tip | grep -Eq "'[ 0-9]{3}[0-9]*\.[0-9]MB Free'"; }
echo "ok: the icon registered with the watcher as $item_name $item_path"

# The menu is exported, for the hosts that draw it themselves.
menu_path=$(item --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem Menu |
  grep -o "'[^']*'" | tr -d "'")
labels=$(gdbus call --session --dest "$item_name" --object-path "$menu_path" \
  --method com.canonical.dbusmenu.GetLayout 0 -- -1 '[]' |
  grep -o "'label': <'[^']*'>" | sed "s/'label': <'//; s/'>//" | paste -sd' ')
[ "$labels" = "元の大きさに戻す 設定 掃除 終了" ] || fail "exported menu at '$menu_path': '$labels'"
echo "ok: the icon exports its menu: $labels"

wait_until 10 tip_shows_free_memory || fail "the tip does not show the free memory: $(tip)"
echo "ok: the tip shows the free memory: $(tip | grep -o "'[^']*MB Free'")"

wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
# With a tray the option takes the window out of the task bar.
wait_until 10 has_state "$MAIN" SKIP_TASKBAR || fail "no skip-taskbar state with a D-Bus tray"
# A host reports each click as one activation: one alone is a single click, two are a double.
activate
sleep 1
is_iconic "$MAIN" || fail "a single click restored the window"
activate; activate
wait_until 10 is_viewable "$MAIN" || fail "a double click did not restore the window"
[ "$(position_of "$MAIN")" = "300 300" ] || fail "restored at $(position_of "$MAIN")"
echo "ok: a single click leaves the window in the tray, a double click restores it"

# A host that asks for the menu instead: it opens at the pointer and Escape closes it.
pointer_to 500 400
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
wait_until 10 shown_popup $KELVO_PID menu || fail "no menu when the host asked for it"
menu=$(shown_popup $KELVO_PID menu)
[ "$(position_of "$menu")" = "500 400" ] || fail "menu at $(position_of "$menu")"
xdotool key Escape
wait_until 10 no_menu $KELVO_PID || fail "Escape did not close the menu"
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
wait_until 10 shown_popup $KELVO_PID menu || fail "no menu the second time"
xdotool key Up Return
wait_until 10 ended $KELVO_PID || fail "the menu's exit item did not end the program"
wait $KELVO_PID || fail "exit code $?"
echo "ok: the menu opens at the pointer and its exit item ends the program"

kill $WATCHER_PID
wait_until 10 sh -c '! gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path / >/dev/null 2>&1' ||
  fail "the watcher did not go away"

# --- XEmbed ---
start_tray
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n'
wait_until 20 tray_icon $KELVO_PID || fail "no icon in the XEmbed tray"
icon=$(tray_icon $KELVO_PID)
read -r ix iy < <(position_of "$icon")
ix=$((ix + 8)) iy=$((iy + 8))
[ ! -s "$E2E_TMP/items" ] || [ "$(wc -l <"$E2E_TMP/items")" = 1 ] || fail "the icon went to D-Bus with no watcher"

# The tip shows while the pointer rests on the icon.
pointer_to $((ix + 2)) $((iy + 2))
pointer_to $ix $iy
wait_until 10 shown_popup $KELVO_PID tip || fail "no tip over the XEmbed icon"
echo "ok: the XEmbed icon shows its tip"

wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
xdotool click 1
sleep 1
is_iconic "$MAIN" || fail "a single click restored the window"
xdotool click --repeat 2 --delay 100 1
wait_until 10 is_viewable "$MAIN" || fail "a double click on the XEmbed icon did not restore the window"
echo "ok: XEmbed: a single click leaves the window in the tray, a double click restores it"

pointer_to $((ix + 4)) $((iy + 4))
xdotool click 3
wait_until 10 shown_popup $KELVO_PID menu || fail "no menu on a right click"
menu=$(shown_popup $KELVO_PID menu)
[ "$(position_of "$menu")" = "$((ix + 4)) $((iy + 4))" ] || fail "menu at $(position_of "$menu")"
xdotool key Up Return
wait_until 10 ended $KELVO_PID || fail "the menu's exit item did not end the program"
wait $KELVO_PID || fail "exit code $?"
echo "ok: XEmbed: the menu opens at the pointer and its exit item ends the program"
echo "1 passed, 0 failed"
