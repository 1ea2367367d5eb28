#!/usr/bin/env bash
# Memory of the window's process with both web panes loaded: Tarvo under Xvfb in a
# network namespace whose hosts file maps the maker's web server to 127.0.0.1, where the
# shipped pages are served. Once both pages show, it prints the window process's peak
# resident size (VmHWM, target: under 36 MB), its current one, and how much of that is
# anonymous memory rather than pages of the libraries and fonts it maps.
#
#   bench/memory.sh [path/to/tarvo]      (default build/test/src/main/tarvo)
#   BEFORE=path/to/other/tarvo           another build, measured the same way after it
#   SETTLE_SECONDS (default 5): how long it runs on after the pages show.
# Needs root, for the network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/xsession.sh"
settle=${SETTLE_SECONDS:-5}
host=$(sed -n 's/.*webServer = QStringLiteral("\([^"]*\)").*/\1/p' "$root/src/main/hosts.h")

start_session
start_netns
add_host "$host"
"${in_netns[@]}" python3 "$root/scripts/serve-web.py" --bind 127.0.0.1 --port 80 \
  >"$workdir/web.log" 2>&1 &
pids+=("$!")
wait_for 10 "${in_netns[@]}" curl -sf -o /dev/null "http://$host/kiv.php?version=1.5" ||
  fail "the local web server did not start"

field() { sed -n "s/^$2:\s*\([0-9]*\) kB/\1/p" "/proc/$1/status"; }

measure() { # TARVO LABEL
  "${in_netns[@]}" "$1" >"$workdir/tarvo.log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  wait_for 15 visible_window KIV || fail "$2: the main window did not appear"
  # The pages come from this machine in a moment; then no helper is left.
  sleep "$settle"
  ! pgrep -P "$pid" >/dev/null || fail "$2: a page helper is still running"
  echo "$2: window process peak $(($(field "$pid" VmHWM) / 1024)) MB ($(field "$pid" VmHWM) kB)," \
    "now $(($(field "$pid" VmRSS) / 1024)) MB, anonymous $(($(field "$pid" RssAnon) / 1024)) MB;" \
    "helpers running: $(pgrep -c -P "$pid" || true)"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

measure "$(realpath "${1:-$root/build/test/src/main/tarvo}")" tarvo
[[ -z "${BEFORE:-}" ]] || measure "$(realpath "$BEFORE")" before
