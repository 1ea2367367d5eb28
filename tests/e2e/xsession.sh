# Shared by the end-to-end tests: a private Xvfb display with a notification area
# (trayer), and a network namespace of their own for the program; every process is
# stopped by PID on exit. Source it, then call start_session (and start_netns).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/netns-etc.sh"

pids=()
workdir=$(mktemp -d)
netns=""

stop_session() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [[ -n "$netns" ]]; then
    ip netns del "$netns" 2>/dev/null || true
    ip netns del "$network" 2>/dev/null || true
    rm -rf "$netns_etc"
  fi
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

# start_session [WIDTHxHEIGHT]: the screen is 1024x768 unless given.
start_session() {
  local screen=${1:-1024x768}
  # Xvfb picks a free display itself and tells which through the descriptor.
  # -noreset: the server must not restart when the first probing client leaves.
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$workdir/display" \
    >"$workdir/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$workdir/display" || fail "Xvfb did not start: $(cat "$workdir/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$workdir/display")"
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

# A network namespace for the program under test, so that none of its traffic (the
# latency probe's name lookup and echoes) leaves the machine: loopback, and a veth whose
# other end lies in a second namespace of the test's own, "the network" (192.0.2.2), and
# which carries the default route that makes the program count as connected. What
# crosses the veth is what the gauges count. Name lookups go to 127.0.0.1 there, where
# nothing answers. The namespace brings its own /etc files for lookups
# (tests/support/netns-etc.sh); add_host NAME maps a name to 127.0.0.1 there.
# Run programs in it as "${in_netns[@]}" PROGRAM, and in the network as
# "${in_network[@]}" PROGRAM: a background one's $! is the program's own PID. Needs
# root; otherwise a skip.
start_netns() {
  if ((EUID != 0)); then
    echo "SKIP: a network namespace of the test's own needs root"
    exit 77
  fi
  netns="tarvo-e2e-$$"
  network="$netns-net"
  netns_etc=/run/tarvo-netns/$netns
  netns_etc_files "$netns_etc"
  ip netns add "$netns"
  ip netns add "$network"
  ip -n "$netns" link set lo up
  ip -n "$network" link set lo up
  ip -n "$netns" link add tv0 type veth peer name tv1 netns "$network"
  ip -n "$netns" addr add 192.0.2.1/30 dev tv0
  ip -n "$network" addr add 192.0.2.2/30 dev tv1
  # No IPv6 on the link: its neighbour discovery would move a few hundred bytes the
  # gauges count, so that only what a test sends crosses it.
  ip netns exec "$netns" sysctl -qw net.ipv6.conf.tv0.disable_ipv6=1
  ip netns exec "$network" sysctl -qw net.ipv6.conf.tv1.disable_ipv6=1
  ip -n "$netns" link set tv0 up
  ip -n "$network" link set tv1 up
  ip -n "$netns" route add default via 192.0.2.2 dev tv0
  netns_exec_args "$netns" "$netns_etc"
  in_netns=("${netns_exec[@]}")
  in_network=(ip netns exec "$network")
}

add_host() { printf '127.0.0.1\t%s\n' "$1" >>"$netns_etc/hosts"; }

# start_stream_server LIFETIME [ADDRESS]: steady_http.py in the network namespace on
# 192.0.2.2 (or ADDRESS there), on a free-looking port it puts in $port, ended by itself
# after LIFETIME seconds. The program's namespace reaches it across the veth at
# http://$stream_host:$port/.
start_stream_server() {
  port=$((20000 + RANDOM % 20000))
  stream_host=${2:-192.0.2.2}
  "${in_network[@]}" python3 "$(dirname "${BASH_SOURCE[0]}")/steady_http.py" "$port" \
    --bind "$stream_host" --lifetime "$1" >"$workdir/http.log" 2>&1 &
  pids+=($!)
  wait_for 10 "${in_netns[@]}" curl -s -o /dev/null "http://$stream_host:$port/" ||
    fail "the local HTTP server did not start"
}

# pixel X Y FILE: the colour of one pixel of a screenshot as "r,g,b".
pixel() {
  convert "$3" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# gauge_fill FILE X Y: the filled width of the gauge (175 pixels for its maximum) whose
# top left corner is at X,Y of a screenshot: its green picture, measured on row 3 up to
# its last green pixel (a wide caption crosses it).
gauge_fill() {
  convert "$1" -crop "175x1+$2+$(($3 + 3))" +repage -depth 8 txt:- |
    awk -F'[(),]' 'NR > 1 && $4 - $5 > 40 { n = $1 + 1 } END { print n + 0 }'
}

# main_colour FILE X Y W H: the most common colour of a region of a screenshot, "r,g,b".
main_colour() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 -format %c histogram:info:- |
    sort -rn | sed -n -E '1s/.*\(([0-9]+),([0-9]+),([0-9]+)\).*/\1,\2,\3/p'
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
