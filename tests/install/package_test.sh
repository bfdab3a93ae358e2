#!/usr/bin/env bash
# The installed layout and the Debian package: desktop files validate, the package holds what it
# should and depends on what the program links, and the program unpacked into a throwaway root
# starts, keeps its settings in the per-user folder and ends cleanly.
# Usage: package_test.sh <build dir>
source "$(dirname "$0")/../e2e/desktop.sh"
build=$(cd "$1" && pwd)

DESTDIR="$E2E_TMP/dest" cmake --install "$build" --prefix /usr >/dev/null || fail "install failed"
desktop-file-validate "$E2E_TMP/dest/usr/share/applications/io.github.kelvo.Kelvo.desktop" ||
  fail "desktop entry invalid"
appstreamcli validate --no-net "$E2E_TMP/dest/usr/share/metainfo/io.github.kelvo.Kelvo.metainfo.xml" ||
  fail "metainfo invalid"
echo "ok: desktop entry and metainfo validate"

(cd "$build" && cpack -B "$E2E_TMP/pkg" >"$E2E_TMP/cpack.log" 2>&1) || { cat "$E2E_TMP/cpack.log"; fail "cpack failed"; }
deb=$(ls "$E2E_TMP"/pkg/kelvo_*.deb | head -n1)
plugin_deb=$(ls "$E2E_TMP"/pkg/kelvo-designer-plugin_*.deb | head -n1)
[ -f "$deb" ] && [ -f "$plugin_deb" ] || fail "packages missing: $(ls "$E2E_TMP/pkg")"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/kelvo ./usr/share/applications/io.github.kelvo.Kelvo.desktop \
         ./usr/share/metainfo/io.github.kelvo.Kelvo.metainfo.xml ./usr/share/man/man1/kelvo.1 \
         ./usr/share/icons/hicolor/48x48/apps/kelvo.png ./usr/share/icons/hicolor/scalable/apps/kelvo.svg \
         ./usr/share/doc/kelvo/copyright; do
  echo "$files" | grep -qx "$f" || fail "package lacks $f"
done
echo "$files" | grep -q designer && fail "the program's package carries the Designer plugin"
echo "$files" | grep -q autostart && fail "the package starts the program at log-in for everyone"
dpkg-deb -f "$deb" Recommends | grep -q qt6-wayland || fail "the package does not recommend qt6-wayland"
dpkg-deb -c "$plugin_deb" | grep -q "qt6/plugins/designer/libkelvocomponents.so" || fail "plugin package lacks the plugin"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "fonts-ipafont-gothic | fonts-vlgothic | fonts-noto-cjk" ||
  fail "the package does not depend on a Japanese gothic font: $depends"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
echo "$depends" | grep -q designer && fail "the program depends on Designer: $depends"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/kelvo/copyright | grep -q '^License: GPL-3.0-or-later' ||
  fail "the package's copyright file names no licence"
echo "ok: package contents and dependencies"

root="$E2E_TMP/root"
dpkg -x "$deb" "$root"
export XDG_CONFIG_HOME="$E2E_TMP/config"
"$root/usr/bin/kelvo" --version | grep -q '^kelvo ' || fail "--version"
start_desktop
"$root/usr/bin/kelvo" >"$E2E_TMP/run.log" 2>&1 &
pid=$!
E2E_PIDS+=($pid)
wait_until 20 has_visible_window $pid || { cat "$E2E_TMP/run.log"; fail "installed program showed no window"; }
kill -TERM $pid
wait_until 10 sh -c "! kill -0 $pid 2>/dev/null" || fail "installed program did not end"
wait $pid || fail "installed program ended with an error"
[ -f "$XDG_CONFIG_HOME/kelvo/kelvo.ini" ] || fail "settings not in the per-user folder"
[ -e "$root/usr/bin/kelvo.ini" ] && fail "settings written beside the installed program"
grep -q '^\[SYSTEM\]' "$XDG_CONFIG_HOME/kelvo/kelvo.ini" || fail "settings file incomplete"
echo "ok: the unpacked program runs and keeps its settings per user"
echo "1 passed, 0 failed"
