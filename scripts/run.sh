#!/usr/bin/env bash
# Builds Pernard and starts it. Without arguments, and with nothing configured, it opens the
# sample collection in examples/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -- -j"$(nproc 2>/dev/null || echo 2)"

if [ $# -eq 0 ]; then
  set -- "$PWD/examples/bookmark.htm"
fi
exec build/pernard-cli list "$@"
