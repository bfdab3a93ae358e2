#!/usr/bin/env bash
# A clean inside a memory-limited control group never wakes the OOM killer: a request the group
# cannot hold is refused with the out-of-memory message, and one it can hold runs to its end.
# Both runs end with code 0 and the group's OOM-kill count stays where it was.
source "$(dirname "$0")/../e2e/desktop.sh"
source "$(dirname "$0")/clean_helpers.sh"
[ "$(id -u)" -eq 0 ] || skip "making a control group needs root"

GROUPS_MADE=()
trap 'cleanup; for g in "${GROUPS_MADE[@]}"; do rmdir "$g" 2>/dev/null; done' EXIT

# make_group <limit bytes>: a new group below our own, in cgroup v1's memory hierarchy or in
# cgroup v2; sets GROUP and OOM_FILE.
make_group() {
  local mount own parent
  mount=$(awk '$0 ~ / - cgroup / && $NF ~ /(^|,)memory(,|$)/ { print $5; exit }' /proc/self/mountinfo)
  own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ { print $3; exit }' /proc/self/cgroup)
  if [ -n "$mount" ] && [ -n "$own" ]; then
    GROUP="$mount${own%/}/kelvo-clean-$$-$2"
    mkdir "$GROUP" 2>/dev/null || return 1
    GROUPS_MADE+=("$GROUP")
    echo "$1" >"$GROUP/memory.limit_in_bytes" || return 1
    OOM_FILE="$GROUP/memory.oom_control"
    return 0
  fi
  mount=$(awk '$0 ~ / - cgroup2 / { print $5; exit }' /proc/self/mountinfo)
  own=$(awk -F: '$1 == "0" { print $3; exit }' /proc/self/cgroup)
  [ -n "$mount" ] || return 1
  parent="$mount${own%/}"
  grep -qw memory "$parent/cgroup.controllers" 2>/dev/null || return 1
  grep -qw memory "$parent/cgroup.subtree_control" || echo +memory >"$parent/cgroup.subtree_control" 2>/dev/null || return 1
  GROUP="$parent/kelvo-clean-$$-$2"
  mkdir "$GROUP" 2>/dev/null || return 1
  GROUPS_MADE+=("$GROUP")
  echo "$1" >"$GROUP/memory.max" || return 1
  OOM_FILE="$GROUP/memory.events"
}

oom_kills() {
  awk '$1 == "oom_kill" { print $2 }' "$OOM_FILE"
}

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
wait_until 30 sh -c "[ ! -d /proc/$PID ] || grep -q '^State:.*Z' /proc/$PID/status" || fail "did not close"
wait $PID
rc=$?
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/kelvo.log"; fail "exit code $rc"; }
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
echo "ok: Memory=50 in 256 MiB: out-of-memory message, code 0, no OOM kill"

# 1 % of the machine in a group with room for it: the clean runs through.
size=$(($(meminfo_kb MemTotal) / 100 * 1024))
make_group $((size + 256 * MiB)) roomy || fail "second group"
before=$(oom_kills)
run_in_group 1
wait_until 20 has_visible_window $PID || { cat "$E2E_TMP/kelvo.log"; fail "no window"; }
watch_run $PID "$(visible_window $PID)"
rc=$(cat "$E2E_TMP/rc")
[ "$rc" -eq 0 ] || { cat "$E2E_TMP/kelvo.log"; fail "exit code $rc"; }
[ "$(oom_kills)" = "$before" ] || fail "the OOM killer struck: $(cat "$OOM_FILE")"
[ "$(peak_usage)" -ge $((size * 9 / 10)) ] || fail "the group peaked at $(peak_usage) bytes only"
echo "ok: Memory=1 ($((size / MiB)) MiB) in $(((size + 256 * MiB) / MiB)) MiB: cleaned, code 0, no OOM kill"
echo "1 passed, 0 failed"
