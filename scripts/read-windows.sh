#!/usr/bin/env bash
# Reads Pernard's windows through the accessibility tree (AT-SPI), as a screen reader does:
# starts the program on SOURCE (default: the sample collection) under a display, a D-Bus
# session and an accessibility bus of its own, opens the main window's dialogs and windows with
# the keys a user presses and reads each (scripts/read_windows.py). Fails on English text or an
# unnamed control, view or picture, a window of the wrong role or markup read out. Bounded in
# time; stops everything it started.
#
#   scripts/read-windows.sh [SOURCE]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--inside" ]; then
  source_file=$(realpath "${1:-examples/bookmark.htm}")
  # A display and a session bus of its own, whatever the caller has; never longer than this.
  exec timeout -k 10 300 env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS -u QT_QPA_PLATFORM \
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" --inside "$source_file"
fi
source_file=$2
scratch=$(mktemp -d)
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap stop EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$scratch/bus.log" 2>&1 &
pids+=($!)
mkdir -p "$scratch/home" "$scratch/config/Tesvel" "$scratch/dav/open"
# A WebDAV server of its own on 127.0.0.1 and the collection linked to it, so that 今すぐ同期
# shows the first sync's question (answered キャンセル: nothing is written anywhere).
if command -v lighttpd >/dev/null; then
  source scripts/webdav-server.sh
  start_webdav "$scratch"
  port=$webdav_port
  cat >"$scratch/config/Tesvel/Common.conf" <<EOF
[Sync]
Links=1
Link1.Local=$source_file
Link1.Folder=http://127.0.0.1:$port/open/
Link1.File=bookmarks.xbel
Link1.OnStart=7
Link1.AfterChange=7
Link1.Interval=0
EOF
  export PERNARD_READ_SYNC=1
fi
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" \
  build/pernard "$source_file" >"$scratch/program.log" 2>&1 &
pids+=($!)
# The reader waits for the main window itself, and reads again what it could not read.
timeout -k 5 240 /usr/bin/python3 scripts/read_windows.py
