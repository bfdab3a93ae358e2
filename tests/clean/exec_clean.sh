#!/usr/bin/env bash
# `kelvo -EXEC` on a real display: one clean at start with its progress in the top row and the
# readout moving, then the program closes by itself with code 0 and leaves its settings file.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
start_desktop
install_kelvo "$1"

# The file's 1 is taken as the track bar's lowest, 5 % of physical memory, and saved so.
need_smallest_clean
put_settings '[DEFAULT]\nMemory=1\n'

"$KELVO" -EXEC >"$E2E_TMP/kelvo.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_until 20 has_visible_window $pid || { cat "$E2E_TMP/kelvo.log"; fail "no window"; }
win=$(visible_window $pid)
watch_run $pid "$win"
echo "ok: closed by itself with code 0"

progress=$(distinct_progress_texts)
[ "$progress" -ge 5 ] || fail "the progress text took only $progress different looks"
readouts=$(distinct_readouts)
[ "$readouts" -ge 2 ] || fail "the readout did not move during the clean"
yellow_top_row || fail "no yellow progress text in the top row"
echo "ok: progress text advanced ($progress looks) and the readout moved ($readouts looks)"

[ "$PEAK_KB" -ge $((size_kb * 9 / 10)) ] || fail "peak resident ${PEAK_KB} kB, clean ${size_kb} kB"
# Far more would mean the program read some other settings file than the one prepared.
[ "$PEAK_KB" -le $((size_kb + 300 * 1024)) ] || fail "peak resident ${PEAK_KB} kB for a ${size_kb} kB clean"
echo "ok: the clean held ${PEAK_KB} kB at its peak"

saved=$(saved_settings)
echo "$saved" | grep -q '^Small=0' && echo "$saved" | grep -q '^Memory=5' ||
  fail "settings not written: $saved"
echo "ok: settings written on the way out"
echo "1 passed, 0 failed"
