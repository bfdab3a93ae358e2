#!/usr/bin/env bash
# With an address-space limit (ulimit -v) too small for the clean, the mapping fails: the program
# shows the out-of-memory message, allocates nothing, and ends normally with code 0.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
[ "${2:-}" != "ON" ] || skip "the sanitizer build reserves more address space than any limit allows"

limit_kb=$((2 * 1024 * 1024))
# The smallest whole percentage above 3 GiB: past the limit, yet within what the machine can
# spare, so that the refusal comes from the mapping and not from the safety rule.
total_kb=$(meminfo_kb MemTotal)
percent=$(((3 * 1024 * 1024 * 100 + total_kb - 1) / total_kb))
size_kb=$((total_kb / 100 * percent))
reserve_kb=$((total_kb * 15 / 100))
[ $reserve_kb -ge $((256 * 1024)) ] || reserve_kb=$((256 * 1024))
[ "$percent" -le 95 ] && [ $((size_kb + reserve_kb)) -le "$(meminfo_kb MemAvailable)" ] ||
  skip "this machine cannot spare a clean larger than 3 GiB"

start_desktop
install_kelvo "$1"
put_settings "[DEFAULT]\nMemory=$percent\n"
(ulimit -v $limit_kb && exec "$KELVO" /exec) >"$E2E_TMP/kelvo.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
answer_message $pid
await_exit $pid "the refused clean" 30
echo "ok: a ${size_kb} kB clean under a ${limit_kb} kB address-space limit: message, code 0"
echo "1 passed, 0 failed"
