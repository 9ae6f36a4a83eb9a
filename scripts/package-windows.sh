#!/usr/bin/env bash
# Makes build-mingw/pernard-cli-VERSION-win64.zip from the Windows build (scripts/build-windows.sh):
# pernard-cli.exe, a README in Japanese and the licences of everything linked into it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-mingw
deps=$build/deps/src
version=$(sed -n 's/^project(Pernard VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=pernard-cli-$version-win64
stage=$build/package/$name

[[ -f $build/pernard-cli.exe ]] || scripts/build-windows.sh
rm -rf "$build/package" "$build/$name.zip"
mkdir -p "$stage/licenses"
x86_64-w64-mingw32-strip -o "$stage/pernard-cli.exe" "$build/pernard-cli.exe"
# Windows' Notepad and console read the texts best with CR LF line ends.
crlf() { sed 's/\r\?$/\r/' "$1" >"$2"; }
crlf data/windows/README-ja.txt "$stage/README-ja.txt"
crlf "$deps/curl/COPYING" "$stage/licenses/curl.txt"
crlf "$deps/icu/LICENSE" "$stage/licenses/icu.txt"
crlf "$deps/nettle/COPYING.LESSERv3" "$stage/licenses/nettle-LGPL-3.txt"
crlf "$deps/nettle/COPYINGv3" "$stage/licenses/nettle-GPL-3.txt"
crlf "$deps/simdjson/LICENSE" "$stage/licenses/simdjson.txt"
crlf "$deps/uriparser/COPYING" "$stage/licenses/uriparser.txt"
crlf "$deps/utf8proc/LICENSE.md" "$stage/licenses/utf8proc.txt"
printf 'SQLite is in the public domain: https://www.sqlite.org/copyright.html\n' >"$stage/licenses/sqlite.txt"
crlf /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
(cd "$build/package" && zip -qr9 "../$name.zip" "$name")
echo "$build/$name.zip"
