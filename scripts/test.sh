#!/usr/bin/env bash
# Builds everything and runs every test: the whole suite in the normal build (and a staged
# install, the windows read through the accessibility tree, two windows synced with each other),
# the whole program built for Windows and tested under Wine (its tests, its real window, its installer), then once more, the
# UI's tests included, in one clang build under AddressSanitizer and UndefinedBehaviorSanitizer that also holds the fuzz
# targets, which replay their regression inputs and then fuzz briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)

# Every compiler runs through ccache (its cache is outside the work tree), with paths taken as
# relative to this clone: a fresh clone compiles again only what changed since the last run.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 PERNARD_CCACHE=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake --preset default "${launcher[@]}" >/dev/null
cmake --build --preset default -- -j"$jobs"
ctest --preset default -j"$jobs"
scripts/test-install.sh
# What a screen reader reads of the windows: no English, no unnamed control.
scripts/read-windows.sh >/dev/null
# Two machines' windows synced through one WebDAV server and a browser's client of its file.
scripts/sync-two-windows.sh >/dev/null

# The whole program for Windows (MinGW-w64, on Qt for Windows built from Debian's source), its
# tests under Wine, the real window edited and saved under Xvfb, the zip and the installer's
# round trip: docs/windows.md. The libraries and Qt are built once into ~/.cache/pernard.
PERNARD_JOBS=$jobs scripts/build-windows.sh --qt --test

cmake --preset check "${launcher[@]}" >/dev/null
cmake --build --preset check -- -j"$jobs"
ctest --preset check -j"$jobs"

# Each libFuzzer target for a short while (FUZZ_SECONDS, default 20); any failing input fails.
# The seed is fixed so that this run can be repeated exactly; scripts/fuzz.sh alone draws one.
FUZZ_SEED=${FUZZ_SEED:-1} scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
