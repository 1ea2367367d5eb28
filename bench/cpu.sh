#!/usr/bin/env bash
# CPU and memory of the running program against the floor of its pixel work, side by side
# in one run: Tarvo, and floor.c (a bare xcb client doing Tarvo's per-frame pixel work at
# 64 Hz), each on an Xvfb of its own, while one paced stream (tests/e2e/steady_http.py)
# from the namespace's network across its veth animates the gauges. Every program runs in
# one network namespace, so they all see the same stream and Tarvo's latency probe stays on this machine. Tarvo is
# measured with the window shown, then hidden to the tray. For each program: CPU % of one
# core for itself and for its X server (the extra over that server's idle baseline), the
# total, and the ratio of the total to the floor's. Memory: peak RSS (VmHWM) and private
# dirty memory (smaps_rollup: what the process alone has written, heap and images), at the
# end of the shown and of the hidden time. Last, each target with pass or fail:
#   shown: total (program + X server) <= 1.3 x the floor's, median of the windows
#   hidden: the program itself < 0.02 % of a core
#   peak RSS < 36 MB; private dirty <= 5 MB (the larger of shown and hidden)
#
#   bench/cpu.sh [path/to/tarvo]      (default build/run/src/main/tarvo)
#
# More programs in the same run, each on its own Xvfb:
#   BEFORE=path/to/other/tarvo   another build of Tarvo (a before-and-after comparison)
#   GLIB=1                       Tarvo once more on Qt's GLib event dispatcher
#   QT_FLOOR=1                   qtfloor.cpp: the floor's work in a Qt widget program,
#                                woken through Qt's event loop (what Qt costs by itself)
#   gkrellm                      a peer monitor, for reference, when it is installed
# Durations in seconds: BASELINE_SECONDS (idle servers, default 20), SETTLE_SECONDS
# (start-up, not measured, default 5), SHOWN_SECONDS and HIDDEN_SECONDS (default 60
# each). WINDOWS (default 6): the shown time is also measured in that many windows, and
# the median of their ratios is printed, which a burst of other work moves less. RATE_KB is the stream's rate in KB/s (default 60). FLOOR_C is floor.c (default
# /work/shared/perf/floor.c). PERF_SECONDS > 0 adds, after the measurement, the split of
# each shown Tarvo's and floor's CPU time, and its server's, by library (perf record);
# PERF_KEEP=DIR keeps the recordings there (rec.NAME.app, rec.NAME.xvfb: perf report -i).
# CPUS=LIST runs everything on those cores (taskset -c LIST): where the scheduler puts a
# program and its X server, on one core or on two, moves a ratio by a fifth from run to
# run, and two builds in one run may be placed differently; on one core they share it
# alike, which suits a before-and-after comparison (the ratios still move between runs).
#
# The shown programs take turns: in each window one of them runs and the others are
# stopped (SIGSTOP), each measured after RESUME_SECONDS (default 7) back. Run side by
# side, two programs that both wake 64 times a second keep one phase against each other
# for the whole run, and which of them wakes into the other's wake-up decides who pays
# for it: two copies of the floor side by side measured from 0.75 to 1.34 times each
# other, run after run; taking turns, 0.91 to 1.08. SIDE_BY_SIDE=1 measures them all at
# once as before. The shown time is then SHOWN_SECONDS for each program.
# The time back is not measured because a Tarvo that was stopped is not yet back to what
# a paced stream shows it: its first sample counts the whole stop's traffic as one
# second's, and its gauges run to the top and back down, every frame for about 5 s (at
# most 199 steps each way at 64 a second, a sample apart), which the stream itself never
# causes. After 1 s back that catch-up filled half of every window.
# Needs root, for the network namespace.
set -euo pipefail
if [[ -n ${CPUS:-} && -z ${TARVO_BENCH_PINNED:-} ]]; then
  exec env TARVO_BENCH_PINNED=1 taskset -c "$CPUS" bash "$0" "$@"
fi
root=$(cd "$(dirname "$0")/.." && pwd)
tarvo=$(realpath "${1:-$root/build/run/src/main/tarvo}")
[[ -x "$tarvo" ]] || { echo "no tarvo binary at $tarvo (build it first)" >&2; exit 2; }

baseline_seconds=${BASELINE_SECONDS:-20}
settle_seconds=${SETTLE_SECONDS:-5}
shown_seconds=${SHOWN_SECONDS:-60}
windows=${WINDOWS:-6}
hidden_seconds=${HIDDEN_SECONDS:-60}
perf_seconds=${PERF_SECONDS:-0}
rate_kb=${RATE_KB:-60}
floor_c=${FLOOR_C:-/work/shared/perf/floor.c}
[[ -f "$floor_c" ]] || { echo "no floor.c at $floor_c" >&2; exit 2; }

source "$root/tests/e2e/xsession.sh"

# Nanoseconds on the CPU of every live thread of a process (schedstat): finer than the
# 10 ms clock ticks of /proc/<pid>/stat, which matters for the near-idle hidden window.
cpu_ns() {
  local total=0 t run _
  for t in /proc/"$1"/task/*/schedstat; do
    read -r run _ <"$t" 2>/dev/null || continue
    total=$((total + run))
  done
  echo "$total"
}
status_field() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }
private_dirty() { awk '$1 == "Private_Dirty:" { print $2 }' "/proc/$1/smaps_rollup"; }
# Context switches of every thread: the process's own status counts its first thread only.
wakeups() {
  awk '$1 == "voluntary_ctxt_switches:" || $1 == "nonvoluntary_ctxt_switches:" { n += $2 }
    END { print n + 0 }' /proc/"$1"/task/*/status 2>/dev/null
}
# snapshot PID: "cpu-ns wakeups wall-seconds"
snapshot() { echo "$(cpu_ns "$1") $(wakeups "$1") $EPOCHREALTIME"; }
# percent BEFORE AFTER: CPU % of one core between two snapshots
percent() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    split(a, x, " "); split(b, y, " ")
    printf "%.3f", 100 * (y[1] - x[1]) / 1e9 / (y[3] - x[3]) }'
}
per_second() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    split(a, x, " "); split(b, y, " "); printf "%.1f", (y[2] - x[2]) / (y[3] - x[3]) }'
}
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# The programs of this run; each gets its own X server.
names=(tarvo)
commands=("$tarvo")
envs=("")
if [[ -n "${BEFORE:-}" ]]; then
  names+=(before); commands+=("$(realpath "$BEFORE")"); envs+=("")
fi
if [[ -n "${GLIB:-}" ]]; then
  # An empty QT_NO_GLIB lets Qt pick its GLib dispatcher again.
  names+=(tarvo-glib); commands+=("$tarvo"); envs+=("QT_NO_GLIB=")
fi
gcc -O2 "$floor_c" -o "$workdir/floor" -lxcb
names+=(floor); commands+=("$workdir/floor"); envs+=("")
if [[ -n "${QT_FLOOR:-}" ]]; then
  # shellcheck disable=SC2046
  g++ -O2 -std=c++20 -fPIC "$root/bench/qtfloor.cpp" -o "$workdir/qtfloor" \
    $(pkg-config --cflags --libs Qt6Widgets xcb)
  names+=(qt-floor); commands+=("$workdir/qtfloor"); envs+=("")
fi
if command -v gkrellm >/dev/null; then
  names+=(gkrellm); commands+=("$(command -v gkrellm)"); envs+=("")
fi
is_tarvo() { [[ "$1" == tarvo* || "$1" == before ]]; }

declare -A display xvfb app
# start_display NAME: a private Xvfb (and a notification area for Tarvo) for NAME.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$workdir/display.$1" \
    >"$workdir/xvfb.$1.log" 2>&1 &
  pids+=($!)
  xvfb[$1]=$!
  wait_for 10 test -s "$workdir/display.$1" || fail "Xvfb for $1 did not start"
  display[$1]=":$(head -n 1 "$workdir/display.$1")"
  wait_for 10 env DISPLAY="${display[$1]}" xdpyinfo || fail "Xvfb for $1 did not start"
  if is_tarvo "$1"; then
    DISPLAY=${display[$1]} trayer --edge bottom --align right --widthtype pixel --width 96 \
      --height 24 --transparent false >"$workdir/trayer.$1.log" 2>&1 &
    pids+=($!)
    wait_for 10 env DISPLAY="${display[$1]}" xdotool search --class trayer ||
      fail "trayer for $1 did not start"
  fi
}
on() { local d=${display[$1]}; shift; DISPLAY=$d "$@"; }

export XDG_RUNTIME_DIR="$workdir/runtime"
unset QT_QPA_PLATFORM
for n in "${names[@]}"; do start_display "$n"; done
start_netns

echo "idle X server baselines: ${baseline_seconds} s"
declare -A b0 b1 idle
for n in "${names[@]}"; do b0[$n]=$(snapshot "${xvfb[$n]}"); done
sleep "$baseline_seconds"
for n in "${names[@]}"; do b1[$n]=$(snapshot "${xvfb[$n]}"); idle[$n]=$(percent "${b0[$n]}" "${b1[$n]}"); done

# A local HTTP server in the namespace's network streaming at a steady rate, ended by time.
resume_seconds=${RESUME_SECONDS:-7}
shown_wall=$shown_seconds
[[ -n ${SIDE_BY_SIDE:-} ]] ||
  shown_wall=$(awk -v s="$shown_seconds" -v r="$resume_seconds" -v w="$windows" -v n="${#names[@]}" \
    'BEGIN { printf "%d", (s + (r + 1) * w) * n + 1 }')
total=$((settle_seconds + shown_wall + hidden_seconds + perf_seconds + 30))
start_stream_server "$((total + 30))"

for i in "${!names[@]}"; do
  n=${names[$i]}
  # Each Tarvo has its own runtime directory, so its instance lock is its own.
  mkdir -m 700 -p "$workdir/runtime.$n"
  args=()
  [[ $n == floor || $n == qt-floor ]] && args=("$total")
  # shellcheck disable=SC2086
  "${in_netns[@]}" env DISPLAY="${display[$n]}" XDG_RUNTIME_DIR="$workdir/runtime.$n" ${envs[$i]} \
    "${commands[$i]}" "${args[@]}" >"$workdir/$n.log" 2>&1 &
  app[$n]=$!
  pids+=($!)
done
for n in "${names[@]}"; do
  if is_tarvo "$n"; then
    wait_for 15 on "$n" visible_window KIV || fail "the main window of $n did not appear"
    wait_for 10 on "$n" tray_icon || fail "no tray icon for $n"
  fi
done

"${in_netns[@]}" curl -s -o /dev/null --max-time "$total" \
  "http://$stream_host:$port/stream?rate=$((rate_kb * 1024))&seconds=$total" &
pids+=($!)
sleep "$settle_seconds"

declare -A t0 t1 x0 x1 t2 t3 x2 x3 peak
echo "shown, stream at $rate_kb KB/s: ${shown_seconds} s"
# The shown time is cut into windows: a burst of other work on this shared machine
# spoils one window's ratio, not the median of them.
declare -A ts xs
if [[ -n ${SIDE_BY_SIDE:-} ]]; then
  for ((k = 0; k <= windows; k++)); do
    ((k == 0)) || sleep "$(calc "$shown_seconds / $windows")"
    for n in "${names[@]}"; do ts[$n,$k]=$(snapshot "${app[$n]}"); xs[$n,$k]=$(snapshot "${xvfb[$n]}"); done
  done
else
  # Taking turns: the snapshots of a program add up its own windows only, so that what
  # follows reads them as if it had run alone for its windows' time.
  add() {
    awk -v s="$1" -v a="$2" -v b="$3" 'BEGIN {
      split(s, t, " "); split(a, x, " "); split(b, y, " ")
      printf "%d %d %.6f", t[1] + y[1] - x[1], t[2] + y[2] - x[2], t[3] + y[3] - x[3] }'
  }
  for n in "${names[@]}"; do
    kill -STOP "${app[$n]}"
    ts[$n,0]="0 0 0"; xs[$n,0]="0 0 0"
  done
  for ((k = 1; k <= windows; k++)); do
    for n in "${names[@]}"; do
      kill -CONT "${app[$n]}"
      sleep "$resume_seconds"
      a=$(snapshot "${app[$n]}"); b=$(snapshot "${xvfb[$n]}")
      sleep "$(calc "$shown_seconds / $windows")"
      a2=$(snapshot "${app[$n]}"); b2=$(snapshot "${xvfb[$n]}")
      kill -STOP "${app[$n]}"
      ts[$n,$k]=$(add "${ts[$n,$((k - 1))]}" "$a" "$a2")
      xs[$n,$k]=$(add "${xs[$n,$((k - 1))]}" "$b" "$b2")
    done
  done
  for n in "${names[@]}"; do kill -CONT "${app[$n]}"; done
  sleep "$resume_seconds"
fi
for n in "${names[@]}"; do
  t0[$n]=${ts[$n,0]}; x0[$n]=${xs[$n,0]}; t1[$n]=${ts[$n,$windows]}; x1[$n]=${xs[$n,$windows]}
done
for n in "${names[@]}"; do kill -0 "${app[$n]}" || fail "$n ended while shown"; done
declare -A dirty_shown dirty_hidden
for n in "${names[@]}"; do is_tarvo "$n" && dirty_shown[$n]=$(private_dirty "${app[$n]}"); done

if ((perf_seconds > 0)); then
  # Where the time goes, by library (sampled on the CPU clock: hardware counters are not
  # available everywhere; bench/framecost.sh counts instructions per frame instead).
  for n in "${names[@]}"; do
    is_tarvo "$n" || [[ $n == floor ]] || continue
    for who in app xvfb; do
      pid=${app[$n]}; [[ $who == xvfb ]] && pid=${xvfb[$n]}
      perf record -q -e cpu-clock -F "${PERF_FREQ:-4000}" -o "$workdir/rec.$n.$who" -p "$pid" -- sleep "$perf_seconds" \
        >/dev/null 2>&1 &
    done
  done
  wait_for $((perf_seconds + 10)) bash -c "! pgrep -x perf"
  sleep 1
  for n in "${names[@]}"; do
    is_tarvo "$n" || [[ $n == floor ]] || continue
    for who in app xvfb; do
      echo "-- $n ($who): share of its CPU time by library"
      perf report -q -i "$workdir/rec.$n.$who" --sort dso --stdio 2>/dev/null | head -n 6
      [[ -z ${PERF_KEEP:-} ]] || { mkdir -p "$PERF_KEEP"; cp "$workdir/rec.$n.$who" "$PERF_KEEP/"; }
    done
  done
fi

# Hiding: each Tarvo's tray icon is clicked on its own display.
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  on "$n" click_tray
  wait_for 5 on "$n" bash -c "! xdotool search --onlyvisible --name '^KIV\$'" ||
    fail "the tray click did not hide the window of $n"
done
sleep 2 # the last repaints of the hide
echo "hidden: ${hidden_seconds} s"
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  t2[$n]=$(snapshot "${app[$n]}"); x2[$n]=$(snapshot "${xvfb[$n]}")
done
sleep "$hidden_seconds"
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  t3[$n]=$(snapshot "${app[$n]}"); x3[$n]=$(snapshot "${xvfb[$n]}")
  kill -0 "${app[$n]}" || fail "$n ended while hidden"
  peak[$n]=$(status_field "${app[$n]}" VmHWM)
  dirty_hidden[$n]=$(private_dirty "${app[$n]}")
done

extra() { calc "$1 - $2"; }
declare -A self server sum
for n in "${names[@]}"; do
  self[$n]=$(percent "${t0[$n]}" "${t1[$n]}")
  server[$n]=$(extra "$(percent "${x0[$n]}" "${x1[$n]}")" "${idle[$n]}")
  sum[$n]=$(calc "${self[$n]} + ${server[$n]}")
done
echo
echo "CPU in % of one core; X server: its extra over its idle baseline"
printf '%-18s %9s %9s %9s %9s %10s\n' program itself "X server" total "/ floor" wakeups/s
for n in "${names[@]}"; do
  printf '%-18s %9s %9s %9s %9s %10s\n' "$n shown" "${self[$n]}" "${server[$n]}" "${sum[$n]}" \
    "$(calc "${sum[$n]} / (${sum[floor]} > 0 ? ${sum[floor]} : 1)")" "$(per_second "${t0[$n]}" "${t1[$n]}")"
done
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  hs=$(percent "${t2[$n]}" "${t3[$n]}")
  hx=$(extra "$(percent "${x2[$n]}" "${x3[$n]}")" "${idle[$n]}")
  printf '%-18s %9s %9s %9s %9s %10s\n' "$n hidden" "$hs" "$hx" "$(calc "$hs + $hx")" "" \
    "$(per_second "${t2[$n]}" "${t3[$n]}")"
done
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  echo "$n peak RSS (VmHWM): $((peak[$n] / 1024)) MB (${peak[$n]} kB)," \
    "private dirty: shown ${dirty_shown[$n]} kB, hidden ${dirty_hidden[$n]} kB"
done
# Per window: each program's total over the floor's in the same window.
declare -A median_ratio
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo
echo "shown, ratio of the total to the floor's, per window of $(calc "$shown_seconds / $windows") s"
for n in "${names[@]}"; do
  [[ $n == floor ]] && continue
  ratios=()
  for ((k = 1; k <= windows; k++)); do
    mine=$(calc "$(percent "${ts[$n,$((k - 1))]}" "${ts[$n,$k]}") + $(percent "${xs[$n,$((k - 1))]}" "${xs[$n,$k]}") - ${idle[$n]}")
    floor_total=$(calc "$(percent "${ts[floor,$((k - 1))]}" "${ts[floor,$k]}") + $(percent "${xs[floor,$((k - 1))]}" "${xs[floor,$k]}") - ${idle[floor]}")
    ratios+=("$(calc "$mine / ($floor_total > 0 ? $floor_total : 1)")")
  done
  median_ratio[$n]=$(printf '%s\n' "${ratios[@]}" | median)
  printf '%-18s median %s   windows %s\n' "$n" "${median_ratio[$n]}" "${ratios[*]}"
done
echo "X server idle baselines: $(for n in "${names[@]}"; do printf '%s %s  ' "$n" "${idle[$n]}"; done)"

# The targets, each judged in this run.
verdict() { awk "BEGIN { exit !($1) }" && echo pass || echo FAIL; }
echo
echo "targets"
for n in "${names[@]}"; do
  is_tarvo "$n" || continue
  hs=$(percent "${t2[$n]}" "${t3[$n]}")
  dirty=$((dirty_shown[$n] > dirty_hidden[$n] ? dirty_shown[$n] : dirty_hidden[$n]))
  printf '%-18s shown %s x floor (<= 1.3): %s\n' "$n" "${median_ratio[$n]}" \
    "$(verdict "${median_ratio[$n]} <= 1.3")"
  printf '%-18s hidden %s %% (< 0.02): %s\n' "$n" "$hs" "$(verdict "$hs < 0.02")"
  printf '%-18s peak RSS %s kB (< 36 MB): %s\n' "$n" "${peak[$n]}" \
    "$(verdict "${peak[$n]} < 36 * 1024")"
  printf '%-18s private dirty %s kB (<= 5 MB): %s\n' "$n" "$dirty" "$(verdict "$dirty <= 5 * 1024")"
done
