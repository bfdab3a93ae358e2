# Shared helpers of the end-to-end tests: a private X display with a window manager, waiting on
# conditions, and cleanup of everything started. Source it; call start_desktop first.

set -u
E2E_PIDS=()
E2E_TMP=$(mktemp -d /tmp/kelvo-e2e-XXXXXX)
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
# In the sanitizer build the toolkit's objects that live until exit would read as leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# The tray tests read Japanese menu labels through gdbus, which prints what the locale cannot
# show as '?': a new system's root shell has no locale but POSIX.
gdbus() { LC_ALL=C.UTF-8 command gdbus "$@"; }

cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A test that cannot run here ends with the code ctest counts as skipped.
skip() { echo "SKIP: $*"; exit 77; }

# wait_until <seconds> <command…>: polls the command every 50 ms until it succeeds.
wait_until() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}

# Runs the command until it prints something, for up to the given seconds, and prints that. An X
# search that meets a window closing at that moment (a menu just chosen from) finds nothing, so
# one empty answer is not trusted.
first_output() {
  local limit=$1
  shift
  wait_until "$limit" output_into_last "$@" && echo "$last_output"
}
output_into_last() { last_output=$("$@" 2>/dev/null) && [ -n "$last_output" ]; }

start_desktop() {
  local attempt
  # A display number can be taken in the machine's abstract socket namespace by a server this
  # /tmp knows nothing of (another root's, a dying Xwayland): clients then reach that server and
  # fail. A failed try keeps its Xvfb running, so the next one picks another number.
  for attempt in 1 2 3; do
    local fdfile="$E2E_TMP/displayfd$attempt"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
    XVFB_PID=$!
    E2E_PIDS+=($XVFB_PID)
    wait_until 20 test -s "$fdfile" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    openbox >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    # The theme's name is among the last things openbox sets as it starts.
    wait_until 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" &&
      xprop -root _OB_THEME | grep -q "="' && return 0
    cat "$E2E_TMP/openbox.log"
    echo "openbox did not start on $DISPLAY (try $attempt)" >&2
  done
  fail "openbox did not start"
}

# A copy of the program in its own folder, so its settings file lands there.
# Not in a "bin" folder: that is an installed program's, which keeps its settings per user.
KELVO_DIR="$E2E_TMP/prog"
install_kelvo() {
  KELVO="$KELVO_DIR/kelvo"
  mkdir -p "$KELVO_DIR"
  cp "$1" "$KELVO"
}

# The id of a visible top-level window of the given process, if it has one.
visible_window() {
  xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n1
}

# The Windows program's windows under Wine, which carry its file name as their class; the options
# go to the search (--onlyvisible). Fails when there is none.
# in_japanese <command…>: the command in a Japanese locale of the test's own (the machine need not
# have it), where Wine's ANSI code page is 932: what a Windows program writes into a pipe or a file
# without a console comes in that code page.
in_japanese() {
  if [ ! -f "$E2E_TMP/locales/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$E2E_TMP/locales"
    localedef -i ja_JP -f UTF-8 "$E2E_TMP/locales/ja_JP.UTF-8" >/dev/null 2>&1 ||
      [ -f "$E2E_TMP/locales/ja_JP.UTF-8/LC_CTYPE" ] || fail "cannot make the ja_JP.UTF-8 locale (localedef)"
  fi
  env -u LC_ALL -u LC_CTYPE LOCPATH="$E2E_TMP/locales" LANG=ja_JP.UTF-8 "$@"
}
wine_kelvo_windows() { xdotool search --all "$@" --classname 'kelvo.exe' 2>/dev/null; }

has_visible_window() {
  [ -n "$(visible_window "$1")" ]
}

# A tray (notification area) at the top left of the screen. The program's icon is the one window
# of the given process that the tray has taken in.
start_tray() {
  trayer --edge top --align left --widthtype request --height 24 --SetDockType true \
    --SetPartialStrut false --expand true --transparent false >"$E2E_TMP/trayer.log" 2>&1 &
  E2E_PIDS+=($!)
  TRAYER_PID=$!
  wait_until 20 sh -c "xdotool search --onlyvisible --pid $TRAYER_PID | grep -q ." ||
    { cat "$E2E_TMP/trayer.log"; fail "trayer did not start"; }
}

# Xfce's panel holding only its tray, along the top of the screen, from settings of its own. The
# tray hosts StatusNotifierItems over D-Bus (it is the watcher too) and XEmbed icons, and draws
# the menu an item exports. Needs the session bus (dbus-run-session). PANEL_PID is the panel.
start_xfce_panel() {
  export XDG_CONFIG_HOME="$E2E_TMP/config" NO_AT_BRIDGE=1
  local channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml" xfconfd
  mkdir -p "$channel"
  cat >"$channel/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
  # Started here rather than by the bus, so that it reads the settings above.
  xfconfd=$(dpkg-query -L xfconf | grep '/xfconfd$') || fail "no xfconfd (Debian package xfconf)"
  "$xfconfd" >"$E2E_TMP/xfconfd.log" 2>&1 &
  E2E_PIDS+=($!)
  # Asked without starting it: the bus would start one that reads the default settings.
  wait_until 10 sh -c 'gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.xfce.Xfconf | grep -q true' || fail "xfconfd did not start"
  xfce4-panel >"$E2E_TMP/panel.log" 2>&1 &
  PANEL_PID=$!
  E2E_PIDS+=($PANEL_PID)
  wait_until 20 gdbus introspect --session --dest org.kde.StatusNotifierWatcher \
    --object-path /StatusNotifierWatcher || { cat "$E2E_TMP/panel.log"; fail "the panel's tray did not start"; }
}

# A menu of any program on the screen: an override-redirect child of the root typed as a menu.
screen_menu() {
  local w
  for w in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
    xwininfo -id "$w" | grep -q IsViewable || continue
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_POPUP_MENU && echo "$w" && return 0
  done
  return 1
}
no_screen_menu() { ! screen_menu >/dev/null; }

# Starts the installed program with the given settings-file text; KELVO_PID is its process and
# MAIN its main window once the window manager has taken the window (normal or minimised).
start_kelvo() {
  printf '%b' "$1" >"$KELVO_DIR/kelvo.ini"
  "$KELVO" >>"$E2E_TMP/kelvo.log" 2>&1 &
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
  wait_until 20 managed_main_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "no main window"; }
  MAIN=$(main_window $KELVO_PID)
}

# The 200 x 80 window of the process, shown or not.
main_window() {
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 200$' &&
      xwininfo -id "$w" | grep -q 'Height: 80$' && echo "$w" && return 0
  done
  return 1
}

managed_main_window() {
  local w
  w=$(main_window "$1") && xprop -id "$w" WM_STATE | grep -q 'window state'
}

is_viewable() {
  xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

is_unviewable() {
  ! is_viewable "$1"
}

# Hidden under the pointer: still mapped and in the window manager's client list (so still in
# the task bar), but with a shape that leaves nothing of it on the screen.
in_client_list() {
  xprop -root _NET_CLIENT_LIST | grep -q "$(printf '0x%x' "$1")\b"
}
is_hidden_under_pointer() {
  is_viewable "$1" && in_client_list "$1" &&
    xwininfo -shape -id "$1" | grep 'Window shape extents' | grep -vq '200x80'
}
is_shown_whole() {
  is_viewable "$1" && xwininfo -shape -id "$1" | grep -q 'No window shape defined'
}

is_iconic() {
  xprop -id "$1" WM_STATE | grep -q 'window state: Iconic'
}

# has_state <window> <state>: _NET_WM_STATE of the window holds _NET_WM_STATE_<state>.
has_state() {
  xprop -id "$1" _NET_WM_STATE | grep -q "_NET_WM_STATE_$2\b"
}

# Absolute top-left corner "x y" of a window.
position_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

# The window of the process that the tray (start_tray) has taken in.
tray_icon() {
  local panel w
  [ -n "${TRAYER_PID:-}" ] || return 1
  panel=$(xdotool search --all --pid "$TRAYER_PID" --name '^panel$' 2>/dev/null | head -n1)
  [ -n "$panel" ] || return 1
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    xwininfo -tree -id "$panel" | grep -q "$(printf '0x%x' "$w") " && echo "$w" && return 0
  done
  return 1
}

# The middle of the process's icon in the tray, as ix and iy.
find_tray_icon() {
  wait_until 20 tray_icon $KELVO_PID || fail "no icon in the tray"
  read -r ix iy < <(position_of "$(tray_icon $KELVO_PID)")
  ix=$((ix + 8)) iy=$((iy + 8))
}

# Opens the icon's menu with a right click at mx, my. Right clicks in quick succession at one
# spot would make a double click of the right button; alternating between two spots of the icon
# keeps each a single click.
right_click_spot=0
tray_menu() {
  right_click_spot=$((1 - right_click_spot))
  mx=$((ix + 6 * right_click_spot)) my=$((iy + 6 * right_click_spot))
  pointer_to $mx $my
  xdotool click 3
  wait_until 10 popup_menu $KELVO_PID || fail "no menu on a right click"
}

# A shown window of the process with the given client size, such as a menu or a dialog.
window_sized() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xwininfo -id "$w" | grep -q "Width: $2\$" && xwininfo -id "$w" | grep -q "Height: $3\$" &&
      echo "$w" && return 0
  done
  return 1
}

# shown_popup <pid> menu|tip: a shown override-redirect window of the process other than its
# tray icon: a tool tip carries _NET_WM_WINDOW_TYPE_TOOLTIP, a menu does not.
shown_popup() {
  local w icon type
  icon=$(tray_icon "$1")
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    [ "$w" != "$icon" ] && xwininfo -id "$w" | grep -q 'Override Redirect State: yes' || continue
    type=menu
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP && type=tip
    [ "$type" = "$2" ] && echo "$w" && return 0
  done
  return 1
}
popup_menu() { shown_popup "$1" menu; }
no_popup_menu() { ! popup_menu "$1" >/dev/null; }

# The program's menu is shown with its top left corner where the pointer is.
expect_menu_at_pointer() {
  local menu X Y SCREEN WINDOW
  wait_until 10 popup_menu $KELVO_PID || fail "no menu"
  menu=$(popup_menu $KELVO_PID)
  eval "$(xdotool getmouselocation --shell)"
  [ "$(position_of "$menu")" = "$X $Y" ] || fail "menu at $(position_of "$menu"), pointer at $X $Y"
}

# The open menu's last item, 終了, ends the program with code 0.
exit_from_menu() { xdotool key Up Return; await_exit $KELVO_PID "the menu's exit item"; }
# A double click on the tray icon found by find_tray_icon.
double_click_icon() { pointer_to $ix $iy; xdotool click --repeat 2 --delay 100 1; }

# notices <title>: how many notices of that title the program wrote to standard error (a line
# "kelvo: <title>…" of $E2E_TMP/kelvo.log); fails when there is none.
notices() { grep -c "^kelvo: $1" "$E2E_TMP/kelvo.log"; }

# expect_clean_stopped <what>: the program told that its clean was stopped.
expect_clean_stopped() {
  notices 掃除を中断しました >/dev/null || { cat "$E2E_TMP/kelvo.log"; fail "$1: the clean was not stopped"; }
}

# ini_value <key>: the value the program wrote into its settings file.
ini_value() {
  sed -n "s/^$1=//p" "$KELVO_DIR/kelvo.ini" | tr -d '\r'
}

# ended <pid>: the process is gone, or has ended and waits to be reaped.
ended() { ! kill -0 "$1" 2>/dev/null || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }

# await_exit <pid> <what> [seconds]: the process ends within the seconds (10), with code 0.
await_exit() {
  wait_until "${3:-10}" ended "$1" ||
    { cat "$E2E_TMP/kelvo.log" 2>/dev/null; fail "$2: still running after ${3:-10} s"; }
  wait "$1"
  local rc=$?
  [ $rc -eq 0 ] || { cat "$E2E_TMP/kelvo.log" 2>/dev/null; fail "$2: exit code $rc"; }
}

# Ends the program as the system does (a close request: settings saved) and waits for it.
stop_kelvo() { kill -TERM "$KELVO_PID"; await_exit "$KELVO_PID" "SIGTERM"; }

# pointer_to <x> <y>: moves the pointer and waits until it is there (mousemove --sync would
# wait for a movement that never comes when the pointer is there already).
pointer_to() {
  xdotool mousemove "$1" "$2"
  wait_until 5 pointer_is "$1" "$2" || fail "the pointer did not reach $1 $2"
}

pointer_is() {
  xdotool getmouselocation | grep -q "^x:$1 y:$2 "
}

# A stand-in for a desktop's StatusNotifierWatcher on the session bus; each item that registers
# is a line "<bus name> <object path>" of $E2E_TMP/items.
start_sni_watcher() {
  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/sni_watcher.py" "$E2E_TMP/items" >"$E2E_TMP/watcher.log" 2>&1 &
  WATCHER_PID=$!
  E2E_PIDS+=($WATCHER_PID)
  wait_until 10 grep -q ready "$E2E_TMP/watcher.log" || { cat "$E2E_TMP/watcher.log"; fail "the watcher did not start"; }
}

# The program's StatusNotifierItem is item_name at item_path: its methods, its tip, and the menu
# it exports at menu_path (set by exported_menu).
item() { gdbus call --session --dest "$item_name" --object-path "$item_path" "$@"; }
item_property() { item --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"; }
tip() { item_property ToolTip; }
tip_shows_free_memory() { tip | grep -Eq "'[ 0-9]{3}[0-9]*\.[0-9]MB Free'"; }
exported_menu() {
  menu_path=$(item_property Menu | grep -o "'[^']*'" | tr -d "'")
  [ -n "$menu_path" ] && [ "$menu_path" != /NO_DBUSMENU ] || fail "the icon exports no menu: '$menu_path'"
}
menu_layout() {
  gdbus call --session --dest "$item_name" --object-path "$menu_path" \
    --method com.canonical.dbusmenu.GetLayout 0 -- -1 '[]'
}
menu_labels() { menu_layout | grep -o "'label': <'[^']*'>" | sed "s/'label': <'//; s/'>//" | paste -sd' '; }
