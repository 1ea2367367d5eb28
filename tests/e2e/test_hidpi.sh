#!/usr/bin/env bash
# The real program at a device pixel ratio of 2: the window is twice its size in device
# pixels, every control keeps its place, and the retained surfaces (graph, gauges) are
# scaled as whole pixels: each logical pixel is a uniform 2x2 block (title bar, graph,
# gauges, frame lines).
source "$(dirname "$0")/xsession.sh"
tarvo=$1
start_session 1920x1200
start_netns

"${in_netns[@]}" env QT_SCALE_FACTOR=2 "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
win=$(visible_window KIV)
eval "$(xdotool getwindowgeometry --shell "$win")"
[[ "$WIDTH" == 1456 && "$HEIGHT" == 944 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 1456x944"
sleep 3 # a few ticks: the graph scrolls, the gauges settle
import -window root "$workdir/shot.png"
at() { pixel $((X + $1)) $((Y + $2)) "$workdir/shot.png"; }

# Places in device pixels, twice the logical ones: the window's texture between the graph
# and the gauges, the receive gauge's frame at (524, 210), the graph's header strip at
# (22, 152), each with the texture just outside.
expect() { [[ "$(at "$1" "$2")" == "$3" ]] || fail "$4: ($1,$2) is $(at "$1" "$2"), not $3"; }
expect 1030 800 114,170,240 "window texture"
expect 1048 420 120,150,180 "receive gauge frame"
expect 1049 421 120,150,180 "receive gauge frame, second device pixel"
expect 1046 418 114,170,240 "outside the receive gauge"
expect 44 304 219,245,255 "graph header"
expect 42 302 114,170,240 "outside the graph"

# Whole-pixel scaling: sampling each 2x2 block down and back up changes nothing.
whole_pixels() { # name WxH+X+Y (device pixels, relative to the window)
  local geometry=$2 w=${2%%x*} rest=${2#*x} h x y
  h=${rest%%+*}; rest=${rest#*+}; x=${rest%%+*}; y=${rest#*+}
  convert "$workdir/shot.png" -crop "${w}x${h}+$((X + x))+$((Y + y))" +repage "$workdir/$1.png"
  convert "$workdir/$1.png" -sample 50% -sample 200% "$workdir/$1-blocks.png"
  local diff
  diff=$(compare -metric AE "$workdir/$1.png" "$workdir/$1-blocks.png" null: 2>&1 || true)
  [[ "$diff" == 0 ]] || fail "$1 is not scaled as whole pixels ($diff device pixels differ)"
}
# The frame lines are whole: one logical pixel is two device pixels, both of them drawn.
expect 0 600 152,92,46 "left frame line"
expect 1 600 152,92,46 "left frame line, second device pixel"
expect 2 600 114,170,240 "texture inside the frame"
whole_pixels titlebar 1456x48+0+0
whole_pixels graph 946x386+44+304
for i in 0 1 2; do
  top=(316 420 520); left=(1048 1048 1044)
  whole_pixels "gauge$i" "350x34+${left[$i]}+${top[$i]}"
done
echo "1456x944, controls in place, graph and gauges scaled as whole pixels"
