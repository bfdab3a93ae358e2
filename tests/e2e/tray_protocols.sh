#!/usr/bin/env bash
# The tray icon on both of the toolkit's paths, each checked for the tip, the menu and the
# double click: the StatusNotifierItem protocol over D-Bus (a desktop's watcher stood in for by
# sni_watcher.py on a private session bus), then the XEmbed tray (trayer) with no watcher.
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/desktop.sh"
start_desktop
install_kelvo "$1"

# --- StatusNotifierItem ---
start_sni_watcher
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n[DEFAULT]\nTaskBarHide=1\n'
wait_until 10 test -s "$E2E_TMP/items" || { cat "$E2E_TMP/kelvo.log"; fail "no item registered with the watcher"; }
read -r item_name item_path <"$E2E_TMP/items"
activate() { item --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null; }
echo "ok: the icon registered with the watcher as $item_name $item_path"

# The menu is exported, for the hosts that draw it themselves.
exported_menu
[ "$(menu_labels)" = "元の大きさに戻す 設定 掃除 終了" ] || fail "exported menu at '$menu_path': '$(menu_labels)'"
echo "ok: the icon exports its menu: $(menu_labels)"

wait_until 10 tip_shows_free_memory || fail "the tip does not show the free memory: $(tip)"
echo "ok: the tip shows the free memory: $(tip | grep -o "'[^']*MB Free'")"

wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
# With a tray the option takes the window out of the task bar.
wait_until 10 has_state "$MAIN" SKIP_TASKBAR || fail "no skip-taskbar state with a D-Bus tray"
# A host reports each click as one activation: one alone is a single click, two are a double.
# A menu asked for after the click opens once the program has handled the click.
activate
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
wait_until 10 popup_menu $KELVO_PID || fail "no menu after a single click"
is_iconic "$MAIN" || fail "a single click restored the window"
xdotool key Escape
wait_until 10 no_popup_menu $KELVO_PID || fail "Escape did not close the menu"
activate; activate
wait_until 10 is_viewable "$MAIN" || fail "a double click did not restore the window"
[ "$(position_of "$MAIN")" = "300 300" ] || fail "restored at $(position_of "$MAIN")"
echo "ok: a single click leaves the window in the tray, a double click restores it"

# A host that asks for the menu instead: it opens at the pointer and Escape closes it.
pointer_to 500 400
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
expect_menu_at_pointer
xdotool key Escape
wait_until 10 no_popup_menu $KELVO_PID || fail "Escape did not close the menu"
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
wait_until 10 popup_menu $KELVO_PID || fail "no menu the second time"
exit_from_menu
echo "ok: the menu opens at the pointer and its exit item ends the program"

kill $WATCHER_PID
wait_until 10 sh -c '! gdbus introspect --session --dest org.kde.StatusNotifierWatcher --object-path / >/dev/null 2>&1' ||
  fail "the watcher did not go away"

# --- XEmbed ---
start_tray
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n'
find_tray_icon
[ ! -s "$E2E_TMP/items" ] || [ "$(wc -l <"$E2E_TMP/items")" = 1 ] || fail "the icon went to D-Bus with no watcher"

# The tip shows while the pointer rests on the icon.
pointer_to $((ix + 2)) $((iy + 2))
pointer_to $ix $iy
wait_until 10 shown_popup $KELVO_PID tip || fail "no tip over the XEmbed icon"
echo "ok: the XEmbed icon shows its tip"

wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
xdotool click 1
tray_menu # handled after the click before it
is_iconic "$MAIN" || fail "a single click restored the window"
xdotool key Escape
wait_until 10 no_popup_menu $KELVO_PID || fail "Escape did not close the menu"
double_click_icon
wait_until 10 is_viewable "$MAIN" || fail "a double click on the XEmbed icon did not restore the window"
echo "ok: XEmbed: a single click leaves the window in the tray, a double click restores it"

tray_menu
expect_menu_at_pointer
exit_from_menu
echo "ok: XEmbed: the menu opens at the pointer and its exit item ends the program"
echo "1 passed, 0 failed"
