#!/usr/bin/env bash
# Starts Pernard on SOURCE (default: the sample collection) under Xvfb and a D-Bus session of its
# own, reads its windows through the accessibility tree (AT-SPI) and prints every named element
# as "role | name". Fails when one of Qt's own English texts shows up, which means Qt's Japanese
# translation is missing. Needs at-spi2-core and python3-pyatspi (Debian), and a built program.
#
#   scripts/read-windows.sh [SOURCE]
set -euo pipefail
cd "$(dirname "$0")/.."

# The script runs itself again inside the display and the D-Bus session it starts.
if [ "${1:-}" != "--inside" ]; then
  source_file=$(realpath "${1:-examples/bookmark.htm}")
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a dbus-run-session -- "$0" --inside "$source_file"
  fi
  exec dbus-run-session -- "$0" --inside "$source_file"
fi
source_file=$2
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT

read_tree() {
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  sleep 1
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_CONFIG_HOME="$config" build/pernard "$1" >/dev/null 2>&1 &
  local program=$!
  sleep 4
  /usr/bin/python3 - <<'PY'
import re, sys
import pyatspi

english = re.compile(r"^(&?Open|&?Cancel|Look in:|File &?name:|Files of type:|&?Undo|&?Redo|"
                     r"Cu&?t|&?Copy|&?Paste|Select All|&?Yes|&?No)$")
found = []

def walk(node, depth):
    try:
        role, name = node.getRoleName(), node.name or ""
    except Exception:
        return
    if name:
        found.append((role, name))
    if depth < 30:
        for k in range(node.childCount):
            try:
                walk(node.getChildAtIndex(k), depth + 1)
            except Exception:
                pass

desktop = pyatspi.Registry.getDesktop(0)
for k in range(desktop.childCount):
    if desktop.getChildAtIndex(k) is not None:
        walk(desktop.getChildAtIndex(k), 0)
for role, name in found:
    print(f"{role} | {name}")
bad = [name for _, name in found if english.match(name)]
if bad:
    print("English texts:", bad, file=sys.stderr)
    sys.exit(1)
PY
  local status=$?
  kill "$program" 2>/dev/null || true
  return $status
}
read_tree "$source_file"
