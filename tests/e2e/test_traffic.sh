#!/usr/bin/env bash
# The real program under Xvfb while the test sends a steady, rate-limited stream over
# loopback: the receive gauge must show the rate and the graph's green line must rise.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
rate_kb=60
start_session
start_netns

# A local HTTP server on 127.0.0.1 streaming $rate_kb KB/s to one client; bounded in time.
port=$((20000 + RANDOM % 20000))
"${in_netns[@]}" python3 "$(dirname "$0")/steady_http.py" "$port" --lifetime 120 >"$workdir/http.log" 2>&1 &
pids+=($!)
wait_for 10 "${in_netns[@]}" curl -s -o /dev/null "http://127.0.0.1:$port/" || fail "the local HTTP server did not start"

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$(visible_window KIV)")"
wx=$X wy=$Y

"${in_netns[@]}" curl -s -o /dev/null --max-time 30 "http://127.0.0.1:$port/stream?rate=$((rate_kb * 1024))&seconds=25" &
pids+=($!)

# The receive gauge is 175 pixels wide for 200 KB/s. Its filled part is the green
# picture; row 3 lies above the caption.
bar_x=$((wx + 524)) bar_y=$((wy + 210 + 3))
fill_width() {
  convert "$1" -crop "175x1+$bar_x+$bar_y" +repage -depth 8 txt:- |
    awk -F'[(),]' 'NR > 1 && $4 - $5 > 40 { n++ } END { print n + 0 }'
}

sleep 8 # a few sampling ticks at the steady rate, and time for the gauge to walk there
widths=()
for i in 1 2 3 4 5; do
  import -window root "$workdir/shot$i.png"
  widths+=("$(fill_width "$workdir/shot$i.png")")
  sleep 1
done
sorted=($(printf '%s\n' "${widths[@]}" | sort -n))
median=${sorted[2]}
expected=$((rate_kb * 175 / 200))
echo "receive gauge fill widths: ${widths[*]} (median $median px, expected about $expected px)"
# Within 8 KB/s, that is 7 pixels.
((median >= expected - 7 && median <= expected + 7)) || fail "gauge shows $median px for ${rate_kb} KB/s"

# The download line (green, 142,255,99) has risen from its rest row near the bottom to
# the rate's height. On loopback every packet is received and sent, so the upload line
# (red, 255,100,100) is drawn over it at the same height: either colour counts.
rows=$(( (193 - 25) * rate_kb / 200 )) # the line's height above the bottom, roughly
graph="$workdir/graph.png"
convert "$workdir/shot5.png" -crop "473x21+$((wx + 22))+$((wy + 152 + 193 - rows - 10))" +repage "$graph"
risen=$(convert "$graph" -depth 8 txt:- |
  grep -c -E '\((14[0-4],25[0-5],(9[5-9]|10[0-3])|25[0-5],(9[5-9]|10[0-5]),(9[5-9]|10[0-5]))\)' || true)
echo "line pixels near the rate's height: $risen"
((risen > 20)) || fail "the graph's download line did not rise"
