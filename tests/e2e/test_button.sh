#!/usr/bin/env bash
# The real program's hide button: hovering lights it up, a click hides the window to the
# notification area, whose icon stays and brings the window back.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
start_session
start_netns

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
wait_for 10 tray_icon || fail "no tray icon in the notification area"
win=$(visible_window KIV)
eval "$(xdotool getwindowgeometry --shell "$win")" # after tray_icon, which sets X and Y too

# The button lies at 538, 402 and is 147 x 53; row 1 is the light top band.
bx=$((X + 538))
by=$((Y + 402))
xdotool mousemove $((bx + 140)) $((by - 40))
sleep 0.5
import -window root "$workdir/normal.png"
normal=$(pixel $((bx + 30)) $((by + 1)) "$workdir/normal.png")
frame=$(pixel $((bx + 30)) "$by" "$workdir/normal.png")
[[ "$frame" == "89,125,171" ]] || fail "button frame is $frame, not the style's blue"
xdotool mousemove $((bx + 30)) $((by + 20))
sleep 0.5
import -window root "$workdir/hot.png"
hot=$(pixel $((bx + 30)) $((by + 1)) "$workdir/hot.png")
[[ "$hot" != "$normal" ]] || fail "hovering did not change the button ($normal)"
echo "button top band $normal, under the pointer $hot"

xdotool click 1
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^KIV\$'" || fail "the button did not hide the window"
tray_icon >/dev/null || fail "the tray icon went with the window"
click_tray
wait_for 5 visible_window KIV || fail "the tray icon did not bring the window back"
echo "the button hides the window; the tray icon stays and shows it again"
