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

skip() {
  echo "SKIP: $*"
  exit 77
}

meminfo_kb() {
  awk -v key="$1:" '$1 == key { print $2 }' /proc/meminfo
}

# watch_run <pid> <window>: screenshots of the window and the process's peak resident size
# (PEAK_KB) until it ends; its exit code goes to $E2E_TMP/rc.
watch_run() {
  local pid=$1 win=$2 n=0 hwm
  PEAK_KB=0
  mkdir -p "$E2E_TMP/shots"
  while [ -d /proc/$pid ] && ! grep -q '^State:.*Z' /proc/$pid/status 2>/dev/null; do
    hwm=$(awk '/^VmHWM:/ { print $2 }' /proc/$pid/status 2>/dev/null)
    [ -n "$hwm" ] && [ "$hwm" -gt "$PEAK_KB" ] && PEAK_KB=$hwm
    # The window vanishes when the program ends; a capture must not wait for it.
    timeout 3 import -silent -window "$win" "$E2E_TMP/shots/$(printf %04d $n).png" 2>/dev/null &&
      n=$((n + 1))
  done
  wait "$pid"
  echo $? >"$E2E_TMP/rc"
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
