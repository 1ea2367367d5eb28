#!/usr/bin/env bash
# Installs what Tarvo needs, builds it with its tests and runs the whole suite: the Linux
# build, then the Windows build and its suites under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/test
ctest --test-dir build/test --output-on-failure --timeout 600 "$@"

bash scripts/build-windows.sh --test
