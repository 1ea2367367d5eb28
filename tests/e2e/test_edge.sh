#!/usr/bin/env bash
# What a user's machine moves at once, and what the gauges must show of it: a container
# behind a bridge downloading 40 KB/s through the machine, a full-tunnel VPN (a TUN
# device carried in UDP across the machine's link) downloading 40 KB/s, and 100 KB/s
# between two programs on loopback. Only what crosses the machine's link counts, once:
# the receive gauge shows about 80 KB/s and the headers on the link, the send gauge only
# acknowledgements.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
here=$(dirname "$0")
start_session
start_netns

# The container: a namespace of its own behind a bridge in the program's namespace,
# which forwards its traffic to the network.
container="$netns-c"
stop_edge() { ip netns del "$container" 2>/dev/null || true; stop_session; }
trap stop_edge EXIT
ip netns add "$container"
ip -n "$netns" link add br-c type bridge
ip -n "$netns" link add vc0 type veth peer name vc1 netns "$container"
ip -n "$netns" link set vc0 master br-c
ip -n "$netns" addr add 198.51.100.1/24 dev br-c
ip -n "$container" addr add 198.51.100.2/24 dev vc1
for link in br-c vc0; do ip -n "$netns" link set "$link" up; done
ip -n "$container" link set lo up
ip -n "$container" link set vc1 up
ip -n "$container" route add default via 198.51.100.1
ip netns exec "$netns" sysctl -qw net.ipv4.ip_forward=1
ip -n "$network" route add 198.51.100.0/24 via 192.0.2.1

# The VPN: tun0 in the program's namespace, tun1 in the network, packets wrapped in UDP
# between 192.0.2.1 and 192.0.2.2.
"${in_netns[@]}" python3 "$here/tun_relay.py" tun0 192.0.2.1:5000 192.0.2.2:5000 \
  --lifetime 100 >"$workdir/tun0.log" 2>&1 &
pids+=($!)
"${in_network[@]}" python3 "$here/tun_relay.py" tun1 192.0.2.2:5000 192.0.2.1:5000 \
  --lifetime 100 >"$workdir/tun1.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q ready "$workdir/tun0.log" || fail "no tunnel: $(cat "$workdir/tun0.log")"
wait_for 10 grep -q ready "$workdir/tun1.log" || fail "no tunnel: $(cat "$workdir/tun1.log")"
ip -n "$netns" addr add 203.0.113.2/30 dev tun0
ip -n "$network" addr add 203.0.113.1/30 dev tun1
# A VPN's own MTU, so that its wrapped packets fit the link unfragmented.
ip -n "$netns" link set tun0 mtu 1400 up
ip -n "$network" link set tun1 mtu 1400 up

# One stream server in the network for the container and the VPN, one on loopback.
port=$((20000 + RANDOM % 20000))
"${in_network[@]}" python3 "$here/steady_http.py" "$port" --bind 0.0.0.0 --lifetime 90 \
  >"$workdir/http.log" 2>&1 &
pids+=($!)
"${in_netns[@]}" python3 "$here/steady_http.py" "$port" --lifetime 90 >"$workdir/lo.log" 2>&1 &
pids+=($!)
wait_for 10 ip netns exec "$container" curl -s -m 2 -o /dev/null "http://192.0.2.2:$port/" ||
  fail "the container does not reach the network"
wait_for 10 "${in_netns[@]}" curl -s -m 2 -o /dev/null "http://203.0.113.1:$port/" ||
  fail "the VPN does not reach the network"
wait_for 10 "${in_netns[@]}" curl -s -m 2 -o /dev/null "http://127.0.0.1:$port/" ||
  fail "the loopback server did not start"

"${in_netns[@]}" "$tarvo" >"$workdir/tarvo.log" 2>&1 &
pids+=($!)
wait_for 15 visible_window KIV || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$(visible_window KIV)")"
wx=$X wy=$Y

stream() { echo "http://$1:$port/stream?rate=$(($2 * 1024))&seconds=40"; }
ip netns exec "$container" curl -s -o /dev/null --max-time 45 "$(stream 192.0.2.2 40)" &
pids+=($!)
"${in_netns[@]}" curl -s -o /dev/null --max-time 45 "$(stream 203.0.113.1 40)" &
pids+=($!)
"${in_netns[@]}" curl -s -o /dev/null --max-time 45 "$(stream 127.0.0.1 100)" &
pids+=($!)

# Gauges: 175 pixels for 200 KB/s. Receive about 86 KB/s, within 8 KB/s: the 80 KB/s
# and the headers on the link (Ethernet, IP and TCP, and the VPN's UDP wrapping; the
# streams come in 50 ms slices of two packets). Send: only the acknowledgements, under
# 10 KB/s.
sleep 14
received=() sent=()
for i in 1 2 3 4 5; do
  import -window root "$workdir/shot.png"
  received+=($(gauge_fill "$workdir/shot.png" $((wx + 524)) $((wy + 210))))
  sent+=($(gauge_fill "$workdir/shot.png" $((wx + 522)) $((wy + 260))))
  sleep 1
done
echo "receive gauge: ${received[*]} px; send gauge: ${sent[*]} px"
expected=$((86 * 175 / 200))
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
r=$(median "${received[@]}") s=$(median "${sent[@]}")
((r >= expected - 7 && r <= expected + 7)) || fail "receive shows $r px, not about $expected px"
((s <= 9)) || fail "send shows $s px for acknowledgements only"
echo "PASS"
