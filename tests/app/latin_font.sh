#!/usr/bin/env bash
# The real program where no Japanese font is installed: fontconfig sees only a Latin folder. It
# says so once on standard error, and a five-digit figure ("99999.9 MB", from a scripted
# /proc/meminfo bound over the real one in a private mount namespace) keeps every digit: the ink
# of each figure stays clear of its label's left edge.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/../clean/clean_helpers.sh"
LATIN=/usr/share/fonts/truetype/dejavu
[ -d "$LATIN" ] || skip "no Latin font folder $LATIN (fonts-dejavu-core)"
[ "$(id -u)" -eq 0 ] || skip "binding a file over /proc/meminfo needs root"
FAKE="$E2E_TMP/meminfo"
kb=102399898  # 99999.9 MB
printf 'MemTotal: %d kB\nMemFree: %d kB\nMemAvailable: %d kB\nSwapTotal: %d kB\nSwapFree: %d kB\n' \
  $kb $kb $kb $kb $kb >"$FAKE"
unshare -m sh -c 'mount --bind "$1" /proc/meminfo' _ "$FAKE" 2>/dev/null ||
  skip "no private mount namespace can be made here"
cat >"$E2E_TMP/fonts.conf" <<CONF
<?xml version="1.0"?>
<fontconfig><dir>$LATIN</dir><cachedir>$E2E_TMP/fc-cache</cachedir></fontconfig>
CONF
export FONTCONFIG_FILE="$E2E_TMP/fonts.conf"

start_desktop
install_kelvo "$1"
printf '[SYSTEM]\nXPos=100\nYPos=100\n' >"$KELVO_DIR/kelvo.ini"
unshare -m sh -c 'mount --bind "$1" /proc/meminfo && exec "$2"' _ "$FAKE" "$KELVO" \
  >"$E2E_TMP/kelvo.log" 2>&1 &
KELVO_PID=$!
E2E_PIDS+=($KELVO_PID)
wait_until 20 has_visible_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "no window"; }
win=$(visible_window $KELVO_PID)
sleep 1
import -silent -window "$win" "$E2E_TMP/window.png" || fail "no screenshot"

told=$(notices 'no Japanese font is installed')
[ "$told" -eq 1 ] || { cat "$E2E_TMP/kelvo.log"; fail "the missing font was told $told times"; }
echo "ok: the missing Japanese font is told once on standard error"

# ink_at_left_edge <x> <y>: how many pixels of the two columns right of a label's left edge
# (its first column may carry the bevel's line) differ from the face colour, over the 12-pixel
# height of the label.
ink_at_left_edge() {
  convert "$E2E_TMP/window.png" -crop "2x12+$(($1 + 1))+$2" +repage txt:- |
    tail -n +2 | grep -vc '#C0C0C0'
}
# Free, used and total columns (x 28, 80, 132; widths 50, 50, 66) of the three rows (y 33, 48, 63).
for y in 33 48 63; do
  for x in 28 80 132; do
    n=$(ink_at_left_edge $x $y || true)
    [ "${n:-0}" -eq 0 ] || { cp "$E2E_TMP/window.png" /tmp/kelvo-latin-font-fail.png;
      fail "a figure's ink reaches the left edge of its label at $x,$y (screenshot in /tmp/kelvo-latin-font-fail.png)"; }
  done
done
# And the figures are there at all: ink inside the total column.
ink=$(convert "$E2E_TMP/window.png" -crop 66x12+132+33 +repage -colorspace gray -format '%[fx:standard_deviation]' info:)
awk -v s="$ink" 'BEGIN { exit !(s > 0.05) }' || fail "no figure drawn in the total column ($ink)"
echo "ok: every figure keeps its first digit with only a Latin font"
kill -TERM $KELVO_PID
wait $KELVO_PID || fail "exit code $?"
echo "2 passed, 0 failed"
