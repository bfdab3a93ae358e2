#!/usr/bin/env bash
# The example clean timer's service finds the program wherever it was installed: /usr/bin from
# the Debian package, /usr/local/bin from make install.
# Usage: example_units_test.sh <source dir> <program>
set -u
src=$1
program=$2
command -v systemd-analyze >/dev/null || { echo "SKIP: systemd-analyze is not installed"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for bin in usr/bin usr/local/bin; do
  root="$tmp/$bin-root"
  mkdir -p "$root/$bin" "$root/etc/systemd/system"
  cp "$program" "$root/$bin/kelvo"
  cp "$src/examples/systemd/kelvo-clean.service" "$src/examples/systemd/kelvo-clean.timer" \
    "$root/etc/systemd/system/"
  # The throwaway root has no system units: empty stand-ins for the ones every service pulls in,
  # so that any complaint left is the checker's verdict on the example.
  for unit in sysinit.target basic.target shutdown.target; do
    printf '[Unit]\nDescription=stand-in\n' >"$root/etc/systemd/system/$unit"
  done
  if ! out=$(systemd-analyze verify --root="$root" --man=no kelvo-clean.service 2>&1); then
    echo "FAIL: with the program in /$bin the example service says: $out"
    exit 1
  fi
  echo "ok: the example service finds the program in /$bin"
done
echo "1 passed, 0 failed"
