#!/usr/bin/env bash
# The Windows program: cross-built with mingw-w64 against the cached static Qt, tested under Wine.
#   windows.sh build   BUILD   kelvo.exe and the test programs
#   windows.sh test    BUILD   the test programs under Wine, the program's hardening, then the
#                              program on a desktop and at a prompt, then the package
#   windows.sh package BUILD   a zip with kelvo.exe, the documents and the licences, and an installer
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
action=$1
build=$2
jobs="${JOBS:-$(nproc)}"

qt="$("$here/scripts/build-cross-qt.sh")"
export WINEPREFIX="${WINEPREFIX:-$here/$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine names Unix files in the locale's code set: under the POSIX locale (a bare CI shell) a
# Japanese folder name cannot be made. The tests run under a UTF-8 one.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

source "$here/scripts/wine-services.sh"

launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"

configure() {
  [ -f "$build/build.ninja" ] && return
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_PREFIX_PATH="$qt" -DKELVO_BENCH=OFF -DKELVO_FUZZ=OFF \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" $launcher
}

# A Wine prefix of our own that says it is Windows 10, with its services running before the first
# test (otherwise the first test starts them and ctest waits for them).
wine_up() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1 || true
    wine winecfg /v win10 </dev/null >/dev/null 2>&1 || true
  fi
  restart_wine_services
}

# The licence texts of what kelvo.exe links in: Qt's (kept with the cross Qt) and the MinGW-w64
# run time's (the C run time and winpthreads; GCC's libraries under its run-time exception).
mingw_licences=(
  /usr/share/doc/mingw-w64-x86-64-dev/copyright:mingw-w64.txt
  /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright:gcc-mingw-w64.txt
)

# Text for Notepad: CRLF, and a BOM so that it reads the Japanese as UTF-8.
windows_text() { printf '\xef\xbb\xbf'; sed 's/\r$//; s/$/\r/' "$1"; }

# Relative paths as NSIS strings: backslashes, and $ doubled.
nsis_paths() { sed 's|^\./||; s|\$|$$|g; s|/|\\|g'; }

make_package() {
  if [ ! -d "$qt/licenses" ] || [ -z "$(ls -A "$qt/licenses")" ]; then
    echo "windows.sh: Qt's licence texts are missing ($qt/licenses is absent or empty);" \
      "the package must carry them. Build the cross Qt again (remove $qt/stamp)." >&2
    exit 1
  fi
  # Absolute: makensis reads paths from the script's own folder.
  local pkg name=kelvo-windows-x86_64
  pkg="$(realpath -m "$build/package")"
  local out="$pkg/$name"
  rm -rf "$pkg"
  mkdir -p "$out/licenses"
  x86_64-w64-mingw32-strip -o "$out/kelvo.exe" "$build/kelvo.exe"
  x86_64-w64-mingw32-strip -o "$out/kelvo.com" "$build/kelvo.com"
  windows_text "$here/resources/windows/README-windows.txt" >"$out/README.txt"
  windows_text "$here/LICENSE" >"$out/LICENSE.txt"
  cp "$qt/licenses/"* "$out/licenses/"
  local entry
  for entry in "${mingw_licences[@]}"; do
    [ -s "${entry%%:*}" ] || { echo "windows.sh: ${entry%%:*} is missing: reinstall its package" >&2; exit 1; }
    cp "${entry%%:*}" "$out/licenses/${entry##*:}"
  done
  (cd "$pkg" && zip -qr "$name.zip" "$name")

  # The uninstaller removes what was installed file by file, the folders after their files.
  {
    (cd "$out" && find . -type f | sort) | nsis_paths | sed 's|.*|Delete "$INSTDIR\\&"|'
    (cd "$out" && find . -mindepth 1 -type d | sort -r) | nsis_paths | sed 's|.*|RMDir "$INSTDIR\\&"|'
  } >"$pkg/files.nsh"
  local version
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
  makensis -V2 -WX -DVERSION="$version" -DPACKAGE="$out" -DFILES="$pkg/files.nsh" \
    -DOUTFILE="$pkg/kelvo-setup.exe" "$here/resources/windows/kelvo.nsi" >&2
  echo "$pkg/$name.zip"
  echo "$pkg/kelvo-setup.exe"
}

case "$action" in
  build)
    configure
    cmake --build "$build" -j "$jobs"
    ;;
  test)
    configure
    cmake --build "$build" -j "$jobs"
    wine_up
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    (cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300)
    "$here/tests/windows/hardened_exe.sh" "$build"
    # On the desktop at 100 % and at 150 % display scale, then at the end of a session.
    for dpi in 96 144; do
      KELVO_DPI=$dpi "$here/tests/windows/desktop_wine.sh" "$build/kelvo.exe"
    done
    "$here/tests/windows/session_end_wine.sh" "$build/kelvo.exe"
    "$here/tests/windows/console_wine.sh" "$build"
    make_package
    "$here/tests/windows/package_wine.sh" "$build/package"
    ;;
  package)
    configure
    cmake --build "$build" -j "$jobs" --target kelvo
    make_package
    ;;
  *)
    echo "usage: $0 build|test|package BUILD" >&2
    exit 2
    ;;
esac
