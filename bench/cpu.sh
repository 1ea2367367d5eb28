#!/usr/bin/env bash
# CPU and memory of the running program: Tarvo under a private Xvfb with a notification
# area, in a network namespace of its own (so its latency probe stays on this machine),
# with a steady loopback stream so the gauges animate, measured first
# with the window shown, then hidden to the tray. Prints CPU % of one core for Tarvo and
# for Xvfb (its extra over an idle baseline), and Tarvo's peak resident memory.
#
#   bench/cpu.sh [path/to/tarvo]      (default build/run/src/main/tarvo)
#
# Durations in seconds: BASELINE_SECONDS (idle Xvfb, default 20), SETTLE_SECONDS (start-up
# and the first samples, not measured, default 5), SHOWN_SECONDS and HIDDEN_SECONDS
# (default 60 each). RATE_KB is the stream's rate in KB/s (default 60). Builds nothing.
# Needs root, for the network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tarvo=$(realpath "${1:-$root/build/run/src/main/tarvo}")
[[ -x "$tarvo" ]] || { echo "no tarvo binary at $tarvo (build it first)" >&2; exit 2; }

baseline_seconds=${BASELINE_SECONDS:-20}
settle_seconds=${SETTLE_SECONDS:-5}
shown_seconds=${SHOWN_SECONDS:-60}
hidden_seconds=${HIDDEN_SECONDS:-60}
rate_kb=${RATE_KB:-60}

source "$root/tests/e2e/xsession.sh"

# Clock ticks of utime + stime of the whole process (all threads, /proc/<pid>/stat).
cpu_ticks() {
  local rest
  rest=$(<"/proc/$1/stat")
  rest=${rest##*) } # past the command name, which may hold blanks
  # shellcheck disable=SC2086
  set -- $rest
  echo $((${12} + ${13}))
}
status_field() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
wakeups() {
  echo $(($(status_field "$1" voluntary_ctxt_switches) + $(status_field "$1" nonvoluntary_ctxt_switches)))
}
hz=$(getconf CLK_TCK)

# snapshot PID: "ticks wakeups wall-seconds"
snapshot() { echo "$(cpu_ticks "$1") $(wakeups "$1") $EPOCHREALTIME"; }
# percent BEFORE AFTER: CPU % of one core between two snapshots
percent() {
  awk -v hz="$hz" -v a="$1" -v b="$2" 'BEGIN {
    split(a, x, " "); split(b, y, " ")
    printf "%.3f", 100 * (y[1] - x[1]) / hz / (y[3] - x[3]) }'
}
per_second() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    split(a, x, " "); split(b, y, " "); printf "%.1f", (y[2] - x[2]) / (y[3] - x[3]) }'
}

start_session
start_netns
xvfb=${pids[0]}

echo "idle Xvfb baseline: ${baseline_seconds} s"
x0=$(snapshot "$xvfb")
sleep "$baseline_seconds"
x1=$(snapshot "$xvfb")
xvfb_idle=$(percent "$x0" "$x1")

# A local HTTP server streaming at a steady rate, bound to loopback, ended by time.
total=$((settle_seconds + shown_seconds + hidden_seconds + 30))
port=$((20000 + RANDOM % 20000))
"${in_netns[@]}" python3 "$root/tests/e2e/steady_http.py" "$port" --lifetime "$((total + 30))" \
  >"$workdir/http.log" 2>&1 &
pids+=($!)
wait_for 10 "${in_netns[@]}" curl -s -o /dev/null "http://127.0.0.1:$port/" ||
  fail "the HTTP server did not start"

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
app=$!
pids+=("$app")
wait_for 15 visible_window KIV || fail "the main window did not appear"
wait_for 10 tray_icon || fail "no tray icon in the notification area"

"${in_netns[@]}" curl -s -o /dev/null --max-time "$total" \
  "http://127.0.0.1:$port/stream?rate=$((rate_kb * 1024))&seconds=$total" &
pids+=($!)
sleep "$settle_seconds"

echo "window shown, loopback stream at $rate_kb KB/s: ${shown_seconds} s"
t0=$(snapshot "$app"); x0=$(snapshot "$xvfb")
sleep "$shown_seconds"
t1=$(snapshot "$app"); x1=$(snapshot "$xvfb")
kill -0 "$app" || fail "tarvo ended while shown"

click_tray
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^KIV\$'" ||
  fail "the tray click did not hide the window"
sleep 2 # the last repaints of the hide
echo "window hidden: ${hidden_seconds} s"
t2=$(snapshot "$app"); x2=$(snapshot "$xvfb")
sleep "$hidden_seconds"
t3=$(snapshot "$app"); x3=$(snapshot "$xvfb")
kill -0 "$app" || fail "tarvo ended while hidden"
peak_kb=$(status_field "$app" VmHWM)

extra() { awk -v p="$1" -v b="$xvfb_idle" 'BEGIN { printf "%.3f", p - b }'; }
echo
printf '%-8s %12s %14s %12s\n' phase "tarvo CPU %" "Xvfb extra %" "tarvo wakeups/s"
printf '%-8s %12s %14s %12s\n' shown "$(percent "$t0" "$t1")" \
  "$(extra "$(percent "$x0" "$x1")")" "$(per_second "$t0" "$t1")"
printf '%-8s %12s %14s %12s\n' hidden "$(percent "$t2" "$t3")" \
  "$(extra "$(percent "$x2" "$x3")")" "$(per_second "$t2" "$t3")"
echo "Xvfb idle baseline: $xvfb_idle % of one core"
echo "tarvo peak RSS (VmHWM): $((peak_kb / 1024)) MB ($peak_kb kB)"
