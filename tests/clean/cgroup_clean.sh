#!/usr/bin/env bash
# A clean inside a memory-limited control group never wakes the OOM killer: a request the group
# cannot hold is refused with the out-of-memory message, and one it can hold runs to its end.
# Both runs end with code 0 and the group's OOM-kill count stays where it was. A group full of
# page cache counts the cache as room: `kelvo --clean` evicts it instead of refusing.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
[ "$(id -u)" -eq 0 ] || skip "making a control group needs root"

trap 'remove_groups; cleanup' EXIT

peak_usage() {
  cat "$GROUP/memory.max_usage_in_bytes" 2>/dev/null || cat "$GROUP/memory.peak" 2>/dev/null || echo 0
}

# run_in_group <Memory percentage>: runs `kelvo /exec` inside GROUP; sets PID.
run_in_group() {
  put_settings "[DEFAULT]\nMemory=$1\n"
  sh -c 'echo $$ >"$1/cgroup.procs" && exec "$2" /exec' _ "$GROUP" "$KELVO" >"$E2E_TMP/kelvo.log" 2>&1 &
  PID=$!
  E2E_PIDS+=($PID)
}

MiB=1048576
make_group $((256 * MiB)) small || skip "no memory control group can be made here"
start_desktop
install_kelvo "$1"

# Half of this machine's memory inside 256 MiB: refused before anything is allocated.
before=$(oom_kills)
run_in_group 50
answer_message $PID
await_exit $PID "Memory=50" 30
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
echo "ok: Memory=50 in 256 MiB: out-of-memory message, code 0, no OOM kill"

# 5 % of the machine (the smallest clean) in a group with room for it: the clean runs through.
size=$(($(meminfo_kb MemTotal) / 20 * 1024))
[ "$size" -le $((2048 * MiB)) ] || skip "5 % of this machine's memory is more than 2 GiB"
make_group $((size + 256 * MiB)) roomy || fail "second group"
before=$(oom_kills)
run_in_group 5
wait_until 20 has_visible_window $PID || { cat "$E2E_TMP/kelvo.log"; fail "no window"; }
watch_run $PID "$(visible_window $PID)"
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
[ "$(peak_usage)" -ge $((size * 9 / 10)) ] || fail "the group peaked at $(peak_usage) bytes only"
echo "ok: Memory=5 ($((size / MiB)) MiB) in $(((size + 256 * MiB) / MiB)) MiB: cleaned, code 0, no OOM kill"

# 256 MiB holding 200 MiB of page cache: an automatically sized clean fits the room the cache
# leaves once evicted, and the cache goes.
make_group $((256 * MiB)) cache || fail "third group"
in_group head -c $((200 * MiB)) /dev/zero >"$E2E_TMP/cached"
sync
cache_before=$(group_cache)
[ "$cache_before" -ge $((150 * MiB)) ] || skip "the group holds only $cache_before bytes of page cache"
before=$(oom_kills)
put_settings "[DEFAULT]\nMemory=5\nAutoMemSize=1\nAutoExeSize=64\n"
in_group env -u DISPLAY "$KELVO" --clean >"$E2E_TMP/cache.log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/cache.log"; fail "--clean in a group full of page cache: exit code $rc"; }
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
cache_after=$(group_cache)
[ "$cache_after" -le $((cache_before - 64 * MiB)) ] ||
  fail "page cache $cache_before -> $cache_after bytes: nothing evicted"
echo "ok: 200 MiB of cache in 256 MiB: cleaned, cache $((cache_before / MiB)) -> $((cache_after / MiB)) MiB, no OOM kill"
echo "1 passed, 0 failed"
