#!/usr/bin/env bash
# Builds Tarvo with its tests under AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer in a build folder of its own, and runs every suite; any
# finding fails its test. What is not ours (system libraries) is suppressed in
# scripts/sanitizers/. The web pages' helper gets no address-space limit here (the
# sanitizers reserve terabytes of it); the test of that limit is skipped. Not part of CI:
# on two cores it takes a long while.
#   scripts/test-sanitizers.sh [ctest arguments, e.g. -R test_web]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DTARVO_HELPER_MEMORY_MIB=0
cmake --build build/sanitize

supp="$PWD/scripts/sanitizers"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
# Every test runs far slower under the sanitizers.
ctest --test-dir build/sanitize --output-on-failure --timeout 1800 "$@"
