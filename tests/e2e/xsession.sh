# Shared by the end-to-end tests: a private Xvfb display with a notification area
# (trayer), every process stopped by PID on exit. Source it, then call start_session.
set -euo pipefail

pids=()
workdir=$(mktemp -d)

stop_session() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$workdir"
}
trap stop_session EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: retries the command every 0.2 s until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

start_session() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
  done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$workdir/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 xdpyinfo || fail "Xvfb did not start"
  trayer --edge bottom --align right --widthtype pixel --width 96 --height 24 \
    --transparent false >"$workdir/trayer.log" 2>&1 &
  pids+=($!)
  wait_for 10 xdotool search --class trayer || fail "trayer did not start: $(cat "$workdir/trayer.log")"
  # Each test run gets its own runtime directory, so the instance lock is its own.
  export XDG_RUNTIME_DIR="$workdir/runtime"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM
}

# pixel X Y FILE: the colour of one pixel of a screenshot as "r,g,b".
pixel() {
  convert "$3" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

visible_window() { xdotool search --onlyvisible --name "^$1\$" | head -n 1; }

# The program's icon docked in the notification area: a small window named after it.
tray_icon() {
  local w
  for w in $(xdotool search --class '^tarvo$'); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if ((WIDTH >= 8 && WIDTH <= 48 && HEIGHT <= 48)); then echo "$w"; return 0; fi
  done
  return 1
}

click_tray() {
  eval "$(xdotool getwindowgeometry --shell "$(tray_icon)")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}
