#!/usr/bin/env bash
# Measures the cognitive complexity of every function in the program's own sources (not the
# tests, benchmarks or fuzz targets) with clang-tidy and fails when any is above the threshold
# (40). It needs a configured build directory that holds compile_commands.json (every preset
# writes one); it is slow, so it is run by hand rather than by the test scripts.
#
#   scripts/check-complexity.sh [BUILD_DIR] [FILE...]
#
# BUILD_DIR defaults to the checkout's build; with FILEs it checks only those. CLANG_TIDY names
# the binary (default clang-tidy-14, else clang-tidy). A file clang-tidy cannot compile fails the
# check too: its functions were not measured.
set -euo pipefail

# The build directory and the files as the caller names them, then from the checkout's top.
build=$(realpath "${1:-$(dirname "$0")/../build}")
shift || true
files=()
for file in "$@"; do files+=("$(realpath "$file")"); done
cd "$(dirname "$0")/.."
threshold=40

if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-complexity: no $build/compile_commands.json; configure a build first" >&2
  exit 2
fi

tidy=${CLANG_TIDY:-}
if [ -z "$tidy" ]; then
  tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
fi
if [ -z "$tidy" ]; then
  echo "check-complexity: clang-tidy not found" >&2
  exit 2
fi

if [ ${#files[@]} -eq 0 ]; then
  mapfile -t files < <(git ls-files util model formats report commands linkcheck cli ui | grep '\.cpp$')
fi

# Functions defined in the program's headers are measured too, once for each file that
# includes them; the report below lists each finding once.
header_filter='^'"$PWD"'/(util|model|formats|report|commands|linkcheck|cli|ui)/'
config="{CheckOptions: [{key: readability-function-cognitive-complexity.Threshold, value: $threshold}]}"

findings=$(mktemp)
trap 'rm -f "$findings"' EXIT
unread=0
for file in "${files[@]}"; do
  if ! output=$("$tidy" -p "$build" --quiet --checks='-*,readability-function-cognitive-complexity' \
    --config="$config" --header-filter="$header_filter" "$file" 2>&1); then
    echo "check-complexity: clang-tidy could not compile $file:" >&2
    grep -E 'error:' <<<"$output" | head -5 >&2 || true
    unread=$((unread + 1))
  fi
  grep -E 'warning: function .* has cognitive complexity of' <<<"$output" >>"$findings" || true
done

if [ -s "$findings" ]; then
  sort -u "$findings" | sed "s|^$PWD/||"
  echo "check-complexity: $(sort -u "$findings" | wc -l) function(s) above $threshold" >&2
  exit 1
fi
if [ "$unread" -gt 0 ]; then
  echo "check-complexity: $unread file(s) not measured" >&2
  exit 1
fi
echo "check-complexity: ${#files[@]} file(s), no function above $threshold"
