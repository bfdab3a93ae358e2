#!/usr/bin/env bash
# Each binary is position-independent, has its relocations read-only and bound at start-up, and
# calls the stack protector's handler and at least one checked copy of the C library.
# Usage: hardened_binaries_test.sh on|off <binary>...  (off: a build made without the hardening)
set -u
if [ "$1" != on ]; then
  echo "SKIP: sanitiser, fuzz and unoptimised builds are not hardened"
  exit 77
fi
shift
command -v readelf >/dev/null || { echo "FAIL: readelf is missing (Debian package binutils)"; exit 1; }

source "$(dirname "$0")/../e2e/expect.sh"

for bin in "$@"; do
  if [ ! -f "$bin" ]; then
    echo "FAIL: $bin is not built"
    failed=$((failed + 1))
    continue
  fi
  name=$(basename "$bin")
  dynamic=$(readelf -dW "$bin")
  # Only the symbols the binary takes from a library: a definition of its own proves nothing.
  imports=$(readelf --dyn-syms -W "$bin" | awk '$7 == "UND" { sub(/@.*/, "", $8); print $8 }')
  expect "$name is not position-independent" 'Type: +DYN' "$(readelf -hW "$bin")"
  expect "$name is not position-independent (no PIE flag)" '\(FLAGS_1\).* PIE' "$dynamic"
  expect "$name is not read-only after relocation (no GNU_RELRO)" '^ *GNU_RELRO ' "$(readelf -lW "$bin")"
  expect "$name is not bound at start-up (no BIND_NOW)" '\(BIND_NOW\)|\(FLAGS\).*BIND_NOW|\(FLAGS_1\).* NOW' "$dynamic"
  expect "$name is not stack-protected (no __stack_chk_fail)" '^__stack_chk_fail$' "$imports"
  expect "$name is not fortified (no __*_chk call)" '^__[a-z0-9_]+_chk$' "$(grep -v '^__stack_chk_fail$' <<<"$imports")"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
