#!/usr/bin/env bash
# The real program under Xvfb, in a network namespace whose hosts file maps the maker's
# web server to 127.0.0.1. With the shipped pages served there, both placeholders give
# way to the pages; with no server, the lower placeholder shows its three lines.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
host=$(sed -n 's/.*webServer = QStringLiteral("\([^"]*\)").*/\1/p' "$root/src/main/hosts.h")
[[ -n "$host" ]] || fail "no web server host in src/main/hosts.h"
start_session
start_netns
add_host "$host"

# The number of bands of rows holding anything but the background colour.
ink_bands() { # FILE X Y W H R,G,B
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- | python3 -c '
import re, sys
background = tuple(int(v) for v in sys.argv[1].split(","))
inked = set()
for line in sys.stdin:
    m = re.match(r"(\d+),(\d+): \((\d+),(\d+),(\d+)", line)
    if m and tuple(int(v) for v in m.groups()[2:]) != background:
        inked.add(int(m.group(2)))
print(sum(1 for y in inked if y - 1 not in inked))' "$6"
}

start_tarvo() {
  "${in_netns[@]}" "$tarvo" >"$workdir/tarvo$1.log" 2>&1 &
  tarvo_pid=$!
  pids+=("$tarvo_pid")
  wait_for 15 visible_window KIV || fail "the main window did not appear"
  eval "$(xdotool getwindowgeometry --shell "$(visible_window KIV)")"
  wx=$X wy=$Y
}

stop_tarvo() {
  kill "$tarvo_pid"
  wait "$tarvo_pid" 2>/dev/null || true
}

# ---- the maker's server answers ----
"${in_netns[@]}" python3 "$root/scripts/serve-web.py" --bind 127.0.0.1 --port 80 \
  >"$workdir/web.log" 2>&1 &
server=$!
pids+=("$server")
wait_for 10 "${in_netns[@]}" curl -sf -o /dev/null "http://$host/kiv.php?version=1.5" ||
  fail "the local web server did not start"

start_tarvo 1
banner_page="11,61,92"    # the banner page's background (#0b3d5c)
info_page="238,245,251"   # the information page's background (#eef5fb)
shows_pages() {
  import -window root "$workdir/pages.png"
  [[ "$(main_colour "$workdir/pages.png" $((wx + 1)) $((wy + 23)) 724 88)" == "$banner_page" ]] &&
    [[ "$(main_colour "$workdir/pages.png" $((wx + 24)) $((wy + 378)) 480 80)" == "$info_page" ]]
}
wait_for 20 shows_pages || fail "the pages did not replace the placeholders (banner area \
$(main_colour "$workdir/pages.png" $((wx + 1)) $((wy + 23)) 724 88), lower area \
$(main_colour "$workdir/pages.png" $((wx + 24)) $((wy + 378)) 480 80))"
echo "both placeholders gave way: banner page and information page shown"
stop_tarvo

# ---- no server ----
kill "$server"
wait "$server" 2>/dev/null || true
start_tarvo 2
placeholder="114,170,240" # Picture2's back colour
three_lines() {
  import -window root "$workdir/offline.png"
  [[ "$(ink_bands "$workdir/offline.png" $((wx + 24)) $((wy + 378)) 480 80 "$placeholder")" == 3 ]]
}
wait_for 20 three_lines ||
  fail "the lower placeholder shows $(ink_bands "$workdir/offline.png" $((wx + 24)) $((wy + 378)) 480 80 "$placeholder") lines, not 3"
sleep 1 # nothing more is printed
import -window root "$workdir/offline.png"
bands=$(ink_bands "$workdir/offline.png" $((wx + 24)) $((wy + 378)) 480 80 "$placeholder")
[[ "$bands" == 3 ]] || fail "the lower placeholder went on to $bands lines"
upper=$(main_colour "$workdir/offline.png" $((wx + 1)) $((wy + 23)) 724 88)
[[ "$upper" != "$banner_page" ]] || fail "the banner placeholder went away without a server"
echo "without a server: three lines in the lower placeholder, the banner placeholder stays"
stop_tarvo
