# Shared helpers of the end-to-end tests: a private X display with a window manager, waiting on
# conditions, and cleanup of everything started. Source it; call start_desktop first.

set -u
E2E_PIDS=()
E2E_TMP=$(mktemp -d /tmp/kelvo-e2e-XXXXXX)
export XDG_RUNTIME_DIR="$E2E_TMP/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
# In the sanitizer build the toolkit's objects that live until exit would read as leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

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

start_desktop() {
  local fdfile="$E2E_TMP/displayfd"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  E2E_PIDS+=($!)
  wait_until 20 test -s "$fdfile" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fdfile")"
  openbox >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  wait_until 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start"
}

# A copy of the program in its own folder, so its settings file lands there.
install_kelvo() {
  KELVO="$E2E_TMP/bin/kelvo"
  mkdir -p "$E2E_TMP/bin"
  cp "$1" "$KELVO"
}

# The id of a visible top-level window of the given process, if it has one.
visible_window() {
  xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n1
}

has_visible_window() {
  [ -n "$(visible_window "$1")" ]
}

# A tray (notification area) at the top left of the screen. The program's icon is the one window
# of the given process that the tray has taken in.
start_tray() {
  trayer --edge top --align left --widthtype request --height 24 --SetDockType true \
    --SetPartialStrut false --expand true --transparent false >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  TRAYER_PID=$!
  wait_until 20 sh -c "xdotool search --onlyvisible --pid $TRAYER_PID | grep -q ." ||
    fail "trayer did not start"
}
