#!/usr/bin/env bash
# Starts Kelvo, or says in one sentence why it cannot show a window here.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Kelvo needs a graphical desktop and none was found (DISPLAY is not set); run 'make run' inside a desktop session, or start a virtual one with 'xvfb-run -a make run'." >&2
  exit 1
fi
exec "$@"
