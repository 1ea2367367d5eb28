#!/usr/bin/env bash
# Installs what Tarvo needs, builds it and starts it. Without a display it runs under
# Xvfb with a notification area host, so it starts anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF
cmake --build build/run --target tarvo

if [[ -n "${DISPLAY:-}" ]]; then
  exec build/run/src/main/tarvo
fi
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 &
  tray=$!
  trap "kill $tray 2>/dev/null" EXIT
  build/run/src/main/tarvo'
