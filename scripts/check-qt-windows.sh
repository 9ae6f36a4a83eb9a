#!/usr/bin/env bash
# Builds scripts/qt-windows-check (a QApplication with a Japanese QLabel) against the Windows
# Qt of scripts/build-qt-windows.sh and runs it under Wine with the offscreen platform; exits 0
# when it started, showed its label and loaded Qt's Japanese messages. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
qt=$(scripts/build-qt-windows.sh --print)
if [[ ! -f $qt/.complete ]]; then
    echo "check-qt-windows: no Windows Qt in $qt yet (scripts/build-qt-windows.sh)" >&2
    exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/pernard-qt-check.XXXXXX")
export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# qt-cmake brings the toolchain the Qt was built with and the host Qt for moc.
"$qt/bin/qt-cmake" -S scripts/qt-windows-check -B "$work/build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 ||
    { tail -30 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log" >&2; exit 1; }
cp "$qt/translations/qtbase_ja.qm" "$work/build/"
echo "check-qt-windows: hello.exe is $(du -h "$work/build/hello.exe" | cut -f1)"
cd "$work/build"
QT_QPA_PLATFORM=offscreen "$wine" hello.exe
