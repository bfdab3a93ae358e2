#!/usr/bin/env bash
# Configuring for the test suite without a component it needs stops with one sentence that names
# the Debian package; a plain configure only warns about the optional Designer plugin.
# Usage: configure_test.sh <source dir>
set -u
src=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# expect <stops|warns> <package named> <cmake arguments…>
expect() {
  local outcome=$1 package=$2
  shift 2
  rm -rf "$tmp/b"
  cmake -S "$src" -B "$tmp/b" -G Ninja "$@" >"$tmp/log" 2>&1
  local rc=$?
  local said
  said=$(tr -s ' \n' ' ' <"$tmp/log")
  if [ "$outcome" = stops ] && [ $rc -eq 0 ]; then
    echo "FAIL: configure went on without $package ($*)"; failures=$((failures + 1))
  elif [ "$outcome" = warns ] && [ $rc -ne 0 ]; then
    echo "FAIL: a plain configure stopped without $package ($*)"; failures=$((failures + 1))
  elif ! grep -q "install the Debian package [^.]*$package" <<<"$said"; then
    echo "FAIL: no sentence names $package ($*)"; cat "$tmp/log"; failures=$((failures + 1))
  else
    echo "ok: $outcome, naming $package"
  fi
}

expect stops libgtest-dev -DKELVO_REQUIRE_ALL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
expect stops libbenchmark-dev -DKELVO_REQUIRE_ALL=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
expect stops libqt6opengl6-dev -DKELVO_REQUIRE_ALL=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Designer=ON
expect warns libqt6opengl6-dev -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Designer=ON
[ $failures -eq 0 ] || exit 1
