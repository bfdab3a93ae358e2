#!/usr/bin/env bash
# A clean paused at full processor load, on a real display: the window says it waits, SIGTERM
# ends the program at once with code 0 and its settings saved, and a window in small mode still
# has the processor measured: the clean goes on once the processor has idle time again. The
# processor figures are a /proc/stat that does not move (every processor fully busy) until the
# test moves its idle time, bound over the real one in a private mount namespace.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
[ "$(id -u)" -eq 0 ] || skip "binding a file over /proc/stat needs root"
FAKE="$E2E_TMP/stat"
cat /proc/stat >"$FAKE"
unshare -m sh -c 'mount --bind "$1" /proc/stat' _ "$FAKE" 2>/dev/null ||
  skip "no private mount namespace can be made here"
AQUA=$(convert xc:cyan -format "%[pixel:p{0,0}]" info:)

start_desktop
install_kelvo "$1"
need_smallest_clean

# start_paused <settings>: the execute option's clean, under the frozen processor figures.
start_paused() {
  put_settings "$1"
  : >"$E2E_TMP/kelvo.log"
  unshare -m sh -c 'mount --bind "$1" /proc/stat && exec "$2" /exec' _ "$FAKE" "$KELVO" \
    >"$E2E_TMP/kelvo.log" 2>&1 &
  KELVO_PID=$!
  E2E_PIDS+=($KELVO_PID)
}

# await_samples <n>: the program has read the processor figures n times from now on. A read sets
# the file's access time only when it is older than the change, so each read is marked apart.
await_samples() {
  local i
  for ((i = 0; i < $1; i++)); do
    touch -a -d @0 "$FAKE"
    wait_until 10 figures_read || { cat "$E2E_TMP/kelvo.log"; fail "the processor figures were not read"; }
  done
}
figures_read() { [[ ! "$(stat -c %x "$FAKE")" < "$(stat -c %z "$FAKE")" ]]; }

# term_and_check <what>: SIGTERM ends the paused clean and the program with code 0 in a few
# seconds, and the settings file was written on the way out.
term_and_check() {
  kill -TERM $KELVO_PID
  await_exit $KELVO_PID "$1: SIGTERM"
  notices '掃除を中断しました（1%）' >/dev/null ||
    { cat "$E2E_TMP/kelvo.log"; fail "$1: no notice of the clean stopped at 1 %"; }
  # Our file has no Hint key: a full save adds it.
  grep -q '^Hint=0' "$KELVO_DIR/kelvo.ini" && grep -q '^StopCpuUsePer=1' "$KELVO_DIR/kelvo.ini" ||
    fail "$1: settings not written: $(cat "$KELVO_DIR/kelvo.ini")"
  echo "ok: $1: SIGTERM ended the paused clean, code 0, settings saved"
}

# In the window: the progress text stands at 1 % in the pause's colour.
start_paused '[DEFAULT]\nMemory=5\nStopCpuUsePer=1\nShowCpuUsePer=1\n'
wait_until 20 has_visible_window $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "no window"; }
win=$(visible_window $KELVO_PID)
paused_shown() {
  import -silent -window "$win" "$E2E_TMP/shot.png" 2>/dev/null &&
    [ "$(convert "$E2E_TMP/shot.png" -format '%[pixel:p{190,2}]' info:)" = "$AQUA" ]
}
wait_until 10 paused_shown || fail "the paused clean does not show that it waits"
await_samples 2 # the first one's effect is over by the second's: still paused
paused_shown || fail "the clean went on although the processor stayed fully busy"
cp "$E2E_TMP/shot.png" "$E2E_TMP/paused.png"
echo "ok: a paused clean shows it in the window"
term_and_check "window"

# In small mode (only the tray icon, here none): the same, without any window.
SMALL='[SYSTEM]\nSmall=1\n[DEFAULT]\nMemory=5\nStopCpuUsePer=1\n'
start_paused "$SMALL"
# In small mode the figures are read only while a clean waits for them.
await_samples 3
! ended $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "small mode: ended before SIGTERM"; }
term_and_check "small mode"

# Still in small mode, the processor goes half idle: the clean goes on to its end, after which
# the execute option closes the program by itself.
start_paused "$SMALL"
await_samples 3
! ended $KELVO_PID || { cat "$E2E_TMP/kelvo.log"; fail "small mode: the clean did not wait"; }
cp "$FAKE" "$E2E_TMP/stat.frozen"
# Every 0.2 s half of each processor's time idle: ten clock ticks of 10 ms.
(for ((idle = 0; ; idle += $(nproc) * 10)); do
  awk -v add=$idle '$1 == "cpu" { $5 += add } { print }' "$E2E_TMP/stat.frozen" >"$FAKE"
  sleep 0.2
done) &
E2E_PIDS+=($!)
await_exit $KELVO_PID "small mode: the clean with the processor half idle" 60
notices 掃除しました >/dev/null || { cat "$E2E_TMP/kelvo.log"; fail "small mode: no result"; }
! notices 掃除を中断しました >/dev/null || fail "small mode: the clean was stopped"
echo "ok: small mode: the clean went on once the processor had idle time"
echo "3 passed, 0 failed"
