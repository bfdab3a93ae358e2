#!/usr/bin/env bash
# `kelvo --clean` as scripts and timers use it: no display, beside a running instance (its lock
# held), plain progress lines into a file and a bar on a terminal, the result in figures, exit
# code 0; SIGINT and SIGTERM stop it with code 4 and the memory given back.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
install_kelvo "$1"
# The smallest clean: 5 %, the track bar's lowest (a smaller stored share is taken as 5).
need_smallest_clean
put_settings '[DEFAULT]\nMemory=5\n'

# Another instance holds the lock: the clean does not care.
# The holder execs into the sleep itself, so that ending it by its id drops the lock.
(exec 9>"$XDG_RUNTIME_DIR/KELVO_EXE.lock" && flock 9 && exec sleep 60) &
E2E_PIDS+=($!)
wait_until 5 sh -c "! flock -n '$XDG_RUNTIME_DIR/KELVO_EXE.lock' true" || fail "could not hold the lock"

"$KELVO" --clean >"$E2E_TMP/plain.log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/plain.log"; fail "exit code $rc"; }
for p in 10 20 30 40 50 60 70 80 90 100; do
  grep -qx "掃除中 $p%" "$E2E_TMP/plain.log" || { cat "$E2E_TMP/plain.log"; fail "no line for $p %"; }
done
! grep -q $'\r' "$E2E_TMP/plain.log" || fail "a terminal's bar in a file"
grep -qx '掃除しました' "$E2E_TMP/plain.log" || fail "no result"
grep -Eq '^利用可能 [0-9]+\.[0-9] MB → [0-9]+\.[0-9] MB' "$E2E_TMP/plain.log" || fail "no figures"
grep -Eq '^かかった時間 [0-9]+\.[0-9] 秒$' "$E2E_TMP/plain.log" || fail "no time taken"
echo "ok: into a file, with the lock held: ten progress lines, the result, code 0"

# A German locale keeps the full stop.
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$KELVO" --clean >"$E2E_TMP/de.log" 2>&1 || fail "German locale"
! grep -Eq '[0-9],[0-9] MB' "$E2E_TMP/de.log" || fail "a decimal comma: $(grep MB "$E2E_TMP/de.log")"

# On a terminal: one bar redrawn in place.
script -qec "'$KELVO' --clean; echo \"rc=\$?\"" /dev/null >"$E2E_TMP/tty.log" 2>&1
grep -q 'rc=0' "$E2E_TMP/tty.log" || { cat "$E2E_TMP/tty.log"; fail "on a terminal"; }
[ "$(grep -o $'\r掃除中 \\[' "$E2E_TMP/tty.log" | wc -l)" -ge 50 ] || fail "no bar redrawn in place"
grep -q '########################################\] 100%' "$E2E_TMP/tty.log" || fail "the bar never filled"
echo "ok: on a terminal: a bar redrawn in place, code 0"

# Stopped by a signal halfway: code 4, the result says so, and the memory was held until then.
put_settings '[DEFAULT]\nMemory=5\n'
for signal in INT TERM; do
  # A log of its own: the last round's lines must not be taken for this one's before the shell
  # has emptied the file.
  log="$E2E_TMP/stop-$signal.log"
  "$KELVO" --clean >"$log" 2>&1 &
  pid=$!
  E2E_PIDS+=($pid)
  wait_until 20 grep -qx '掃除中 30%' "$log" || fail "the clean did not get going"
  rss_kb=$(awk '$1 == "VmRSS:" { print $2 }' /proc/$pid/status)
  kill -$signal $pid
  wait $pid
  rc=$?
  [ "$rc" -eq 4 ] || { cat "$log"; fail "SIG$signal: exit code $rc"; }
  grep -Eqx '掃除を中断しました（[0-9]+%）' "$log" || fail "SIG$signal: no word of the stop"
  ! grep -qx '掃除中 100%' "$log" || fail "SIG$signal: the clean ran to its end"
  [ "$rss_kb" -ge $((size_kb / 5)) ] || fail "only $rss_kb kB held at 30 %"
  echo "ok: SIG$signal at 30 % ($((rss_kb / 1024)) MiB held): stopped, code 4"
done
echo "1 passed, 0 failed"
