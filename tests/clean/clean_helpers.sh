# Helpers of the clean's end-to-end tests; source after tests/e2e/desktop.sh.

YELLOW=$(convert xc:yellow -format "%[pixel:p{0,0}]" info:)

# The program keeps its settings beside itself or, installed in a "bin" folder, per user: the
# tests write both places and read back whichever it used.
export XDG_CONFIG_HOME="$E2E_TMP/config"
mkdir -p "$XDG_CONFIG_HOME/kelvo"

put_settings() {
  printf '%b' "$1" >"$XDG_CONFIG_HOME/kelvo/kelvo.ini"
  printf '%b' "$1" >"$KELVO_DIR/kelvo.ini"
}

saved_settings() {
  grep -l '^Small=' "$XDG_CONFIG_HOME/kelvo/kelvo.ini" "$KELVO_DIR/kelvo.ini" 2>/dev/null |
    head -n1 | xargs -r cat
}

meminfo_kb() {
  awk -v key="$1:" '$1 == key { print $2 }' /proc/meminfo
}

# The smallest clean, 5 % of physical memory, as size_kb; skips where that is more than 2 GiB.
need_smallest_clean() {
  size_kb=$(($(meminfo_kb MemTotal) / 20))
  [ "$size_kb" -le $((2048 * 1024)) ] || skip "5 % of this machine's memory is more than 2 GiB"
}

# watch_run <pid> <window>: screenshots of the window and the process's peak resident size
# (PEAK_KB) until it ends, which it must with code 0.
watch_run() {
  local pid=$1 win=$2 n=0 hwm
  PEAK_KB=0
  mkdir -p "$E2E_TMP/shots"
  while ! ended $pid; do
    hwm=$(awk '/^VmHWM:/ { print $2 }' /proc/$pid/status 2>/dev/null)
    [ -n "$hwm" ] && [ "$hwm" -gt "$PEAK_KB" ] && PEAK_KB=$hwm
    # The window vanishes when the program ends; a capture must not wait for it.
    timeout 3 import -silent -window "$win" "$E2E_TMP/shots/$(printf %04d $n).png" 2>/dev/null &&
      n=$((n + 1))
  done
  await_exit "$pid" "the clean"
}

# Count the different looks of a region (WxH+X+Y) over the screenshots taken while the progress
# text was in the top row.
distinct_looks() {
  local shot
  for shot in "$E2E_TMP"/shots/*.png; do
    [ "$(convert "$shot" -format '%[pixel:p{190,2}]' info: 2>/dev/null)" = "$YELLOW" ] || continue
    convert "$shot" -crop "$1" +repage rgb:- 2>/dev/null | md5sum
  done | sort -u | wc -l
}

distinct_progress_texts() {
  distinct_looks 169x16+32+0
}

distinct_readouts() {
  distinct_looks 170x48+28+32
}

yellow_top_row() {
  local shot
  for shot in "$E2E_TMP"/shots/*.png; do
    [ "$(convert "$shot" -format '%[pixel:p{190,2}]' info: 2>/dev/null)" = "$YELLOW" ] && return 0
  done
  return 1
}

# The visible window of the process that is not its 200 × 80 main window: a message box.
message_window() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 200x80' || { echo "$id"; return 0; }
  done
  return 1
}

has_message_window() {
  [ -n "$(message_window "$1")" ]
}

# Waits for the program's message box, keeps a picture of it and presses Return on it.
answer_message() {
  local pid=$1 box
  wait_until 30 has_message_window "$pid" || fail "no message box appeared"
  box=$(message_window "$pid")
  timeout 3 import -silent -window "$box" "$E2E_TMP/message.png" 2>/dev/null || true
  [ -z "${KEEP_MESSAGE:-}" ] || cp "$E2E_TMP/message.png" "$KEEP_MESSAGE" 2>/dev/null || true
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key --clearmodifiers Return
}

# make_group <limit bytes> <name>: a new memory control group below our own, in cgroup v1's
# memory hierarchy or in cgroup v2; sets GROUP and OOM_FILE. Call remove_groups on exit.
GROUPS_MADE=()
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

remove_groups() {
  local g pid
  for g in "${GROUPS_MADE[@]}"; do
    for pid in $(cat "$g/cgroup.procs" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
    for _ in 1 2 3 4 5 6 7 8 9 10; do rmdir "$g" 2>/dev/null && break; sleep 0.2; done
  done
}

oom_kills() {
  awk '$1 == "oom_kill" { print $2 }' "$OOM_FILE"
}

# in_group <command…>: runs the command inside GROUP.
in_group() {
  sh -c 'echo $$ >"$1/cgroup.procs" && shift && exec "$@"' _ "$GROUP" "$@"
}

# The page cache the group holds, in bytes.
group_cache() {
  awk '$1 == "total_inactive_file" || $1 == "total_active_file" { t += $2; seen = 1 }
       $1 == "inactive_file" || $1 == "active_file" { l += $2 }
       END { print (seen ? t : l) }' "$GROUP/memory.stat"
}

# The reported figure of a result line ("<label> A MB → B MB（…）"): before or after, in MiB.
reported_mb() {
  grep "^$1 " "$2" | head -n1 | sed -E "s/^$1 ([0-9.]+) MB → ([0-9.]+) MB.*/\\1 \\2/" |
    awk -v which="$3" '{ print (which == "before" ? $1 : $2) }'
}
