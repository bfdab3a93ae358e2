#!/usr/bin/env bash
# Installs the Debian packages Kelvo needs to build, run and test, then checks that every program
# the build, the tests and the scripts call is there. Quiet and quick when all is present.
set -euo pipefail

# Each package with the programs of it that something here calls (checked after the install).
# A package without programs is a library, a header set or data the build or a test needs.
declare -A provides=(
  [build-essential]="g++ make"
  [binutils]="readelf"       # the hardened-binaries test reads the program's headers with it
  [cmake]="cmake ctest cpack"
  [ninja-build]="ninja"
  [pkg-config]="pkg-config"
  [qt6-base-dev]=""
  [qt6-base-dev-tools]=""
  [qt6-qpa-plugins]=""
  [qt6-tools-dev]=""         # Qt Designer's development files, for the Designer plugin
  [libqt6opengl6-dev]=""     # Qt Designer's own dependency, Qt6OpenGLWidgets
  [libgl-dev]=""
  [libxcb1-dev]=""
  [libgtest-dev]=""
  [libgmock-dev]=""
  [libbenchmark-dev]=""
  [clang]="clang clang++"    # the fuzz build
  [libclang-rt-14-dev]=""    # libFuzzer and the sanitizers' runtime for clang
  [clang-format]="clang-format"
  [xvfb]="Xvfb"
  [openbox]="openbox"
  [xdotool]="xdotool"
  [x11-utils]="xwininfo xprop"
  [x11-apps]=""
  [trayer]="trayer"
  [xfce4-panel]="xfce4-panel"  # a real panel whose tray draws an item's exported menu itself
  [xfconf]="xfconf-query"    # the panel's settings service
  [dbus-x11]="dbus-launch"   # the bus autolaunch a session without a bus must not set off
  [mutter]="mutter"          # a headless Wayland compositor with Xwayland, as a GNOME session runs
  [xwayland]="Xwayland"
  [qt6-wayland]=""           # the toolkit's Wayland platform, for sessions without an X server
  [dbus-daemon]="dbus-run-session dbus-daemon"  # a private session bus for the tray tests
  [libglib2.0-bin]="gdbus"
  [python3-dbus]=""          # the stand-in StatusNotifierWatcher (with python3-gi's main loop)
  [python3-gi]=""
  [imagemagick]="import convert"
  [fonts-ipafont-gothic]=""
  [fonts-dejavu-core]=""     # the Latin-only font of the readout test without a Japanese font
  [desktop-file-utils]="desktop-file-validate"
  [appstream]="appstreamcli"
  [dpkg-dev]="dpkg-shlibdeps"
  [dpkg]="dpkg-deb"
  [file]="file"              # CPack's Debian generator reads the binaries' types with it
  [mount]="mount"            # and swapon, swapoff for the swap test (in /sbin, so not checked)
  [util-linux]="flock unshare"  # the clean's tests: a held instance lock, a private mount namespace; also mkswap
  [bsdutils]="script"        # kelvo --clean on a terminal
  [coreutils]="timeout dd"
  [valgrind]="valgrind"      # memcheck over the raster, component and settings tests
  [inotify-tools]="inotifywait"  # counts the settings file's saves in the close test
  [libsm-dev]=""             # the session test's stand-in X11 session manager
  [libice-dev]=""
  [locales]=""               # the de_DE source the tests' decimal-comma locale is made from
  [libc-bin]="localedef"
)

# The Windows build: the cross compiler, Wine to run what it makes, and what the cross Qt's
# source is unpacked and the package zipped and the installer made with.
if [ "${1:-}" = --windows ]; then
  provides=(
    [g++-mingw-w64-x86-64-posix]="x86_64-w64-mingw32-g++-posix"
    [gcc-mingw-w64-x86-64-posix]="x86_64-w64-mingw32-gcc-posix"  # also libssp, for the hardening
    [mingw-w64-x86-64-dev]=""
    [binutils-mingw-w64-x86-64]="x86_64-w64-mingw32-windres x86_64-w64-mingw32-strip x86_64-w64-mingw32-objdump x86_64-w64-mingw32-nm"
    [wine]="wine wineserver wineboot"
    [wine64]=""
    [googletest]=""          # GoogleTest's sources, built with the cross compiler
    [dpkg-dev]="dpkg-source"
    [debian-archive-keyring]=""
    [cmake]="cmake ctest"
    [ninja-build]="ninja"
    [qt6-base-dev]=""        # the host's Qt tools (moc, rcc, uic) of the same version
    [qt6-base-dev-tools]=""
    [zip]="zip"
    [unzip]="unzip"          # the package test lists the zip
    [nsis]="makensis"        # the installer
    [xvfb]="Xvfb"
    [openbox]="openbox"
    [xfce4-panel]="xfce4-panel"  # the tray Wine's icon docks in (over XEmbed)
    [xfconf]="xfconf-query"
    [dbus-daemon]="dbus-run-session dbus-daemon"
    [libglib2.0-bin]="gdbus"
    [xdotool]="xdotool"
    [x11-utils]="xwininfo xprop"
    [imagemagick]="import convert"
    [fonts-ipafont-gothic]=""
    [fonts-dejavu-core]=""
    [locales]=""             # ja_JP, made into the build folder: the tests under code page 932
    [libc-bin]="localedef"
  )
fi

missing=()
for p in "${!provides[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A program that is still missing would make a test fail far from its cause: name it here.
absent=()
for p in "${!provides[@]}"; do
  for prog in ${provides[$p]}; do
    command -v "$prog" >/dev/null 2>&1 || absent+=("$prog (Debian package $p)")
  done
done
if [ ${#absent[@]} -gt 0 ]; then
  printf 'Missing after the install: %s\n' "${absent[@]}" >&2
  exit 1
fi
