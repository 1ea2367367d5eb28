#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop finds there: the
# program, a valid launcher and autostart entry, and the icon at every theme size.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

[[ -x "$prefix/bin/tarvo" ]] || fail "no bin/tarvo"
# The web pages' helper is internal: under libexec, not on the search path.
[[ -x "$prefix/libexec/tarvo/tarvo-web" ]] || fail "no libexec/tarvo/tarvo-web"
[[ ! -e "$prefix/bin/tarvo-web" ]] || fail "tarvo-web is on the search path"
launcher="$prefix/share/applications/tarvo.desktop"
autostart="$prefix/etc/xdg/autostart/tarvo.desktop"
for entry in "$launcher" "$autostart"; do
  [[ -f "$entry" ]] || fail "missing $entry"
  desktop-file-validate "$entry" || fail "$entry does not validate"
  grep -qx 'Exec=tarvo' "$entry" || fail "$entry does not start bin/tarvo"
  grep -qx 'Icon=tarvo' "$entry" || fail "$entry does not name the icon"
done
grep -qx 'Name=Tarvo' "$launcher" || fail "the launcher is not named Tarvo"
grep -q '^Name\[zh_CN\]=.*网络' "$launcher" || fail "no Chinese name"
grep -q '^Comment\[zh_CN\]=' "$launcher" || fail "no Chinese comment"
grep -Eq '^Categories=(.*;)?Network;(.*;)?Monitor;' "$launcher" || fail "categories"

for size in 16 32 48 128; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tarvo.png"
  [[ -f "$icon" ]] || fail "no ${size}px icon"
  [[ "$(identify -format '%wx%h' "$icon")" == "${size}x${size}" ]] || fail "${size}px icon has the wrong size"
done
svg="$prefix/share/icons/hicolor/scalable/apps/tarvo.svg"
[[ -f "$svg" ]] || fail "no scalable icon"
grep -q '<svg' "$svg" || fail "the scalable icon is not SVG"
# Installed system-wide, the autostart entry goes where sessions look: /etc/xdg.
stage=$prefix/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr/local >/dev/null
[[ -f "$stage/etc/xdg/autostart/tarvo.desktop" ]] || fail "a /usr/local install has no /etc/xdg autostart entry"
[[ -f "$stage/usr/local/share/applications/tarvo.desktop" ]] || fail "a /usr/local install has no launcher"

echo "PASS: installed into $prefix"
