#!/usr/bin/env bash
# The Windows build, unzipped as a user would, under wine with Xvfb and trayer in a
# network namespace of its own: the 728x472 window shows, the receive gauge follows a
# stream across the test namespace's veth, the tray icon docks and a click on it hides the
# window.
# Usage: test_wine.sh ZIP WINEPREFIX
source "$(dirname "$0")/xsession.sh"
zip=$1
[[ -f "$zip" ]] || { echo "SKIP: $zip is made by scripts/build-windows.sh"; exit 77; }
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH QT_PLUGIN_PATH # only what the zip holds
rate_kb=60
start_session
start_netns
# (Wine counts a computer as connected only when its default route has a gateway, as
# start_netns gives it.)
# Wine reads the interfaces where its server runs: one of its own, in the namespace.
wineserver -k 2>/dev/null || true
stop_wine() { wineserver -k 2>/dev/null || true; stop_session; }
trap stop_wine EXIT
unzip -q "$zip" -d "$workdir/app"
start_stream_server 90

"${in_netns[@]}" wine "$workdir/app/tarvo/tarvo.exe" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 60 visible_window KIV || fail "the main window did not appear: $(cat "$workdir/tarvo.log")"
win=$(visible_window KIV)
eval "$(xdotool getwindowgeometry --shell "$win")"
[[ "$WIDTH" == 728 && "$HEIGHT" == 472 ]] || fail "window is ${WIDTH}x${HEIGHT}, not 728x472"
wx=$X wy=$Y
echo "window ${WIDTH}x${HEIGHT} at $X,$Y"

# Wine's explorer.exe hosts the icons of the notification area and docks each as a small
# window in trayer's panel.
wine_tray_icon() {
  local w
  for w in $(xdotool search --onlyvisible --class '^explorer\.exe$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if ((WIDTH >= 8 && WIDTH <= 48 && HEIGHT >= 8 && HEIGHT <= 48 && Y >= 700)); then
      echo "$w"
      return 0
    fi
  done
  return 1
}
wait_for 20 wine_tray_icon || fail "no tray icon in the notification area"

# The receive gauge (175 pixels for 200 KB/s) follows a steady stream across the veth.
"${in_netns[@]}" curl -s -o /dev/null --max-time 30 \
  "http://$stream_host:$port/stream?phases=$((rate_kb * 1024)):25" &
pids+=($!)
sleep 12
widths=()
for i in 1 2 3; do
  import -window root "$workdir/shot.png"
  widths+=($(gauge_fill "$workdir/shot.png" $((wx + 524)) $((wy + 210))))
  sleep 1
done
expected=$((rate_kb * 175 / 200))
echo "receive gauge fill widths: ${widths[*]} (expected about $expected px)"
for width in "${widths[@]}"; do
  ((width >= expected - 10 && width <= expected + 10)) || fail "gauge shows ${widths[*]} px for ${rate_kb} KB/s"
done

# A left click on the tray icon hides the window.
click_wine_tray() {
  eval "$(xdotool getwindowgeometry --shell "$(wine_tray_icon)")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}
click_wine_tray
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^KIV\$'" || fail "tray click did not hide the window"
echo "tray icon hides the window"

# A second click shows it again. Wine's icon window takes a click only after the pointer
# has come onto it, so the pointer leaves the icon first.
xdotool mousemove 10 10
sleep 1
click_wine_tray
wait_for 10 visible_window KIV || fail "a second tray click did not show the window again"
echo "a second click shows it again"
