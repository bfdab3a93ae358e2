#!/usr/bin/env bash
# Takes docs/screenshot.png: the real main window under Xvfb, shown at twice its size.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/desktop.sh"
start_desktop
install_kelvo "${1:-$root/build/kelvo}"
"$KELVO" >/dev/null 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_until 20 has_visible_window $pid || fail "window did not appear"
sleep 1
win=$(visible_window $pid)
import -window "$win" "$E2E_TMP/shot.png"
convert "$E2E_TMP/shot.png" -filter point -resize 200% "$root/docs/screenshot.png"
echo "wrote docs/screenshot.png"
