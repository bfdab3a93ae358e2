#!/usr/bin/env bash
# Builds a static Qt for Windows x86-64 once, from Debian's own qt6-base source package (the same
# version as the host's Qt tools), and a static GoogleTest beside it. The result is kept in
# $KELVO_WIN_CACHE (default ~/.cache/kelvo/win-<version>) and reused while its stamp matches.
# The source comes through a private apt state: the machine's apt configuration is not touched.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
qtver="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
features="static;core;gui;widgets;testlib;windows;offscreen;noopengl;gtest;no-ipa-ra;lean;size;ssp;v6"
cache="${KELVO_WIN_CACHE:-$HOME/.cache/kelvo/win-$qtver}"
stamp="$cache/stamp"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$qtver;$features" ]; then
  echo "$cache"
  exit 0
fi
jobs="${JOBS:-$(nproc)}"
work="${KELVO_WIN_WORK:-$HOME/.cache/kelvo/work-$qtver}"
mkdir -p "$work"
log() { echo "build-cross-qt: $*" >&2; }

# Qt's source from the mirror and suite the machine already uses for Debian's packages.
src="$work/src/qtbase"
if [ ! -f "$src/CMakeLists.txt" ]; then
  apt="$work/apt"
  rm -rf "$apt" "$work/src"
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$work/src"
  uri="$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}' | grep -v security | head -1)"
  [ -n "$uri" ] || uri="$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list 2>/dev/null)"
  suite="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" "$suite" >"$apt/parts/src.sources"
  O=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/parts"
     -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache")
  log "fetching qt6-base $qtver source"
  apt-get "${O[@]}" update -qq
  (cd "$work/src" && apt-get "${O[@]}" source --download-only -qq "qt6-base=$qtver" &&
    dpkg-source --no-check -x qt6-base_*.dsc qtbase >/dev/null)
fi

# Small code: the toolkit's drawing is not where Kelvo spends its time (the program's own pixel
# loops are its own code, built for speed), and without a section per function, since the
# linker keeps every function's unwind entry and with it the function, so a section each only
# adds padding. The stack protector and fortified string calls, as in the program's own code,
# since this code decodes the pictures a user opens. Features Kelvo never uses are left out:
# some are reached through virtual tables (the native file, colour and font dialogs; the MIME
# database behind QIcon; the graphics view behind the styles) and would be linked in even though
# nothing calls them.
cflags="-fno-ipa-ra -fstack-protector-strong -D_FORTIFY_SOURCE=2"
lean=()
for f in mimetype textodfwriter textmarkdownreader textmarkdownwriter filedialog colordialog \
  fontdialog wizard mdiarea calendarwidget datetimeedit dial lcdnumber fontcombobox \
  splashscreen undoview undocommand undostack undogroup keysequenceedit columnview \
  graphicsview gestures completer filesystemmodel hijricalendar jalalicalendar \
  islamiccivilcalendar; do
  lean+=("-DFEATURE_$f=OFF")
done

prefix="$cache.partial"
rm -rf "$prefix"
log "configuring Qt into $prefix"
# Features left from an earlier configure would stay cached; the objects may stay.
rm -f "$work/qt-build/CMakeCache.txt"
cmake -S "$src" -B "$work/qt-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
  -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_pkg_config=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_doubleconversion=OFF "${lean[@]}" -DFEATURE_optimize_size=ON \
  -DFEATURE_gc_binaries=OFF \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fstack-protector-strong" >"$work/qt-configure.log" 2>&1 ||
  { tail -30 "$work/qt-configure.log" >&2; exit 1; }
log "building Qt ($jobs jobs; about 45 CPU-minutes)"
cmake --build "$work/qt-build" -j "$jobs" >"$work/qt-build.log" 2>&1 ||
  { tail -30 "$work/qt-build.log" >&2; exit 1; }
cmake --install "$work/qt-build" >/dev/null

log "building GoogleTest"
cmake -S /usr/src/googletest -B "$work/gtest-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$work/gtest-build" -j "$jobs" >/dev/null
cmake --install "$work/gtest-build" >/dev/null

# Qt's licence texts go into the Windows package.
mkdir -p "$prefix/licenses"
cp "$src/LICENSES/"* "$prefix/licenses/" 2>/dev/null || true
cp "$src/debian/copyright" "$prefix/licenses/qtbase-copyright" 2>/dev/null || true

echo "$qtver;$features" >"$prefix/stamp"
rm -rf "$cache"
mv "$prefix" "$cache"
rm -rf "$work/qt-build" "$work/gtest-build"
echo "$cache"
