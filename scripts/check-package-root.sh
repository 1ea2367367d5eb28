#!/usr/bin/env bash
# Checks the Debian package as a new user meets it: in a clean Debian 12 root (debootstrap's
# minimal base) that gets only the package's Depends, it installs, runs (its window with
# Chinese text, its tray icon, both web panes through its page helper, the system's ping)
# and purges without leaving a file behind.
#
#   scripts/check-package-root.sh [path/to/tarvo_VERSION_amd64.deb]
#
# Without an argument it builds the package first (scripts/package-deb.sh). Needs root
# and Debian's archive; the program runs in a network namespace of its own, with the
# shipped pages served on 127.0.0.1 there, under Xvfb with trayer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/install-deps.sh debootstrap
if [[ -n "${1:-}" ]]; then
  deb=$(realpath "$1")
else
  bash scripts/package-deb.sh >/dev/null
  deb=$(ls build/deb/tarvo_*_amd64.deb | tail -n 1)
fi
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
mirror=${mirror:-$(sed -n 's/^deb \(http[^ ]*\) bookworm .*/\1/p' /etc/apt/sources.list | head -n 1)}

source tests/e2e/xsession.sh
root=$(mktemp -d /var/tmp/tarvo-root.XXXXXX)
unmount_root() {
  local m
  for m in tmp/.X11-unix dev/pts dev sys proc; do umount -l "$root/$m" 2>/dev/null || true; done
  rm -rf "$root"
}
trap 'unmount_root; stop_session' EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "debootstrap bookworm (minbase) from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$workdir/debootstrap.log" 2>&1 ||
  { tail -n 20 "$workdir/debootstrap.log"; fail "debootstrap"; }
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
in_root apt-get -qq update
snapshot() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./sys -o -path ./dev -o -path ./tmp \
    -o -path ./run -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg \
    -o -path ./var/log -o -path ./root \) -prune -o -print | sort)
}
snapshot >"$workdir/before"

cp "$deb" "$root/tmp/tarvo.deb"
DEBIAN_FRONTEND=noninteractive in_root apt-get -qq install -y --no-install-recommends \
  /tmp/tarvo.deb >"$workdir/install.log" 2>&1 || { tail -n 20 "$workdir/install.log"; fail "install"; }
[[ -x "$root/usr/libexec/tarvo/tarvo-web" ]] || fail "no /usr/libexec/tarvo/tarvo-web"
echo "installed with only its Depends: $(in_root dpkg-query -W -f='${Depends}' tarvo)"

# The maker's web server answers on 127.0.0.1 in the namespace; the root's own hosts file
# sends the pages' host there (the program resolves inside the root).
host=$(sed -n 's/.*webServer = QStringLiteral("\([^"]*\)").*/\1/p' src/main/hosts.h)
cp -a "$root/etc/hosts" "$workdir/hosts" 2>/dev/null || true
printf '127.0.0.1\tlocalhost\n127.0.0.1\t%s\n' "$host" >"$root/etc/hosts"
start_session
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
start_netns
"${in_netns[@]}" python3 scripts/serve-web.py --bind 127.0.0.1 --port 80 >"$workdir/web.log" 2>&1 &
pids+=("$!")
wait_for 10 "${in_netns[@]}" curl -sf -o /dev/null "http://127.0.0.1/kiv.php?version=1.5" ||
  fail "the local web server did not start"

"${in_netns[@]}" chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 \
  DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/tmp tarvo >"$workdir/tarvo.log" 2>&1 &
tarvo_pid=$!
pids+=("$tarvo_pid")
wait_for 20 visible_window KIV || fail "no window: $(cat "$workdir/tarvo.log")"
eval "$(xdotool getwindowgeometry --shell "$(visible_window KIV)")"
wx=$X wy=$Y
wait_for 10 tray_icon || fail "no tray icon"
# The pages' own backgrounds fill both panes: the banner's #0b3d5c, the box's #eef5fb.
main_colour_is() { # X Y W H R,G,B
  convert "$workdir/shot.png" -crop "$3x$4+$1+$2" +repage -depth 8 -format %c histogram:info:- |
    sort -rn | head -n 1 | grep -q "($5)"
}
shows_pages() {
  import -window root "$workdir/shot.png"
  main_colour_is $((wx + 1)) $((wy + 23)) 724 88 11,61,92 &&
    main_colour_is $((wx + 24)) $((wy + 378)) 480 80 238,245,251
}
wait_for 20 shows_pages || {
  cp "$workdir/shot.png" /tmp/tarvo-package-root.png
  fail "the pages did not show (screenshot: /tmp/tarvo-package-root.png): $(cat "$workdir/tarvo.log")"
}
# Chinese text in the window: the title bar's caption and the labels draw glyphs of the
# font the package depends on; without it they would be boxes or nothing.
colours=$(convert "$workdir/shot.png" -crop "728x472+$wx+$wy" +repage -colors 256 -format %k info:)
((colours > 20)) || fail "the window looks empty ($colours colours)"
in_root fc-match -f '%{family}\n' 'sans:lang=zh-cn' | grep -qi 'WenQuanYi' ||
  fail "no Chinese font in the root"
"${in_netns[@]}" chroot "$root" ping -n -c 1 -W 1 127.0.0.1 >/dev/null || fail "ping does not run"
echo "runs: window, tray icon, both panes through the helper, Chinese font, ping"
kill "$tarvo_pid"
wait "$tarvo_pid" 2>/dev/null || true

DEBIAN_FRONTEND=noninteractive in_root apt-get -qq purge -y --autoremove tarvo >/dev/null
rm -f "$root/tmp/tarvo.deb"
rm -f "$root/etc/hosts"
[[ ! -e "$workdir/hosts" ]] || cp -a "$workdir/hosts" "$root/etc/hosts"
snapshot >"$workdir/after"
diff "$workdir/before" "$workdir/after" || fail "the purge left files behind (above)"
echo "PASS: $(basename "$deb") installs, runs and purges clean in a fresh Debian 12 root"
