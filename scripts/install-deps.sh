#!/usr/bin/env bash
# Installs every Debian package Tarvo needs to build, run and test, and any packages
# named as arguments (the Windows build's). Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgumbo-dev libseccomp-dev libbenchmark-dev
  fonts-wqy-microhei
  iputils-ping iproute2
  python3 python3-pil curl
  xvfb xauth trayer xdotool imagemagick x11-utils
  desktop-file-utils
  at-spi2-core dbus gir1.2-atspi-2.0 python3-gi
  # a Wayland session for the end-to-end test: weston with XWayland, and Qt's Wayland
  # plugin, which Qt would pick there unless Tarvo chose XWayland itself
  weston xwayland qt6-wayland libglib2.0-bin
  libxcb1-dev
  debhelper dpkg-dev lintian appstream  # the Debian package and its checks
  "$@"
)

apt_get() { apt-get -o DPkg::Lock::Timeout=300 "$@"; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt_get update
  apt_get install -y --no-install-recommends "${missing[@]}"
fi
