#!/usr/bin/env bash
# The real program on a Wayland session: weston (its x11 backend, nested in Xvfb, so that
# the pointer and keys reach it through a real seat) with XWayland, Qt's Wayland plugin
# installed, and a notification area over StatusNotifierItem on a session bus of the
# test's own. Tarvo starts on XWayland by choice: its window is an X window of weston's
# X server, 728 x 472; it is dragged by its title bar, hidden and shown by its tray
# item, a second copy shows its notice and ends, and both panes show the maker's pages.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
host=$(sed -n 's/.*webServer = QStringLiteral("\([^"]*\)").*/\1/p' "$root/src/main/hosts.h")
[[ -n "$host" ]] || fail "no web server host in src/main/hosts.h"
command -v weston >/dev/null && command -v Xwayland >/dev/null ||
  { echo "SKIP: weston and Xwayland are not installed"; exit 77; }
start_session 1100x800 # room beside weston's output window, for the pointer to come in from
start_netns
add_host "$host"

# A session bus on a path (an abstract socket would not cross into the namespace), and
# the notification area on it.
dbus-daemon --session --nofork --address="unix:path=$workdir/bus" >"$workdir/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$workdir/bus"
wait_for 10 test -S "$workdir/bus" || fail "the session bus did not start"
/usr/bin/python3 "$root/tests/e2e/sni_host.py" watch "$workdir/items" >"$workdir/sni.log" 2>&1 &
pids+=($!)
wait_for 10 gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
  -m org.freedesktop.DBus.GetNameOwner org.kde.StatusNotifierWatcher ||
  fail "the notification area did not start: $(cat "$workdir/sni.log")"

# No panel: nothing of weston's own (its launchers) lies where the pointer goes.
printf '[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\n' >"$workdir/weston.ini"
weston --backend=x11-backend.so --use-pixman --xwayland --socket="tarvo-$$" --width=1024 \
  --height=768 --config="$workdir/weston.ini" --log="$workdir/weston.log" >/dev/null 2>&1 &
pids+=($!)
xwayland_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$workdir/weston.log"; }
wait_for 15 test -S "$XDG_RUNTIME_DIR/tarvo-$$" || fail "weston did not start"
wait_for 15 test -n "$(xwayland_display)" || fail "weston started no XWayland"
xw=$(xwayland_display)
on_xw() { DISPLAY=$xw "$@"; }
# XWayland starts at its first client; its window manager (weston's) must be there
# before Tarvo reads what the manager supports, as in a running session.
wait_for 15 on_xw xdpyinfo || fail "XWayland did not start"
wait_for 15 grep -q "created wm" "$workdir/weston.log" || fail "weston's X window manager did not start"

"${in_netns[@]}" python3 "$root/scripts/serve-web.py" --bind 127.0.0.1 --port 80 \
  >"$workdir/web.log" 2>&1 &
pids+=($!)
wait_for 10 "${in_netns[@]}" curl -sf -o /dev/null "http://$host/kiv.php?version=1.5" ||
  fail "the local web server did not start"

# As a Wayland desktop session starts it.
start_tarvo() {
  "${in_netns[@]}" env WAYLAND_DISPLAY="tarvo-$$" XDG_SESSION_TYPE=wayland DISPLAY="$xw" \
    "$tarvo" >"$workdir/tarvo$1.log" 2>&1 &
}
start_tarvo 1
first=$!
pids+=("$first")
wait_for 30 on_xw visible_window KIV || fail "no window on XWayland: $(cat "$workdir/tarvo1.log")"
grep -q libqxcb "/proc/$first/maps" || fail "the xcb plugin is not loaded"
! grep -q libqwayland "/proc/$first/maps" || fail "the Wayland plugin is loaded"
win=$(on_xw visible_window KIV)
# Where the window lies on the root (weston's output too): xdotool counts the offset in
# weston's frame twice, xwininfo does not.
geometry() {
  read -r X Y WIDTH HEIGHT < <(on_xw xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { print x, y, w, h }')
}
geometry
[[ "$WIDTH" == 728 && "$HEIGHT" == 472 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 728x472"
echo "on XWayland (xcb), window ${WIDTH}x${HEIGHT} at $X,$Y"

# Both panes give way to the maker's pages; weston draws them into its output window.
shows_pages() {
  import -window root "$workdir/pages.png"
  [[ "$(main_colour "$workdir/pages.png" $((X + 1)) $((Y + 23)) 724 88)" == "11,61,92" ]] &&
    [[ "$(main_colour "$workdir/pages.png" $((X + 24)) $((Y + 378)) 480 80)" == "238,245,251" ]]
}
wait_for 20 shows_pages || fail "the pages did not replace the placeholders"
echo "both panes show the maker's pages"

# Dragged by the title bar with weston's own pointer: weston moves the window. The
# pointer comes into weston's output window from outside (weston takes it up then), and
# the press waits for weston to give the window the pointer.
x0=$X y0=$Y
xdotool mousemove 1060 780 sleep 0.3 mousemove $((x0 + 364)) $((y0 + 236)) sleep 0.5 \
  mousemove $((x0 + 400)) $((y0 + 12)) sleep 0.3 mousedown 1 sleep 0.3
for step in 1 2 3 4 5; do
  xdotool mousemove $((x0 + 400 + step * 20)) $((y0 + 12 + step * 12))
  sleep 0.1
done
xdotool mouseup 1
moved() {
  geometry
  [[ "$X,$Y" == "$((x0 + 100)),$((y0 + 60))" ]]
}
wait_for 5 moved || fail "window at $X,$Y after the drag, not $((x0 + 100)),$((y0 + 60))"
echo "drag by (100, 60) moved the window from $x0,$y0 to $X,$Y"

# The tray item hides and shows the window.
wait_for 10 test -s "$workdir/items" || fail "no item registered with the notification area"
item=$(head -n 1 "$workdir/items")
/usr/bin/python3 "$root/tests/e2e/sni_host.py" activate "$item"
wait_for 5 bash -c "! DISPLAY=$xw xdotool search --onlyvisible --name '^KIV\$'" ||
  fail "activating the tray item did not hide the window"
/usr/bin/python3 "$root/tests/e2e/sni_host.py" activate "$item"
wait_for 5 on_xw visible_window KIV || fail "activating the tray item did not show the window"
echo "the tray item ($item) hides and shows the window"

# A second copy shows its notice, which weston focuses; Return ends it.
start_tarvo 2
second=$!
pids+=("$second")
wait_for 15 on_xw visible_window "Tarvo提示" || fail "the second copy showed no notice"
sleep 0.5
xdotool key Return
wait_for 10 bash -c "! kill -0 $second" || fail "the second copy did not end"
kill -0 "$first" || fail "the first copy ended too"
on_xw visible_window KIV >/dev/null || fail "the first copy's window is gone"
echo "second copy ended, first lives on"
