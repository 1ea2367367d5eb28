#!/usr/bin/env bash
# What a screen reader finds in the real program: the session's accessibility bus is
# read with AT-SPI; the gauges are progress bars named by their captions with their
# values, the totals and the status line are labels with their text.
source "$(dirname "$0")/xsession.sh"
tarvo=$1
here=$(cd "$(dirname "$0")" && pwd)
start_session
start_netns

# The session bus and the accessibility bus live inside the namespace with the
# program: their abstract sockets are per namespace.
"${in_netns[@]}" dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" >"$2/tarvo.log" 2>&1 &
  tarvo=$!
  sleep 3 # a few sampling ticks fill the totals
  /usr/bin/python3 "$3/a11y_tree.py" tarvo 20 >"$2/tree.txt" 2>"$2/tree.err"
  status=$?
  kill $tarvo 2>/dev/null
  exit $status' _ "$tarvo" "$workdir" "$here" || fail "no accessibility tree: $(cat "$workdir/tree.err")"

tree="$workdir/tree.txt"
cat "$tree"
grep -qP '^\d+\tlabel\t接收数据量：[0-9,]+ KB\t' "$tree" || fail "no receive total label"
grep -qP '^\d+\tlabel\t发送数据量：[0-9,]+ KB\t' "$tree" || fail "no send total label"
grep -qP '^\d+\tlabel\t网络状态：' "$tree" || fail "no status line"
grep -qP '^\d+\t[^\t]+\t(网络延迟(小|较小|较大|大)！|请检查网络)\t' "$tree" || fail "no verdict"
bars=$(grep -cP '^\d+\tprogress bar\t' "$tree" || true)
[[ "$bars" == 3 ]] || fail "$bars progress bars, not 3"
# The gauges in their order: latency score, receive rate, send rate; each is named by
# its caption, which carries its value.
receive=$(grep -P '^\d+\tprogress bar\t' "$tree" | sed -n 2p)
IFS=$'\t' read -r _ _ name value <<<"$receive"
[[ "$name" =~ ^([0-9]+)\ KB/S$ ]] || fail "the receive gauge is named '$name'"
[[ "${BASH_REMATCH[1]}" == "$value" ]] || fail "the receive gauge shows $name but reports $value"
echo "receive gauge: '$name', value $value"
