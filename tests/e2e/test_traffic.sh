#!/usr/bin/env bash
# The real program under Xvfb while the test sends a steady, paced stream from the test's
# network namespace across the veth: 150 KB/s first, then 60 KB/s. The receive gauge must follow the rate down (a gauge
# that keeps an old, higher rate is stale) and the graph's green line must rise.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
high_kb=150
high_seconds=8
rate_kb=60
start_session
start_netns

# A local HTTP server in the network namespace that paces a stream to one client;
# bounded in time.
start_stream_server 120

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$(visible_window KIV)")"
wx=$X wy=$Y

"${in_netns[@]}" curl -s -o /dev/null --max-time 40 \
  "http://$stream_host:$port/stream?phases=$((high_kb * 1024)):$high_seconds,$((rate_kb * 1024)):20" &
pids+=($!)
stream_start=$(date +%s.%N)
# sleep_until SECONDS: sleeps until that many seconds after the stream started.
sleep_until() { sleep "$(echo "$stream_start + $1 - $(date +%s.%N)" | bc -l | sed 's/^-.*/0/')"; }

# The receive gauge is 175 pixels wide for 200 KB/s.
fill_width() { gauge_fill "$1" $((wx + 524)) $((wy + 210)); }

# gauge_widths FROM COUNT: COUNT fill widths, one a second from FROM seconds on.
gauge_widths() {
  local i
  for ((i = 0; i < $2; i++)); do
    sleep_until $(($1 + i))
    import -window root "$workdir/shot.png"
    fill_width "$workdir/shot.png"
  done
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

# The fast phase: the gauge walks up to about 150 KB/s (one unit per 1/64 s).
high=($(gauge_widths $((high_seconds - 3)) 3))
high_expected=$((high_kb * 175 / 200))
echo "fast phase: receive gauge fill widths ${high[*]} (expected about $high_expected px)"

# The slow phase: a few seconds after the switch the gauge has come down and stays.
widths=($(gauge_widths $((high_seconds + 4)) 5))
cp "$workdir/shot.png" "$workdir/shot5.png"
median=$(median "${widths[@]}")
expected=$((rate_kb * 175 / 200))
echo "slow phase, from $((high_seconds + 4)) s: receive gauge fill widths: ${widths[*]} (median $median px, expected about $expected px)"
high_median=$(median "${high[@]}")
((high_median >= high_expected - 7 && high_median <= high_expected + 7)) ||
  fail "gauge shows $high_median px for ${high_kb} KB/s"
# Within 8 KB/s, that is 7 pixels; settled: no sample further off than 10 pixels.
((median >= expected - 7 && median <= expected + 7)) || fail "gauge shows $median px for ${rate_kb} KB/s"
for width in "${widths[@]}"; do
  ((width >= expected - 10 && width <= expected + 10)) ||
    fail "the gauge has not settled at ${rate_kb} KB/s: ${widths[*]} px"
done

# The download line (green, 142,255,99) has risen from its rest row near the bottom to
# the rate's height. (The upload line, red 255,100,100, carries only the stream's
# acknowledgements; where it crosses the green one either colour counts.)
rows=$(( (193 - 25) * rate_kb / 200 )) # the line's height above the bottom, roughly
graph="$workdir/graph.png"
convert "$workdir/shot5.png" -crop "473x21+$((wx + 22))+$((wy + 152 + 193 - rows - 10))" +repage "$graph"
risen=$(convert "$graph" -depth 8 txt:- |
  grep -c -E '\((14[0-4],25[0-5],(9[5-9]|10[0-3])|25[0-5],(9[5-9]|10[0-5]),(9[5-9]|10[0-5]))\)' || true)
echo "line pixels near the rate's height: $risen"
((risen > 20)) || fail "the graph's download line did not rise"
