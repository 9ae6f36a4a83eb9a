#!/usr/bin/env bash
# Builds everything and runs every test: the whole suite in the normal build, the core tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset default >/dev/null
cmake --build --preset default -- -j"$jobs"
ctest --preset default -j"$jobs"
scripts/test-install.sh

cmake --preset asan >/dev/null
cmake --build --preset asan -- -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j"$jobs"

# Each libFuzzer target for a short while (FUZZ_SECONDS, default 20); any failing input fails.
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
