#!/usr/bin/env bash
# Builds Pernard and starts it. With no argument and no start-up collection configured yet, it
# opens the sample collection in examples/. Any argument (a bookmark file or a Favorites
# directory) is read instead of the configured collection.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -- -j"$(nproc 2>/dev/null || echo 2)"

settings="${XDG_CONFIG_HOME:-$HOME/.config}/Tesvel/Common.conf"
if [ $# -eq 0 ] && ! grep -qE '^fmBookmark\.(Bookmark1|IE1)=.+' "$settings" 2>/dev/null; then
  set -- "$PWD/examples/bookmark.htm"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: run it under Xvfb instead, for example:"
  echo "    xvfb-run -a build/pernard $*"
  exit 1
fi
exec build/pernard "$@"
