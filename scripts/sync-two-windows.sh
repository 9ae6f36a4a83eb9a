#!/usr/bin/env bash
# Two machines' Pernard windows synced through one WebDAV server, as their users would do it:
# each program runs with a home and a display of its own, a lighttpd with mod_webdav on
# 127.0.0.1 holds the shared file, and a browser extension's client rewrites that file in its own
# bytes between the runs. Both windows link their collections, make their first sync (結合),
# edit, and sync again, driven by the keys a user presses (scripts/sync_two_windows.py); at the
# end both windows, both bookmark files and the server's file must hold the same collection,
# nothing lost or doubled. Bounded in time; stops everything it started.
#
#   scripts/sync-two-windows.sh [PROGRAM]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/pernard}")
if [ "${2:-}" != "--inside" ]; then
  command -v lighttpd >/dev/null || { echo "lighttpd is not installed" >&2; exit 1; }
  exec timeout -k 10 300 env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS -u QT_QPA_PLATFORM \
    -u DISPLAY dbus-run-session -- "$0" "$program" --inside
fi
work=$(mktemp -d)
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap stop EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
source scripts/webdav-server.sh
start_webdav "$work"
port=$webdav_port
mkdir -p "$work/dav/shared"

# Machine A: a copy of the sample collection (Shift_JIS); machine B: a small file of its own.
mkdir -p "$work/a/home" "$work/a/config/Tesvel" "$work/b/home" "$work/b/config/Tesvel"
cp examples/bookmark.htm "$work/a/bookmarks.htm"
cat >"$work/b/bookmarks.htm" <<'EOF'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
<DT><H3>家族</H3>
<DL><p>
<DT><A HREF="https://example.jp/family/" TAGS="家">家族の写真</A>
</DL><p>
<DT><A HREF="https://www.nhk.or.jp/">NHK ニュース</A>
<DT><A HREF="mailto:me@example.jp">メール</A>
</DL><p>
EOF
for machine in a b; do
  cat >"$work/$machine/config/Tesvel/Common.conf" <<EOF
[Sync]
Links=1
Link1.Local=$work/$machine/bookmarks.htm
Link1.Folder=http://127.0.0.1:$port/shared/
Link1.File=bookmarks.xbel
Link1.OnStart=7
Link1.AfterChange=7
Link1.Interval=0
EOF
done

start_display() {
  Xvfb -displayfd 3 -screen 0 1280x900x24 3>"$work/display-$1" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$work/display-$1" ] && break; sleep 0.1; done
  echo ":$(cat "$work/display-$1")"
}
display_a=$(start_display a)
display_b=$(start_display b)
for machine in a b; do
  display=$display_a
  [ $machine = b ] && display=$display_b
  DISPLAY=$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 HOME="$work/$machine/home" \
    XDG_CONFIG_HOME="$work/$machine/config" XDG_DATA_HOME="$work/$machine/data" \
    "$program" "$work/$machine/bookmarks.htm" >"$work/$machine/program.log" 2>&1 &
  pids+=($!)
  eval "pid_$machine=$!"
done

cli=$(dirname "$program")/pernard-cli
timeout -k 5 240 /usr/bin/python3 scripts/sync_two_windows.py \
  --display-a "$display_a" --pid-a "$pid_a" --file-a "$work/a/bookmarks.htm" \
  --display-b "$display_b" --pid-b "$pid_b" --file-b "$work/b/bookmarks.htm" \
  --shared "$work/dav/shared/bookmarks.xbel" --cli "$cli"
