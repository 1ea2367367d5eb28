#!/usr/bin/env bash
# Instructions per frame (1/64 s tick) of Tarvo, split by part and by library, from a
# callgrind profile of the shown window under a paced stream across the namespace's veth
# (hardware counters are not available to perf on every machine; callgrind counts the
# same everywhere).
# Each build runs on its own Xvfb, side by side, in one network namespace.
#
#   bench/framecost.sh path/to/tarvo [path/to/other/tarvo ...]
#
# SETTLE_SECONDS (start-up under valgrind, not measured, default 25), SECONDS_MEASURED
# (default 15), RATE_KB (default 60). KEEP=DIR keeps each profile there (callgrind.N, for
# callgrind_annotate). Needs root, for the network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
settle_seconds=${SETTLE_SECONDS:-25}
measured_seconds=${SECONDS_MEASURED:-15}
rate_kb=${RATE_KB:-60}
(($# > 0)) || { echo "usage: $0 tarvo [tarvo ...]" >&2; exit 2; }
source "$root/tests/e2e/xsession.sh"
unset QT_QPA_PLATFORM

start_netns
total=$((settle_seconds + measured_seconds + 60))
start_stream_server "$((total + 30))"

apps=()
for i in $(seq 1 $#); do
  binary=$(realpath "${!i}")
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$workdir/display.$i" \
    >"$workdir/xvfb.$i.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$workdir/display.$i" || fail "Xvfb $i did not start"
  mkdir -m 700 -p "$workdir/runtime.$i"
  "${in_netns[@]}" env DISPLAY=":$(head -n 1 "$workdir/display.$i")" \
    XDG_RUNTIME_DIR="$workdir/runtime.$i" valgrind --tool=callgrind --instr-atstart=no \
    --callgrind-out-file="$workdir/callgrind.$i" "$binary" >"$workdir/tarvo.$i.log" 2>&1 &
  apps+=($!)
  pids+=($!)
done
"${in_netns[@]}" curl -s -o /dev/null --max-time "$total" \
  "http://$stream_host:$port/stream?rate=$((rate_kb * 1024))&seconds=$total" &
pids+=($!)
sleep "$settle_seconds"
for pid in "${apps[@]}"; do callgrind_control -i on "$pid" >/dev/null 2>&1; done
sleep "$measured_seconds"
for pid in "${apps[@]}"; do callgrind_control -i off "$pid" >/dev/null 2>&1; done
for pid in "${apps[@]}"; do callgrind_control -d "$pid" >/dev/null 2>&1; done
sleep 2
for i in $(seq 1 $#); do
  echo "== ${!i}"
  # The dump taken on request is the numbered file; the final one is written at exit.
  out=$(ls "$workdir"/callgrind."$i".* 2>/dev/null | head -n 1)
  python3 "$root/bench/callgrind_split.py" "${out:-$workdir/callgrind.$i}"
  [[ -z "${KEEP:-}" ]] || { mkdir -p "$KEEP"; cp "${out:-$workdir/callgrind.$i}" "$KEEP/callgrind.$i"; }
done
