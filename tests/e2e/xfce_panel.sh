#!/usr/bin/env bash
# The program in a real panel's tray: Xfce's, which hosts StatusNotifierItems over D-Bus and draws
# the menu an item exports, without ever asking the item to show one, and without saying when it
# closed it. The exported menu, a right click on the icon, the tray while the settings dialog is
# open, and the tip reaching the panel as free memory moves.
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/desktop.sh"
start_desktop
start_xfce_panel
install_kelvo "$1"

watcher_items() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    RegisteredStatusNotifierItems
}
# A drop of five points starts a clean: the memory hog below makes ten, while what the desktop's
# own start and end free now and then stays under it.
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n[DEFAULT]\nMemory=5\nAutoMemClear=1\nAutoMemUsed=1\nAutoMemUsePer=5\n'
wait_until 20 sh -c "$(declare -f watcher_items); watcher_items | grep -q StatusNotifierItem" ||
  { cat "$E2E_TMP/kelvo.log"; fail "no item registered with the panel's watcher"; }
read -r item_name item_path < <(watcher_items | grep -o "'[^']*'" | tr -d "'" | sed 's|/| /|')
exported_menu
# id_of <label>: the item's number in the exported menu.
id_of() { menu_layout | grep -o "<([0-9]*, {[^}]*'label': <'$1'>" | grep -o '^<([0-9]*' | tr -d '<('; }
enabled_items() { menu_layout | grep -o "'enabled': <true>" | wc -l; }
# Escape to the dialog; the menu's items must come back enabled once it is gone.
close_dialog() {
  [ -n "$dialog" ] || fail "no dialog to close"
  timeout 10 xdotool windowactivate --sync "$dialog" key Escape 2>>"$E2E_TMP/xdotool.log" ||
    echo "$SECONDS s: xdotool ended with $?" >>"$E2E_TMP/xdotool.log"
  wait_until 10 is_unviewable "$dialog" || fail_with_windows "the dialog did not close"
  wait_until 10 test "$(enabled_items)" = 4 ||
    fail_with_windows "items still greyed after the dialog: $(menu_layout)"
}
# What was on the screen and where the keys went, for a close that did not take.
fail_with_windows() {
  local w
  {
    echo "the dialog was $dialog; active $(xdotool getactivewindow 2>&1), focus $(xdotool getwindowfocus 2>&1)"
    for w in $(xdotool search --onlyvisible --pid $KELVO_PID 2>/dev/null); do
      echo "$w: $(xwininfo -id "$w" | grep -E 'Width|Height|Map State' | tr -s ' \n' ' ')"
    done
    cat "$E2E_TMP/xdotool.log" 2>/dev/null
  } >>"$E2E_TMP/trail.log"
  fail_with_trail "$@"
}
peak_kb() { awk '/VmHWM/ {print $2}' "/proc/$KELVO_PID/status"; }
rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$KELVO_PID/status"; }
fail_with_trail() {
  [ -z "${trail:-}" ] || kill $trail 2>/dev/null
  cat "$E2E_TMP/trail.log" "$E2E_TMP/kelvo.log" >&2
  fail "$@"
}

[ "$(menu_labels)" = "元の大きさに戻す 設定 掃除 終了" ] || fail "exported menu: $(menu_layout)"
[ "$(enabled_items)" = 4 ] || fail "not every item is enabled: $(menu_layout)"
echo "ok: the icon exports the menu at $menu_path: $(menu_labels)"

# The icon is the tray's first, at the panel's left end.
right_click_icon() {
  pointer_to 12 13
  xdotool click 3
  wait_until 10 screen_menu || fail "no menu on a right click of the icon"
}
right_click_icon
xdotool key Escape
wait_until 10 no_screen_menu || fail "Escape did not close the menu"
echo "ok: a right click on the icon opens a menu drawn by the panel"

# Its second item opens the settings dialog.
right_click_icon
xdotool key Down Down Return
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "the menu's 設定 opened no dialog"
echo "ok: the panel's menu is Kelvo's: its 設定 opens the dialog"

# While the dialog is open the exported items are greyed, and nothing the panel can send reaches
# the program: no second dialog (an error box), no menu of its own, no clean.
wait_until 10 test "$(enabled_items)" = 0 || fail "items not greyed while the dialog is open: $(menu_layout)"
windows_before=$(first_output 5 xdotool search --onlyvisible --pid $KELVO_PID | wc -l)
echo 5 >"/proc/$KELVO_PID/clear_refs"
peak_before=$(peak_kb)
right_click_icon
xdotool key Escape
wait_until 10 no_screen_menu || fail "Escape did not close the menu"
for label in 設定 掃除 元の大きさに戻す; do
  gdbus call --session --dest "$item_name" --object-path "$menu_path" \
    --method com.canonical.dbusmenu.Event -- "$(id_of "$label")" clicked '<0>' 0 >/dev/null ||
    fail "the menu took no click on $label"
done
item --method org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
item --method org.kde.StatusNotifierItem.ContextMenu 500 400 >/dev/null
# Each call's reply came after its handler; this one's also after what those handlers queued.
tip >/dev/null
[ "$(first_output 5 xdotool search --onlyvisible --pid $KELVO_PID | wc -l)" = "$windows_before" ] ||
  fail "a window opened past the dialog: $(xdotool search --onlyvisible --pid $KELVO_PID)"
is_viewable "$dialog" || fail "the dialog went away"
# A clean writes 5 % of physical memory, which the program's peak size would show.
[ $(($(peak_kb) - peak_before)) -lt 200000 ] || fail "a clean ran: peak $peak_before kB, now $(peak_kb) kB"
close_dialog
echo "ok: while the dialog is open the panel's menu is greyed and nothing from the tray gets through"

# The tip reaches the panel and follows the free memory: with 512 MiB more held elsewhere the item
# announces a new tip, the panel (the only one here to ask for all of the item's properties) reads
# them, and the tip shows another figure than before. How often it may change is for unit tests.
tip_before=$(tip)
dbus-monitor --session >"$E2E_TMP/bus.log" 2>&1 &
monitor=$!
E2E_PIDS+=($monitor)
wait_until 10 grep -q NameAcquired "$E2E_TMP/bus.log" || fail "dbus-monitor did not start"
/usr/bin/python3 -c 'import time; block = bytearray(b"\x01") * (512 << 20); time.sleep(600)' &
hog=$!
E2E_PIDS+=($hog)
panel_read_new_tip() {
  [ "$(tip)" != "$tip_before" ] && sed -n '/member=NewToolTip/,$p' "$E2E_TMP/bus.log" |
    grep -q "path=$item_path; interface=org.freedesktop.DBus.Properties; member=GetAll"
}
wait_until 15 panel_read_new_tip ||
  fail "the tip did not reach the panel: before $tip_before, now $(tip); $(grep -c NewToolTip "$E2E_TMP/bus.log") announced"
kill $hog $monitor
echo "ok: the tip went to the panel as free memory moved: $(tip | grep -o "'[^']*MB Free'")"

# An automatic clean waits while the dialog is open. Memory use climbs by a tenth (the program
# notes the new peak), the dialog opens, the use falls back by far more than the five points that
# start a clean, and only the dialog's close lets that clean run. A clean is seen in the program's
# peak size, which is reset first: an earlier clean's would hide this one.
memory_load() {
  awk '/MemTotal/ {t = $2} /MemAvailable/ {a = $2} END {printf "%d", 100 - 100 * a / t}' /proc/meminfo
}
load_trail() {
  while kill -0 $KELVO_PID 2>/dev/null; do
    echo "$SECONDS s: load $(memory_load) %, peak $(peak_kb) kB, resident $(rss_kb) kB"
    sleep 0.5
  done
}
load_trail >"$E2E_TMP/trail.log" &
trail=$!
E2E_PIDS+=($trail)
# The tip's free figure tells that the program has sampled the memory since the hog came or went.
tip_free_mb() { tip | grep -o "'[ 0-9]*\.[0-9]MB Free'" | grep -o '[0-9]*\.' | tr -d .; }
tip_free_beyond() { local mb; mb=$(tip_free_mb) && [ -n "$mb" ] && [ $(($1 * (mb - $2))) -gt 0 ]; }
total_kb=$(awk '/MemTotal/ {print $2}' /proc/meminfo)
free_before=$(tip_free_mb)
/usr/bin/python3 -c "
import time
block = bytearray(b'\\x01') * ($total_kb * 1024 // 10)
print('held', flush=True)
time.sleep(600)
" >"$E2E_TMP/hog.out" &
hog=$!
E2E_PIDS+=($hog)
wait_until 60 grep -q held "$E2E_TMP/hog.out" || fail "the memory hog did not start"
hog_mb=$((total_kb / 10240))
wait_until 20 tip_free_beyond -1 $((free_before - hog_mb / 2)) ||
  fail_with_trail "the tip did not see the hog: $(tip)"
free_held=$(tip_free_mb)
echo "$SECONDS s: hog held" >>"$E2E_TMP/trail.log"
right_click_icon
xdotool key Down Down Return
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "the menu's 設定 opened no dialog"
echo 5 >"/proc/$KELVO_PID/clear_refs"
peak_before=$(peak_kb)
kill $hog
wait $hog 2>/dev/null
echo "$SECONDS s: hog ended" >>"$E2E_TMP/trail.log"
wait_until 20 tip_free_beyond 1 $((free_held + hog_mb / 2)) ||
  fail_with_trail "the tip did not see the hog end: $(tip)"
[ $(($(peak_kb) - peak_before)) -lt 200000 ] ||
  fail_with_trail "an automatic clean ran under the dialog: peak $peak_before kB, now $(peak_kb) kB"
close_dialog
echo "$SECONDS s: dialog closed" >>"$E2E_TMP/trail.log"
clean_ran() { [ $(($(peak_kb) - peak_before)) -ge 200000 ]; }
wait_until 20 clean_ran ||
  fail_with_trail "no automatic clean after the dialog: peak $peak_before kB, now $(peak_kb) kB"
clean_over() { [ "$(rss_kb)" -lt $((peak_before + 100000)) ]; }
wait_until 60 clean_over || fail_with_trail "the automatic clean did not end: $(rss_kb) kB resident"
kill $trail
echo "ok: the load-drop clean waited for the dialog to close"

# The last item ends the program.
right_click_icon
exit_from_menu
echo "ok: the panel's menu's 終了 ends the program"
echo "1 passed, 0 failed"
