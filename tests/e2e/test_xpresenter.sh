#!/usr/bin/env bash
# The X presenter under Xvfb: what the server shows for a surface widget equals its
# retained image after scrolls, strips, covering, exposure and a lost connection.
command -v Xvfb >/dev/null || { echo "SKIP: no Xvfb"; exit 77; }
source "$(dirname "$0")/xsession.sh"
start_session
QT_QPA_PLATFORM=xcb "$1" || fail "the shown pixels differ from the retained image"
