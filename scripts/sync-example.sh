#!/usr/bin/env bash
# The README's sync example, against a WebDAV server of its own: lighttpd with mod_webdav on
# 127.0.0.1 over a temporary folder, user "demo", password "demo". Two machines' bookmark files
# (copies of the sample collection and a small file of their own) are synced through one shared
# file, and a third machine without a file yet takes the collection into a new one; the second
# run of each finds nothing to do. Everything is removed at the end.
#   scripts/sync-example.sh [PATH-TO-pernard-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/pernard-cli}
lighttpd=$(command -v lighttpd || echo /usr/sbin/lighttpd)
if [ ! -x "$lighttpd" ]; then
  echo "lighttpd is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

work=$(mktemp -d)
server_pid=
stop() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

# A free port on 127.0.0.1, and the server on it.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/root/dav" "$work/uploads"
echo "demo:demo" >"$work/users"
cat >"$work/lighttpd.conf" <<CONF
server.document-root = "$work/root"
server.bind = "127.0.0.1"
server.port = $port
server.modules = ("mod_webdav", "mod_auth", "mod_authn_file")
server.errorlog = "$work/error.log"
server.upload-dirs = ("$work/uploads")
mimetype.assign = ("" => "application/octet-stream")
webdav.activate = "enable"
webdav.is-readonly = "disable"
webdav.sqlite-db-name = "$work/webdav.db"
auth.backend = "plain"
auth.backend.plain.userfile = "$work/users"
auth.require = ("/dav/" => ("method" => "basic", "realm" => "Pernard", "require" => "valid-user"))
CONF
"$lighttpd" -D -f "$work/lighttpd.conf" &
server_pid=$!
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

remote="http://127.0.0.1:$port/dav/bookmarks.xbel"
export PERNARD_SYNC_PASSWORD=demo
# What the syncs keep (their states, which file each is linked to) stays in the example's folder.
export XDG_DATA_HOME=$work/data
cp examples/bookmark.htm "$work/pc1.htm"
printf '%s\n' '<!DOCTYPE NETSCAPE-Bookmark-file-1>' \
  '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">' \
  '<TITLE>Bookmarks</TITLE>' '<H1>Bookmarks</H1>' '<DL><p>' \
  '<DT><A HREF="https://www.example.org/">二台目の端末で追加</A>' '</DL><p>' >"$work/pc2.htm"

sync() {
  local file=$1
  shift
  echo "\$ pernard-cli sync $(basename "$file") --remote $remote --user demo $*"
  "$cli" sync "$file" --remote "$remote" --user demo --state "$work/state-$(basename "$file")" "$@"
}

# The first machine sends its collection; the second merges with it; the first takes the
# second's bookmark; then neither has anything left to do.
sync "$work/pc1.htm" --first push
sync "$work/pc2.htm" --dry-run --first merge
sync "$work/pc2.htm" --first merge
sync "$work/pc1.htm"
sync "$work/pc1.htm" | grep -q "変更はありません"
sync "$work/pc2.htm" | grep -q "変更はありません"
# A third machine without a file yet takes the server's collection into a new one.
sync "$work/pc3.htm" --first pull | tail -n 3
sync "$work/pc3.htm" | grep -q "変更はありません"

# Both files now hold the same collection (dates and other details stay in each file).
"$cli" list "$work/pc1.htm" | cut -f3-5 | tail -n +2 >"$work/one.txt"
"$cli" list "$work/pc2.htm" | cut -f3-5 | tail -n +2 >"$work/two.txt"
"$cli" list "$work/pc3.htm" | cut -f3-5 | tail -n +2 >"$work/three.txt"
diff -u "$work/one.txt" "$work/two.txt"
diff -u "$work/one.txt" "$work/three.txt"
grep -q "二台目の端末で追加" "$work/one.txt"
echo "The three machines hold the same $(wc -l <"$work/one.txt") entries."
