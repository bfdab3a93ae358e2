# Sourced: restart_wine_services starts the services of $WINEPREFIX afresh, on the display of the
# caller's environment (Wine's desktop process keeps the display it was started on), under one
# persistent server. A server left running, such as the one a new prefix's set-up started, would
# refuse the persistent one beside it (exit code 2): it is ended first.
restart_wine_services() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1 || true
}
