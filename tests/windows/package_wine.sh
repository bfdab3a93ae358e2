#!/usr/bin/env bash
# The Windows package under Wine: what the zip holds, then the installer's silent install and
# uninstall, twice (without and with start at log-in): the files, the Start-menu shortcut and its
# target, the registry values, a running Kelvo closed (so it saves its settings) before the
# uninstall, and the settings kept unless the uninstaller is told to remove them.
# Usage: package_wine.sh <package folder>; WINEPREFIX names a prefix whose services already run.
source "$(dirname "$0")/../e2e/desktop.sh"
pkg=$(cd "$1" && pwd)
# Wine's menu builder would copy the shortcut into this machine's own desktop menus.
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
passed=0
pass() {
  echo "ok: $*"
  passed=$((passed + 1))
}

# --- The zip -----------------------------------------------------------------------------------
zip="$pkg/kelvo-windows-x86_64.zip"
# file in the zip : a line it must hold
checks=(
  "kelvo.exe:"
  "kelvo.com:"
  "README.txt:%APPDATA%\\\\kelvo\\\\kelvo.ini"
  "README.txt:プログラムの二重起動はできません。"
  "LICENSE.txt:GNU GENERAL PUBLIC LICENSE"
  "licenses/LGPL-3.0-only.txt:GNU LESSER GENERAL PUBLIC LICENSE"
  "licenses/qtbase-copyright:"
  "licenses/mingw-w64.txt:winpthreads"
  "licenses/gcc-mingw-w64.txt:GCC RUNTIME LIBRARY EXCEPTION"
)
for check in "${checks[@]}"; do
  file=kelvo-windows-x86_64/${check%%:*}
  unzip -Z1 "$zip" | grep -qxF "$file" || fail "the zip lacks $file"
  unzip -p "$zip" "$file" | grep -q "${check#*:}" || fail "$file does not say ${check#*:}"
done
# Notepad shows the Japanese only with a BOM; every line ends in CRLF.
unzip -p "$zip" kelvo-windows-x86_64/README.txt | head -c 3 | od -An -tx1 | grep -q 'ef bb bf' ||
  fail "README.txt has no BOM"
unzip -p "$zip" kelvo-windows-x86_64/README.txt | grep -qv $'\r$' && fail "README.txt has a line without CRLF"
pass "the zip holds kelvo.exe, kelvo.com, README.txt (BOM, CRLF), LICENSE.txt and the licences"

# --- The installer -----------------------------------------------------------------------------
start_desktop
source "$(dirname "$0")/../../scripts/wine-services.sh"
restart_wine_services

win_var() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
W="$(win_var LOCALAPPDATA)\\Programs\\Kelvo"
dir=$(winepath -u "$W" 2>/dev/null)
appdata=$(win_var APPDATA)
lnk=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Kelvo.lnk" 2>/dev/null)
roaming=$(winepath -u "$appdata\\kelvo" 2>/dev/null)
[ -n "$dir" ] && [ -n "$lnk" ] || fail "no user folders in the Wine prefix"
UNINSTALL='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvo'
RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# reg_value <key> <name>: the value's data as reg prints it; fails when it is absent.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^    $2    REG_[A-Z_]*    //p" | grep .
}
gone() { ! reg_value "$@" >/dev/null; }
kelvo_window() { wine_kelvo_windows --onlyvisible | head -n1 | grep .; }
uninstalled() { [ ! -e "$dir/uninstall.exe" ] && ! wine reg query "$UNINSTALL" >/dev/null 2>&1; }

# A run before may have stopped half-way.
wine reg delete "$UNINSTALL" /f >/dev/null 2>&1
wine reg delete "$RUN" /v Kelvo /f >/dev/null 2>&1
rm -rf "$dir" "$roaming" "$lnk"

# Another copy's start at log-in (a zip unpacked elsewhere) is left alone.
other='"C:\elsewhere\kelvo.exe"'
wine reg add "$RUN" /v Kelvo /d "$other" /f >/dev/null 2>&1
wine "$pkg/kelvo-setup.exe" /S || fail "the silent install ended with $?"
for f in kelvo.exe kelvo.com README.txt LICENSE.txt uninstall.exe licenses/mingw-w64.txt; do
  [ -f "$dir/$f" ] || fail "$f was not installed"
done
version=$(reg_value "$UNINSTALL" DisplayVersion) || fail "no DisplayVersion"
# value name : its data
values=(
  "DisplayName:Kelvo"
  "Publisher:Kelvo developers"
  "DisplayIcon:$W\\kelvo.exe,0"
  "InstallLocation:$W"
  "UninstallString:\"$W\\uninstall.exe\""
  "QuietUninstallString:\"$W\\uninstall.exe\" /S"
  "NoModify:0x1"
  "NoRepair:0x1"
)
for v in "${values[@]}"; do
  got=$(reg_value "$UNINSTALL" "${v%%:*}")
  [ "$got" = "${v#*:}" ] || fail "${v%%:*} is '$got', not '${v#*:}'"
done
size=$(($(reg_value "$UNINSTALL" EstimatedSize)))
on_disk=$(du -sk "$dir" | cut -f1)
[ $((size * 2)) -gt "$on_disk" ] && [ "$size" -le $((on_disk * 2)) ] ||
  fail "EstimatedSize says $size KB, the folder takes $on_disk KB"
[ "$(reg_value "$RUN" Kelvo)" = "$other" ] || fail "the install changed another copy's Run value"
pass "a silent install writes the files and the Uninstall key ($version)"

# The shortcut's target is the installed program, and it starts from there.
target=$(strings -a "$lnk" 2>/dev/null | grep -i '^[a-z]:.*kelvo\.exe$' | head -n1)
[ "$target" = "$W\\kelvo.exe" ] || fail "the shortcut leads to '$target'"
out=$(wine "$target" --version 2>/dev/null | tr -d '\r') || fail "kelvo --version through the shortcut failed"
echo "$out" | grep -qF "$version" || fail "--version printed '$out', the installer says $version"
pass "the Start-menu shortcut starts the installed kelvo.exe"

# The uninstaller closes a running Kelvo, which saves its settings on the way out; a silent
# uninstall keeps them.
printf '[SYSTEM]\r\nXPos=100\r\nYPos=100\r\nSmall=0\r\n' >"$dir/kelvo.ini"
(cd "$dir" && exec wine kelvo.exe) >"$E2E_TMP/kelvo.log" 2>&1 &
kelvo=$!
E2E_PIDS+=($kelvo)
wait_until 60 kelvo_window || { cat "$E2E_TMP/kelvo.log"; fail "the installed Kelvo shows no window"; }
wine "$W\\uninstall.exe" /S
wait_until 60 uninstalled || fail "the uninstall did not finish"
wait_until 20 sh -c "! kill -0 $kelvo" || fail "Kelvo was not closed"
grep -q '^Memory=' "$dir/kelvo.ini" || fail "Kelvo was ended without saving: $(cat "$dir/kelvo.ini")"
[ "$(ls -A "$dir")" = kelvo.ini ] || fail "left behind: $(ls -A "$dir")"
[ ! -e "$lnk" ] || fail "the shortcut is still there"
[ "$(reg_value "$RUN" Kelvo)" = "$other" ] || fail "the uninstall removed another copy's Run value"
pass "a silent uninstall closes Kelvo, removes the program and keeps the settings"

# With start at log-in; the uninstaller told to remove the settings too.
wine "$pkg/kelvo-setup.exe" /S /AUTOSTART || fail "the silent install with /AUTOSTART ended with $?"
[ "$(reg_value "$RUN" Kelvo)" = "\"$W\\kelvo.exe\"" ] || fail "the Run value is '$(reg_value "$RUN" Kelvo)'"
grep -q '^Memory=' "$dir/kelvo.ini" || fail "the install replaced the settings"
pass "/AUTOSTART starts the installed Kelvo at log-in; the settings stay"

mkdir -p "$roaming"
printf '[SYSTEM]\r\n' >"$roaming/kelvo.ini"
wine "$W\\uninstall.exe" /S /REMOVESETTINGS
wait_until 60 uninstalled || fail "the uninstall did not finish"
wait_until 20 test ! -e "$dir" || fail "left behind: $(ls -A "$dir")"
[ ! -e "$roaming" ] || fail "%APPDATA%\\kelvo is still there"
gone "$RUN" Kelvo || fail "the Run value is still there"
pass "/REMOVESETTINGS removes the settings; the Run value goes with the program"
echo "$passed passed, 0 failed"
