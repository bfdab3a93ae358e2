#!/usr/bin/env bash
# The Windows program: cross-built with mingw-w64 against the cached static Qt, tested under Wine.
#   windows.sh build   BUILD   kelvo.exe and the test programs
#   windows.sh test    BUILD   the test programs under Wine, the program's hardening, then the
#                              program on a desktop and at a prompt
#   windows.sh package BUILD   a zip with kelvo.exe, the documents and the licences
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
    "$here/tests/windows/desktop_wine.sh" "$build/kelvo.exe"
    "$here/tests/windows/console_wine.sh" "$build"
    ;;
  package)
    configure
    cmake --build "$build" -j "$jobs" --target kelvo
    out="$build/package/kelvo-windows-x86_64"
    rm -rf "$out" "$out.zip"
    mkdir -p "$out/licenses"
    x86_64-w64-mingw32-strip -o "$out/kelvo.exe" "$build/kelvo.exe"
    x86_64-w64-mingw32-strip -o "$out/kelvo.com" "$build/kelvo.com"
    cp "$here/README.md" "$here/LICENSE" "$out/"
    cp "$qt/licenses/"* "$out/licenses/"
    (cd "$out/.." && zip -qr "kelvo-windows-x86_64.zip" "kelvo-windows-x86_64")
    echo "$out.zip"
    ;;
  *)
    echo "usage: $0 build|test|package BUILD" >&2
    exit 2
    ;;
esac
