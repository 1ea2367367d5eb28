#!/usr/bin/env bash
# The real program from the keyboard alone: Tab reaches the hide button and Space or
# Enter presses it; the window goes to the tray and a tray click brings it back.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
start_session
start_netns

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
wait_for 10 tray_icon || fail "no tray icon in the notification area"

# press_until_hidden KEY: Tab to the next control and press KEY there, until the
# window hides (the key does nothing on controls that are not buttons).
press_until_hidden() {
  local win tab
  win=$(visible_window KIV)
  xdotool windowfocus --sync "$win"
  for tab in $(seq 1 12); do
    xdotool key --window "$win" Tab
    xdotool key --window "$win" "$1"
    if wait_for 1 bash -c "! xdotool search --onlyvisible --name '^KIV\$'"; then
      echo "$1 after $tab Tab(s) hid the window"
      return 0
    fi
  done
  return 1
}

for key in space Return; do
  press_until_hidden "$key" || fail "Tab and $key never reached the hide button"
  xdotool search --class '^tarvo$' >/dev/null || fail "the tray icon left with the window"
  click_tray
  wait_for 5 visible_window KIV || fail "a tray click did not bring the window back"
done
