#!/usr/bin/env bash
# The real program under Xvfb with a notification area: window size and colours, the
# tray icon hides and shows the window, a second copy ends while the first lives on.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
start_session
start_netns

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
first=$!
pids+=("$first")
wait_for 15 visible_window KIV || fail "the main window did not appear"
win=$(visible_window KIV)

eval "$(xdotool getwindowgeometry --shell "$win")"
[[ "$WIDTH" == 728 && "$HEIGHT" == 472 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 728x472"
sleep 2 # let a few sampling ticks run
import -window root "$workdir/shot.png"
# Window background between the graph and the gauges: the title bar's light-blue texture.
bg=$(pixel $((X + 515)) $((Y + 400)) "$workdir/shot.png")
[[ "$bg" == "114,170,240" ]] || fail "window background is $bg"
echo "window ${WIDTH}x${HEIGHT} at $X,$Y, background $bg"

# The tray icon is docked in trayer's panel; a left click hides the window, another shows it.
wait_for 10 tray_icon || fail "no tray icon in the notification area"
click_tray
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^KIV\$'" || fail "tray click did not hide the window"
click_tray
wait_for 5 visible_window KIV || fail "tray click did not show the window again"
echo "tray icon hides and shows the window"

# A second copy shows its notice and ends; the first keeps running.
"${in_netns[@]}" "$tarvo" >"$workdir/second.log" 2>&1 &
second=$!
pids+=("$second")
wait_for 10 visible_window "Tarvo提示" || fail "the second copy showed no notice"
# No window manager here: focus the notice by hand and press its OK button's key.
notice=$(visible_window "Tarvo提示")
xdotool windowfocus --sync "$notice" key Return
wait_for 10 bash -c "! kill -0 $second" || fail "the second copy did not end"
kill -0 "$first" || fail "the first copy ended too"
visible_window KIV >/dev/null || fail "the first copy's window is gone"
echo "second copy ended, first lives on"
