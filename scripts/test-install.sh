#!/usr/bin/env bash
# Installs the build into a staging directory and checks what a user would get: the layout,
# the desktop entry and AppStream file against their validators, the installed programs on the
# sample collection, the manual pages against --help, and the Debian package's contents.
set -euo pipefail
cd "$(dirname "$0")/.."

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install build --prefix /usr >/dev/null

passes=0
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}" >/dev/null 2>&1; then
    echo "ok   $1"
    passes=$((passes + 1))
  else
    echo "FAIL $1"
    failures=$((failures + 1))
  fi
}

for file in bin/pernard bin/pernard-cli share/pernard/pernard.htm \
    share/applications/org.pernard.Pernard.desktop \
    share/metainfo/org.pernard.Pernard.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.pernard.Pernard.svg \
    share/man/man1/pernard.1 share/man/man1/pernard-cli.1; do
  check "installed $file" test -f "$stage/usr/$file"
done
check "desktop entry validates" desktop-file-validate "$stage/usr/share/applications/org.pernard.Pernard.desktop"
check "no hints for the desktop entry" test -z "$(desktop-file-validate "$stage/usr/share/applications/org.pernard.Pernard.desktop")"
check "AppStream file validates" appstreamcli validate --no-net "$stage/usr/share/metainfo/org.pernard.Pernard.metainfo.xml"
check "installed pernard-cli lists the sample" \
  bash -c "'$stage/usr/bin/pernard-cli' list examples/bookmark.htm | grep -q 'Google'"
check "pernard --help needs no display" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/usr/bin/pernard" --help
for option in $("$stage/usr/bin/pernard-cli" --help | grep -o -- '--[a-z-]*' | sort -u); do
  check "pernard-cli(1) names $option" grep -q -- "${option//-/\\\\-}" "$stage/usr/share/man/man1/pernard-cli.1"
done
(cd build && cpack -G DEB >/dev/null 2>&1)
check "the Debian package holds the programs" bash -c "dpkg-deb -c build/pernard_*_amd64.deb | grep -q './usr/bin/pernard-cli'"
check "the Debian package declares its libraries" bash -c "dpkg-deb -f build/pernard_*_amd64.deb Depends | grep -q libqt6widgets6"

echo "install: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
