#!/usr/bin/env bash
# Makes the Windows packages from the Windows build (scripts/build-windows.sh), in build-mingw/:
#   - with the desktop program built (--qt): pernard-VERSION-win64.zip (pernard.exe,
#     pernard-cli.exe, the reference page, a README in Japanese, the licences, Pernard's source
#     for relinking against another Qt) and pernard-VERSION-win64-setup.exe, an installer made
#     with NSIS (data/windows/pernard.nsi) from the same files;
#   - without it: pernard-cli-VERSION-win64.zip (pernard-cli.exe, its README, its licences).
# Prints the paths of what it made.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-mingw
deps=$build/deps/src
version=$(sed -n 's/^project(Pernard VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
desktop=
[[ -f $build/pernard.exe ]] && desktop=1
if [[ -n $desktop ]]; then name=pernard-$version-win64; else name=pernard-cli-$version-win64; fi
stage=$build/package/$name

[[ -f $build/pernard-cli.exe ]] || scripts/build-windows.sh
rm -rf "$build/package" "$build/$name.zip" "$build/$name-setup.exe"
mkdir -p "$stage/licenses"
x86_64-w64-mingw32-strip -o "$stage/pernard-cli.exe" "$build/pernard-cli.exe"
# Windows' Notepad and console read the texts best with CR LF line ends.
crlf() { sed 's/\r\?$/\r/' "$1" >"$2"; }
if [[ -n $desktop ]]; then
    x86_64-w64-mingw32-strip -o "$stage/pernard.exe" "$build/pernard.exe"
    cp ui/help/pernard.htm "$stage/pernard.htm"
    cat data/windows/README-desktop-ja.txt <(printf '\npernard-cli\n-----------\n') \
        <(tail -n +4 data/windows/README-ja.txt) >"$build/package/README-ja.txt"
    crlf "$build/package/README-ja.txt" "$stage/README-ja.txt"
    qt_src=$(dirname "$(scripts/build-qt-windows.sh --print)")/src/qt6-base-6.4.2+dfsg
    crlf "$qt_src/LICENSES/LGPL-3.0-only.txt" "$stage/licenses/qt-LGPL-3.txt"
    crlf "$qt_src/LICENSES/GPL-3.0-only.txt" "$stage/licenses/qt-GPL-3.txt"
    crlf data/windows/qt-relink-ja.txt "$stage/licenses/qt-relink-ja.txt"
    crlf "$qt_src/src/3rdparty/freetype/docs/FTL.TXT" "$stage/licenses/freetype.txt"
    crlf "$qt_src/src/3rdparty/harfbuzz-ng/COPYING" "$stage/licenses/harfbuzz.txt"
    crlf "$qt_src/src/3rdparty/libpng/LICENSE" "$stage/licenses/libpng.txt"
    crlf "$qt_src/src/3rdparty/zlib/LICENSE" "$stage/licenses/zlib.txt"
    crlf "$qt_src/src/3rdparty/pcre2/LICENCE" "$stage/licenses/pcre2.txt"
    keychain_src=$(dirname "$(scripts/build-qtkeychain-windows.sh --print)")/src
    crlf "$keychain_src/COPYING" "$stage/licenses/qtkeychain.txt"
    # Pernard's own source, to build it again against a changed Qt.
    mkdir -p "$stage/source"
    git archive --format=tar --prefix="pernard-$version/" HEAD |
        xz -T2 -6 >"$stage/source/pernard-$version-src.tar.xz"
else
    crlf data/windows/README-ja.txt "$stage/README-ja.txt"
fi
crlf "$deps/curl/COPYING" "$stage/licenses/curl.txt"
crlf "$deps/icu/LICENSE" "$stage/licenses/icu.txt"
crlf "$deps/nettle/COPYING.LESSERv3" "$stage/licenses/nettle-LGPL-3.txt"
crlf "$deps/nettle/COPYINGv3" "$stage/licenses/nettle-GPL-3.txt"
crlf "$deps/simdjson/LICENSE" "$stage/licenses/simdjson.txt"
crlf "$deps/libzstd/LICENSE" "$stage/licenses/zstd.txt"
crlf "$deps/uriparser/COPYING" "$stage/licenses/uriparser.txt"
crlf "$deps/utf8proc/LICENSE.md" "$stage/licenses/utf8proc.txt"
printf 'SQLite is in the public domain: https://www.sqlite.org/copyright.html\n' >"$stage/licenses/sqlite.txt"
crlf /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
(cd "$build/package" && zip -qr9 "../$name.zip" "$name")
echo "$build/$name.zip"
if [[ -n $desktop ]]; then
    # The uninstaller's list: each installed file by name.
    (cd "$stage" && find . -type f | sed 's|^\./||' | sort |
        sed 's|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|') >"$stage.files.nsh"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" -DICON="$PWD/data/windows/pernard.ico" \
        -DOUTFILE="$(realpath "$build")/$name-setup.exe" data/windows/pernard.nsi >&2
    echo "$build/$name-setup.exe"
fi
