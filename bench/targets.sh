#!/usr/bin/env bash
# Measures the read, list, save and window-load figures of a large Shift_JIS bookmark file side
# by side with the floor `iconv -f CP932 -t UTF-8` of the same file, and prints each as a ratio
# to that floor measured in the same run (the best of RUNS runs each), so that a noisy machine
# does not decide the result. Peak memory is printed as a ratio to the file's size. The load
# average is printed before and after: a ratio taken on a machine that was not quiet (a load
# above 1 at either end) is marked as no result, since iconv slows under load more than the
# program does.
#
#   bench/targets.sh [FILE] [RUNS]     (default: a 1,000,000-URL file generated in /tmp; 3 runs)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
FILE=${1:-/tmp/pernard-targets-1m.htm}
RUNS=${2:-3}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

[ -f "$FILE" ] || "$BUILD/bench/generate-bookmarks" 1000000 "$FILE" >/dev/null
SIZE=$(stat -c %s "$FILE")
export QT_QPA_PLATFORM=offscreen

# Best wall time in seconds of RUNS runs of the command; the peak memory (KB) of the last run.
best() {
    local best="" seconds
    for _ in $(seq "$RUNS"); do
        /usr/bin/time -f "%e %M" -o "$OUT/time" "$@" >/dev/null 2>"$OUT/err" || {
            cat "$OUT/err" >&2
            return 1
        }
        seconds=$(cut -d' ' -f1 "$OUT/time")
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    done
    echo "$best $(cut -d' ' -f2 "$OUT/time")"
}
# The best of RUNS figures a program prints itself ("... N.NNN s ...").
best_printed() {
    local best="" seconds
    for _ in $(seq "$RUNS"); do
        seconds=$("$@" 2>/dev/null | grep -o '[0-9.]* s' | tail -1 | cut -d' ' -f1)
        if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    done
    echo "$best"
}

# The one-minute load average.
load_now() { cut -d' ' -f1 /proc/loadavg; }
load_before=$(load_now)

CLI=("$BUILD/pernard-cli")
read -r floor _ < <(best iconv -f CP932 -t UTF-8 "$FILE")
read_alone=$(best_printed "$BUILD/bench/bench-read" "$FILE")
read -r list list_kb < <(best "${CLI[@]}" list --max-url 10000000 "$FILE")
read -r save _ < <(best "${CLI[@]}" save --max-url 10000000 "$FILE" --to "$OUT/saved.htm")
window=""
[ -x "$BUILD/bench/bench-ui-load" ] && window=$(best_printed "$BUILD/bench/bench-ui-load" "$FILE")

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }
printf 'file %s: %d bytes; floor (iconv) %.2f s\n' "$FILE" "$SIZE" "$floor"
printf '%-34s %7s %8s %7s\n' figure seconds ratio target
printf '%-34s %7.2f %7s× %7s\n' "read alone (bench-read)" "$read_alone" "$(ratio "$read_alone" "$floor")" "≤ 1.0×"
printf '%-34s %7.2f %7s× %7s\n' "pernard-cli list" "$list" "$(ratio "$list" "$floor")" "≤ 1.3×"
printf '%-34s %7.2f %7s× %7s\n' "pernard-cli save" "$save" "$(ratio "$save" "$floor")" "≤ 1.6×"
if [ -n "$window" ]; then
    printf '%-34s %7.2f %7s× %7s\n' "window shown (÷ read alone)" "$window" \
        "$(ratio "$window" "$read_alone")" "≤ 1.5×"
fi
printf '%-34s %6d MB %7s× %7s\n' "peak memory of list (÷ file size)" "$((list_kb / 1024))" \
    "$(ratio "$((list_kb * 1024))" "$SIZE")" "≤ 1.3×"
load_after=$(load_now)
printf 'load average: %s before, %s after\n' "$load_before" "$load_after"
if awk "BEGIN{exit !($load_before > 1 || $load_after > 1)}"; then
    echo "NOT QUIET: the machine was busy (load above 1); these ratios are no result." >&2
    exit 2
fi
