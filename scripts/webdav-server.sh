# Sourced by the scripts that drive the program against a WebDAV server of their own.
#
#   start_webdav FOLDER    starts lighttpd with mod_webdav on 127.0.0.1 at a free port, serving
#                          FOLDER/dav (made here) without authentication; sets $webdav_port and
#                          appends the server's pid to the caller's pids array.

start_webdav() {
  local folder=$1
  webdav_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  mkdir -p "$folder/dav"
  cat >"$folder/lighttpd.conf" <<EOF
server.document-root = "$folder/dav"
server.bind = "127.0.0.1"
server.port = $webdav_port
server.modules = ("mod_webdav")
webdav.activate = "enable"
webdav.is-readonly = "disable"
EOF
  lighttpd -D -f "$folder/lighttpd.conf" >"$folder/lighttpd.log" 2>&1 &
  pids+=($!)
}
