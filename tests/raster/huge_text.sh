#!/usr/bin/env bash
# Text drawn over a 32768 x 32768 8-bit bitmap (1 GiB, the raster layer's cap) under an
# address-space limit that leaves about 640 MiB beside it: a text pass must work in bounded
# pieces, not allocate in proportion to the text's area.
set -u
[ "${2:-OFF}" != "ON" ] || { echo "skipped: the sanitizer build reserves more address space than any limit allows"; exit 77; }
limit_kb=$(((1024 + 640) * 1024))
out=$( (ulimit -v $limit_kb && QT_QPA_PLATFORM=offscreen exec "$1") 2>&1)
rc=$?
echo "$out"
[ $rc -eq 0 ] || { echo "exit code $rc"; echo "0 passed, 1 failed"; exit 1; }
echo "1 passed, 0 failed"
