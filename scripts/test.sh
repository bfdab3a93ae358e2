#!/usr/bin/env bash
# Runs the whole test suite of one build directory through ctest.
set -euo pipefail
build=${1:-build}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600
