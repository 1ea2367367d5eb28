#!/usr/bin/env bash
# The drawn title bar of the real program under Xvfb with a notification area and no
# window manager: the dressed window (round top corners, frame, texture), a drag of the
# strip moves the window itself, the minimise button hides it to the tray, the close
# button ends the program and takes its tray icon away.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
start_session
start_netns

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
program=$!
pids+=("$program")
wait_for 15 visible_window KIV || fail "the main window did not appear"
win=$(visible_window KIV)
wait_for 10 tray_icon || fail "no tray icon in the notification area"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
x0=$X y0=$Y

# The dressing: top corners cut away (the root shows there), frame and texture.
import -window root "$workdir/shot.png"
root=$(pixel 1000 10 "$workdir/shot.png")
corner=$(pixel "$x0" "$y0" "$workdir/shot.png")
[[ "$corner" == "$root" ]] || fail "top left corner shows $corner, not the root's $root"
corner=$(pixel $((x0 + 727)) "$y0" "$workdir/shot.png")
[[ "$corner" == "$root" ]] || fail "top right corner shows $corner, not the root's $root"
frame=$(pixel "$x0" $((y0 + 300)) "$workdir/shot.png")
[[ "$frame" == "152,92,46" ]] || fail "left frame is $frame"
frame=$(pixel $((x0 + 400)) $((y0 + 471)) "$workdir/shot.png")
[[ "$frame" == "152,92,46" ]] || fail "bottom frame is $frame"
texture=$(pixel $((x0 + 515)) $((y0 + 400)) "$workdir/shot.png")
[[ "$texture" == "114,170,240" ]] || fail "texture is $texture"
echo "dressed: corners cut, frame, texture"

# The close button in its hover look is red.
xdotool mousemove $((x0 + 706)) $((y0 + 12))
sleep 0.5
import -window root "$workdir/hover.png"
IFS=, read -r red green _ <<<"$(pixel $((x0 + 706)) $((y0 + 12)) "$workdir/hover.png")"
((red > 150 && green < 120)) || fail "close button under the pointer is $red,$green,..., not red"
xdotool mousemove $((x0 + 400)) $((y0 + 200))
echo "close button turns red under the pointer"

# Drag the strip by (100, 60): with no window manager the window follows the pointer.
xdotool mousemove $((x0 + 400)) $((y0 + 12)) mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove $((x0 + 400 + step * 20)) $((y0 + 12 + step * 12))
  sleep 0.1
done
xdotool mouseup 1
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
[[ "$X,$Y" == "$((x0 + 100)),$((y0 + 60))" ]] ||
  fail "window at $X,$Y after the drag, not $((x0 + 100)),$((y0 + 60))"
echo "drag by (100, 60) moved the window from $x0,$y0 to $X,$Y"

# Minimise hides the window to the tray; a click on the tray icon brings it back.
xdotool mousemove $((X + 666)) $((Y + 12)) click 1
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^KIV\$'" ||
  fail "the minimise button did not hide the window"
kill -0 "$program" || fail "the program ended on minimise"
tray_icon >/dev/null || fail "the tray icon went away on minimise"
click_tray
wait_for 5 visible_window KIV || fail "a tray click did not bring the window back"
echo "minimise hides to the tray, a tray click shows the window again"

# Close ends the program, and its icon leaves the notification area.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 713)) $((Y + 12)) click 1
wait_for 10 bash -c "! kill -0 $program" || fail "the close button did not end the program"
wait "$program" || fail "the program ended with status $?"
wait_for 5 bash -c "$(declare -f tray_icon); ! tray_icon" || fail "the tray icon stayed"
xdotool search --class trayer >/dev/null || fail "the notification area went away"
echo "close ends the program and removes its tray icon"
