#!/usr/bin/env bash
# Effectiveness with real swap: a process's idle pages in a memory-limited control group are
# pushed out to swap by `kelvo --clean` in the same group, and the swap figures the clean reports
# agree with /proc/meminfo's. Needs root (swapon, control groups); skips with the reason elsewhere.
# $1: the program, $2: the idle-pages helper.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
[ "$(id -u)" -eq 0 ] || skip "swapon and control groups need root"
MiB=1048576
SWAP="$E2E_TMP/swapfile"
trap 'remove_groups; swapoff "$SWAP" 2>/dev/null; cleanup' EXIT

swap_used_mb() {
  awk '$1 == "SwapTotal:" { t = $2 } $1 == "SwapFree:" { f = $2 } END { printf "%.1f\n", (t - f) / 1024 }' /proc/meminfo
}

[ "$(awk '$1 == "SwapTotal:" { print $2 }' /proc/meminfo)" -eq 0 ] ||
  skip "the machine already has swap; its use by others would blur the figures"
dd if=/dev/zero of="$SWAP" bs=1M count=512 status=none || skip "no room for a 512 MiB swap file"
chmod 600 "$SWAP"
mkswap "$SWAP" >/dev/null 2>&1 || skip "mkswap failed"
swapon "$SWAP" 2>"$E2E_TMP/swapon.err" || skip "swapon refused: $(cat "$E2E_TMP/swapon.err")"
make_group $((640 * MiB)) swap || skip "no memory control group can be made here"
install_kelvo "$1"

# 400 MiB of idle pages in a 640 MiB group.
sh -c 'echo $$ >"$1/cgroup.procs" && exec "$2" 400' _ "$GROUP" "$2" >"$E2E_TMP/idle.out" &
IDLE=$!
E2E_PIDS+=($IDLE)
wait_until 60 grep -q ready "$E2E_TMP/idle.out" || fail "the idle process did not start"
vmswap() { awk '$1 == "VmSwap:" { print $2 }' /proc/$IDLE/status; }
[ "$(vmswap)" -eq 0 ] || fail "idle pages in swap before the clean"

# The clean sizes itself to what the group can hold with half of the swap: past the group's
# limit, the kernel moves the idle pages out.
put_settings "[DEFAULT]\nMemory=95\nAutoMemSize=1\nAutoExeSize=64\n"
before=$(oom_kills)
used_before=$(swap_used_mb)
in_group env -u DISPLAY "$KELVO" --clean >"$E2E_TMP/clean.log" 2>&1
rc=$?
used_after=$(swap_used_mb)
cat "$E2E_TMP/clean.log" | tail -n 6
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
swapped_kb=$(vmswap)
[ "$swapped_kb" -ge $((100 * 1024)) ] || fail "only $swapped_kb kB of the idle pages went to swap"
echo "ok: $((swapped_kb / 1024)) MiB of the idle process's pages pushed out to swap"

# What the clean said against what /proc said just before and just after it.
rep_before=$(reported_mb スワップ使用 "$E2E_TMP/clean.log" before)
rep_after=$(reported_mb スワップ使用 "$E2E_TMP/clean.log" after)
[ -n "$rep_before" ] && [ -n "$rep_after" ] || fail "no swap figures in the result"
awk -v a="$rep_before" -v b="$used_before" 'BEGIN { exit !(a - b < 8 && b - a < 8) }' ||
  fail "swap in use before: reported $rep_before MB, /proc $used_before MB"
awk -v a="$rep_after" -v b="$used_after" 'BEGIN { exit !(a - b < 8 && b - a < 8) }' ||
  fail "swap in use after: reported $rep_after MB, /proc $used_after MB"
awk -v a="$rep_after" -v s="$swapped_kb" 'BEGIN { exit !(a * 1024 >= s * 0.9) }' ||
  fail "reported $rep_after MB of swap in use, the idle process alone has $swapped_kb kB there"
echo "ok: reported swap in use $rep_before -> $rep_after MB; /proc $used_before -> $used_after MB"
echo "1 passed, 0 failed"
