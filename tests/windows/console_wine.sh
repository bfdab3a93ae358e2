#!/usr/bin/env bash
# The command line at a prompt under Wine: kelvo.com waits for the options and passes on their
# output and exit code in order, a usage error's code apart from a clean's; /? prints the help; a
# start of the window returns at once, and Ctrl+C in the console it came from leaves the window
# alone, while /exec returns once the window has cleaned and closed; a console of code page 437
# shows the Japanese text and a clean's bar without escape sequences; a file or a pipe gets
# Shift-JIS, from a console of code page 932 and, without a console, in a Japanese locale; Ctrl+C
# stops a clean with code 4; --autostart writes, reads and deletes the Run value.
# Usage: console_wine.sh <build folder> (with kelvo.exe, kelvo.com and console_probe.exe);
# WINEPREFIX names the prefix. Wine's consoles are windows: this runs on a display of its own.
source "$(dirname "$0")/../e2e/desktop.sh"
build=$(cd "$1" && pwd)
export WINEDEBUG=-all
start_desktop
source "$(dirname "$0")/../../scripts/wine-services.sh"
restart_wine_services

PROG="$E2E_TMP/prog"
mkdir -p "$PROG"
cp "$build/kelvo.exe" "$build/kelvo.com" "$build/console_probe.exe" "$PROG/"
printf '[SYSTEM]\r\nXPos=10\r\nYPos=10\r\n[DEFAULT]\r\nMemory=5\r\n' >"$PROG/kelvo.ini"
winprog=$(winepath -w "$PROG" 2>/dev/null)
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'

# cmd.exe run from here has no console, so the program writes into the pipe in the ANSI code page,
# as the system's own tools do: 932 in a Japanese locale (in_japanese).
# at_prompt <command>: what cmd.exe prints for it, read as code page 932, without the CRs; standard
# error into a file.
at_prompt() {
  (cd "$PROG" && in_japanese wine cmd /c "$1" 2>"$E2E_TMP/stderr.932" </dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r')
  iconv -f CP932 -t UTF-8 "$E2E_TMP/stderr.932" >"$E2E_TMP/stderr"
}
# in_console <name> <command line> [probe options]: the screen of a console of code page 437 that
# ran it, into $E2E_TMP/<name>.txt; its first line is "exit=<code>".
in_console() {
  local name=$1 line=$2
  shift 2
  (cd "$PROG" && wine console_probe.exe "$winprog\\$name.txt" "$line" "$@" </dev/null >/dev/null 2>&1)
  mv "$PROG/$name.txt" "$E2E_TMP/$name.txt" 2>/dev/null || fail "the console probe wrote nothing for $line"
}
kelvo_ended() { ! wine_kelvo_windows --onlyvisible | grep -q .; }

# The output, then the exit code: the prompt waits for kelvo.com.
out=$(at_prompt "kelvo --status & echo rc=%ERRORLEVEL%")
[ "$(echo "$out" | tail -n1)" = "rc=0" ] || fail "--status at the prompt: $out"
echo "$out" | head -n -1 | grep -q '^物理' && echo "$out" | head -n -1 | grep -q '^使用率' ||
  fail "--status printed no figures before its exit code: $out"
# Usage errors have a code of their own.
for typo in "--typo:^Usage: kelvo" "--autostart bogus:takes on or off"; do
  out=$(at_prompt "kelvo ${typo%%:*} & echo rc=%ERRORLEVEL%")
  [ "$out" = "rc=64" ] || fail "${typo%%:*} at the prompt: $out"
  grep -q "${typo#*:}" "$E2E_TMP/stderr" || fail "${typo%%:*}: standard error has $(cat "$E2E_TMP/stderr")"
done
for help in "--help" "/?"; do
  out=$(at_prompt "kelvo $help & echo rc=%ERRORLEVEL%")
  echo "$out" | grep -q 'Ctrl+C' && echo "$out" | grep -q 'kelvo.com' && ! echo "$out" | grep -q 'SIG' ||
    fail "kelvo $help does not tell of Windows: $out"
  echo "$out" | grep -q '^  64  usage error' && [ "$(echo "$out" | tail -n1)" = "rc=0" ] ||
    fail "kelvo $help: no table of exit codes, or not 0: $out"
done
echo "ok: kelvo.com passes on the output, then the exit code; /? is the help"

# A start of the window returns at once (Wine's cmd.exe waits for a windowed program that it
# starts itself, so only kelvo.com can return), and the window runs on.
out=$(cd "$PROG" && timeout 60 wine cmd /c "kelvo & echo rc=%ERRORLEVEL%" </dev/null 2>/dev/null | tr -d '\r')
[ "$out" = "rc=0" ] || fail "a window start at the prompt did not return at once: $out"
wait_until 60 wine_kelvo_windows --onlyvisible || fail "no window after a start at the prompt"
wine taskkill /IM kelvo.exe >/dev/null 2>&1
wait_until 30 kelvo_ended || fail "the window did not close"
echo "ok: a window start at the prompt returns at once"

# /exec: the prompt waits until the window has cleaned and closed, which saved the settings.
printf '[SYSTEM]\r\nXPos=10\r\nYPos=10\r\n[DEFAULT]\r\nMemory=5\r\n' >"$PROG/kelvo.ini"
out=$(cd "$PROG" && timeout 120 wine cmd /c "kelvo /exec & echo rc=%ERRORLEVEL%" </dev/null 2>/dev/null | tr -d '\r')
grep -q '^AutoMemClear=' "$PROG/kelvo.ini" || fail "kelvo /exec returned before the window closed: $out"
[ "$out" = "rc=0" ] || fail "kelvo /exec at the prompt: $out"
kelvo_ended || fail "a window is left after kelvo /exec returned"
echo "ok: kelvo /exec at the prompt returns once the clean's window has closed"

# Started from a console, the window keeps clear of it: Ctrl+C there does not close it.
in_console window "kelvo.exe" --ctrl-c-after 10000 --wait 12000 &
probe=$!
E2E_PIDS+=($probe)
wait_until 10 wine_kelvo_windows --onlyvisible || fail "no window from the console"
wait "$probe"
wine_kelvo_windows --onlyvisible | grep -q . || fail "Ctrl+C in the console closed the window"
wine taskkill /IM kelvo.exe >/dev/null 2>&1
wait_until 30 kelvo_ended || fail "the window did not close"
echo "ok: Ctrl+C in the console a window was started from leaves it running"

# Japanese in a console of code page 437: the characters, not their UTF-8 bytes.
in_console status "cmd /c kelvo --status"
head -n1 "$E2E_TMP/status.txt" | grep -qx 'exit=0' || fail "--status in a console: $(cat "$E2E_TMP/status.txt")"
grep -q '^物理' "$E2E_TMP/status.txt" && grep -q '^頁' "$E2E_TMP/status.txt" &&
  grep -q '^使用率' "$E2E_TMP/status.txt" || fail "the console shows: $(cat "$E2E_TMP/status.txt")"
echo "ok: a console of code page 437 shows the Japanese labels"

# Into a file and through a pipe, in a console of code page 932: Shift-JIS, as the system's own
# tools write there, with CR LF.
in_console sjis "cmd /c kelvo --status > status-file.txt & kelvo --status | console_probe.exe --copy-to status-pipe.txt" \
  --code-page 932
for file in status-file status-pipe; do
  [ -s "$PROG/$file.txt" ] || fail "$file: nothing written: $(cat "$E2E_TMP/sjis.txt")"
  iconv -f CP932 -t UTF-8 "$PROG/$file.txt" | tr -d '\r' | grep -q '^使用率' ||
    fail "$file is not in code page 932: $(od -c "$PROG/$file.txt" | head -n4)"
  grep -q $'\r$' "$PROG/$file.txt" || fail "$file: lines without CR LF"
done
echo "ok: a file and a pipe get the console's code page"

# A whole clean: its bar ends at 100 % without a trace of an escape sequence.
in_console clean "kelvo.com --clean"
head -n1 "$E2E_TMP/clean.txt" | grep -qx 'exit=0' || fail "--clean in a console: $(cat "$E2E_TMP/clean.txt")"
grep -q "^掃除中 \[#\{40\}\] 100%\$" "$E2E_TMP/clean.txt" && grep -q '^掃除しました' "$E2E_TMP/clean.txt" ||
  fail "the clean's bar in the console: $(cat "$E2E_TMP/clean.txt")"
! grep -qE $'\x1b|\\[K|←' "$E2E_TMP/clean.txt" || fail "escape sequences shown: $(cat "$E2E_TMP/clean.txt")"
echo "ok: the clean's bar in a console shows no escape sequences"

# Ctrl+C stops a clean, and kelvo.com passes on its code.
in_console stopped "kelvo.com --clean" --ctrl-c-on "掃除中 ["
head -n1 "$E2E_TMP/stopped.txt" | grep -qx 'exit=4' || fail "Ctrl+C during --clean: $(cat "$E2E_TMP/stopped.txt")"
grep -q '^掃除を中断しました' "$E2E_TMP/stopped.txt" || fail "no word of the stop: $(cat "$E2E_TMP/stopped.txt")"
echo "ok: Ctrl+C stops a clean with code 4"

# Start at log-in: the value Kelvo under the Run key holds kelvo.exe's quoted path, also when
# kelvo.com was asked.
wine reg delete "$run_key" /v Kelvo /f >/dev/null 2>&1
out=$(at_prompt "kelvo --autostart on & echo rc=%ERRORLEVEL%")
starts="starts \"$winprog\\kelvo.exe\""
[ "$out" = "on: Kelvo in $run_key $starts"$'\n'"rc=0" ] || fail "--autostart on: $out"
wine reg query "$run_key" /v Kelvo 2>/dev/null | tr -d '\r' | grep -qF "REG_SZ    \"$winprog\\kelvo.exe\"" ||
  fail "the Run value: $(wine reg query "$run_key" /v Kelvo 2>&1)"
[ "$(at_prompt "kelvo --autostart")" = "on: Kelvo in $run_key $starts" ] || fail "--autostart: $(at_prompt "kelvo --autostart")"
# Switched off in Task Manager: off, until --autostart on switches it on again.
wine reg add "$approved_key" /v Kelvo /t REG_BINARY /d 030000000000000000000000 /f >/dev/null 2>&1
at_prompt "kelvo --autostart" | grep -q '^off: .* switched off' || fail "a switched-off entry: $(at_prompt "kelvo --autostart")"
at_prompt "kelvo --autostart on" >/dev/null
! wine reg query "$approved_key" /v Kelvo >/dev/null 2>&1 || fail "--autostart on left the entry switched off"
out=$(at_prompt "kelvo --autostart off & echo rc=%ERRORLEVEL%")
[ "$out" = "off: Kelvo in $run_key removed"$'\n'"rc=0" ] || fail "--autostart off: $out"
! wine reg query "$run_key" /v Kelvo >/dev/null 2>&1 || fail "--autostart off left the Run value"
echo "ok: --autostart writes, reads and deletes the Run value"
echo "8 passed, 0 failed"
