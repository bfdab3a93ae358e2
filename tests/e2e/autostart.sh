#!/usr/bin/env bash
# `kelvo --autostart` from a shell without a display: the entry it writes validates and starts
# this program, the state is told, and every failure is said and returns non-zero.
source "$(dirname "$0")/desktop.sh"
install_kelvo "$1"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$E2E_TMP/config"
entry="$XDG_CONFIG_HOME/autostart/kelvo.desktop"

out=$("$KELVO" --autostart) || fail "the state without an entry: exit $?"
[ "$out" = "off: $entry does not exist" ] || fail "state: $out"
echo "ok: off by default"

out=$("$KELVO" --autostart on) || fail "--autostart on: exit $?"
[ "$out" = "on: $entry starts $KELVO" ] || fail "on: $out"
desktop-file-validate "$entry" || fail "the entry does not validate"
[ "$(sed -n 's/^Exec=//p' "$entry")" = "$KELVO" ] || fail "the entry starts $(sed -n 's/^Exec=//p' "$entry")"
out=$("$KELVO" --autostart) && [ "$out" = "on: $entry starts $KELVO" ] || fail "state: $out"
"$KELVO" --autostart on >/dev/null || fail "a second on failed"
[ "$(ls "$XDG_CONFIG_HOME/autostart")" = kelvo.desktop ] || fail "left behind: $(ls "$XDG_CONFIG_HOME/autostart")"
echo "ok: on writes a valid entry that starts this program; the state says so"

# A desktop that switches the entry off in place.
sed -i 's/^X-GNOME-Autostart-enabled=true/X-GNOME-Autostart-enabled=false/' "$entry"
out=$("$KELVO" --autostart) && [[ "$out" == "off: $entry is switched off"* ]] || fail "state: $out"
echo "ok: an entry switched off by the desktop reads as off"

out=$("$KELVO" --autostart off) && [ "$out" = "off: $entry removed" ] || fail "off: $out"
[ ! -e "$entry" ] || fail "the entry is still there"
out=$("$KELVO" --autostart off) && [ "$out" = "off: $entry does not exist" ] || fail "off again: $out"
echo "ok: off removes the entry, and says so when there is none"

# A program in a folder whose name needs quoting.
odd="$E2E_TMP/odd \$dir"
mkdir -p "$odd"
cp "$KELVO" "$odd/kelvo"
"$odd/kelvo" --autostart on >/dev/null || fail "on from $odd"
desktop-file-validate "$entry" || fail "the quoted entry does not validate"
grep -qxF "Exec=\"$E2E_TMP/odd \\\\\$dir/kelvo\"" "$entry" || fail "quoted as $(grep ^Exec= "$entry")"
echo "ok: a path with a blank and a dollar sign is quoted"

"$KELVO" --autostart maybe 2>"$E2E_TMP/err" && fail "a bad value succeeded"
[ $? = 64 ] || fail "a bad value: exit $?"
grep -q "takes on or off" "$E2E_TMP/err" || fail "a bad value: $(cat "$E2E_TMP/err")"
rm -rf "$XDG_CONFIG_HOME/autostart"
echo >"$XDG_CONFIG_HOME/autostart"
"$KELVO" --autostart on >/dev/null 2>"$E2E_TMP/err" && fail "on succeeded where no folder can be made"
grep -q "cannot write $entry" "$E2E_TMP/err" || fail "the failure: $(cat "$E2E_TMP/err")"
echo "ok: a bad value and an unwritable place are said, with a non-zero exit"

# A pipe in place of the entry: said at once, never waited on (timeout's 124 would mean a hang).
rm -f "$XDG_CONFIG_HOME/autostart"
mkdir -p "$XDG_CONFIG_HOME/autostart"
mkfifo "$entry"
timeout 30 "$KELVO" --autostart >/dev/null 2>"$E2E_TMP/err"
rc=$?
[ $rc = 1 ] || fail "a pipe as the entry: exit $rc"
grep -q "cannot read $entry" "$E2E_TMP/err" || fail "the pipe: $(cat "$E2E_TMP/err")"
[ -p "$entry" ] || fail "the pipe was replaced"
echo "ok: a pipe in place of the entry is said, not waited on"
echo "1 passed, 0 failed"
