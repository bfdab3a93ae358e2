#!/usr/bin/env bash
# The Windows program under Wine at the end of the session: the system asks every window
# (WM_QUERYENDSESSION, WM_ENDSESSION) and may end the process as soon as they have answered.
# Idle, in small mode, with the settings dialog open and during a clean paused at full processor
# load, the settings must be saved by then. Also: a rsrc32.dll planted beside kelvo.exe is never
# loaded. Usage: session_end_wine.sh <kelvo.exe>; WINEPREFIX names a prefix whose services run.
[ -n "${KELVO_PRIVATE_BUS:-}" ] || exec env KELVO_PRIVATE_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/wine_desktop.sh"

# A stand-in for the Windows 95 family's resources library: loading it leaves a file in C:\, and
# its function would put a resources column of 42 % into the window.
drive_c="$WINEPREFIX/drive_c"
cat >"$E2E_TMP/rsrc32.c" <<'C'
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID r) {
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE f = CreateFileA("C:\\planted-dll-ran.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
    return TRUE;
}
__declspec(dllexport) WORD WINAPI resources(int kind) __asm__("_MyGetFreeSystemResources32@4");
WORD WINAPI resources(int kind) { return 42; }
C
x86_64-w64-mingw32-gcc -shared -o "$PROG/rsrc32.dll" "$E2E_TMP/rsrc32.c" || fail "no stand-in DLL"
rm -f "$drive_c/planted-dll-ran.txt"

# No Hint key: only a full save writes it.
FAKE="$E2E_TMP/stat"
cat /proc/stat >"$FAKE"
frozen=0
[ "$(id -u)" -eq 0 ] && unshare -m sh -c 'mount --bind "$1" /proc/stat' _ "$FAKE" 2>/dev/null && frozen=1

for state in idle small dialog paused; do
  [ $state = paused ] && [ $frozen = 0 ] && { echo "skipped: $state (needs root)"; continue; }
  small=0
  [ $state = small ] && small=1
  printf '[SYSTEM]\r\nXPos=300\r\nYPos=200\r\nSmall=%s\r\n[DEFAULT]\r\nMemory=5\r\nStopCpuUsePer=1\r\n' \
    $small >"$ini"
  if [ $state = paused ]; then
    # The processor figures say every processor is fully busy: the execute option's clean waits.
    (cd "$PROG" && exec unshare -m sh -c 'mount --bind "$1" /proc/stat && exec wine kelvo.exe /exec' _ "$FAKE") \
      >>"$E2E_TMP/kelvo.log" 2>&1 &
    KELVO_PID=$!
    E2E_PIDS+=($KELVO_PID)
  else
    start_exe
  fi
  if [ $state = small ]; then
    wait_until 60 tray_icon_of_exe || fail "$state: no tray icon"
  else
    wait_until 60 main_window_shown || { cat "$E2E_TMP/kelvo.log"; fail "$state: no window"; }
    MAIN=$(main_window_shown)
  fi
  [ $state = dialog ] && { click_at 18 8; wait_until 20 window_of_size "$(px 523)" "$(px 276)" viewable ||
    fail "no settings dialog"; }
  sleep 1
  # The session ends; then the system ends whatever still runs.
  wine wineboot --end-session >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  { wait $KELVO_PID; } 2>/dev/null
  grep -q $'^Hint=0\r$' "$ini" || fail "$state: the settings were not saved: $(cat -A "$ini")"
  echo "ok: $state: the settings are saved when the session ends"
  restart_wine_services
done

[ ! -e "$drive_c/planted-dll-ran.txt" ] || fail "the rsrc32.dll beside kelvo.exe was loaded"
echo "ok: a rsrc32.dll beside kelvo.exe is never loaded"
echo "1 passed, 0 failed"
