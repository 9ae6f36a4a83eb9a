#!/usr/bin/env bash
# Builds the libFuzzer targets (the "check" preset, clang with ASan and UBSan), replays the inputs
# of fuzz/regressions, and runs each target for SECONDS (default 20), starting from seeds made of
# the project's own fixtures. New inputs that widen coverage go to build-check/corpus/TARGET; a
# failing input is written to build-check/ and stops the script with an error (a small hand-made
# input that fails the same way belongs in fuzz/regressions/TARGET).
#
# FUZZ_SEED fixes libFuzzer's random seed (0, the default, draws one). With the same number,
# the same seeds and the same corpus (a clean checkout starts with none), a run mutates the same
# inputs in the same order, so what a fixed-seed run finds, a longer one with that seed finds too.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(netscape-reader chromium-reader url-reader html-text dates code-page search
  url-match-key shared-file sync-merge)

cmake --preset check >/dev/null
cmake --build --preset check -- -j"$(nproc 2>/dev/null || echo 2)"

seeds=build-check/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{netscape-reader,chromium-reader,url-reader,html-text,dates,code-page,search,url-match-key,shared-file,sync-merge}
cp examples/*.htm "$seeds/netscape-reader/"
printf '<TITLE>T</TITLE>\n<DL><p>\n<DT><H3 ADD_DATE="1">F</H3>x\n<DL><p>\n<DT><A HREF="http://a/?b&amp;c" ADD_DATE="1" LAST_VISIT="2" LAST_MODIFIED="3">a &lt;b&gt;</A>\n</DL><p>\n</DL><p>\n' \
  > "$seeds/netscape-reader/small.htm"
# Real exports, when the shared test corpus sits beside the checkout.
if [ -d ../shared/corpus/netscape ]; then
  cp ../shared/corpus/netscape/* "$seeds/netscape-reader/"
  find ../shared/corpus/url -name '*.url' -exec cp {} "$seeds/url-reader/" \;
fi
printf '[InternetShortcut]\r\nURL=http://example.com/\r\n' > "$seeds/url-reader/plain.url"
printf '{"roots": {"bookmark_bar": {"type": "folder", "name": "Bar", "date_added": "13300000000000000", "children": [{"type": "url", "name": "a", "url": "http://a/", "date_last_used": "0"}, {"type": "folder", "name": "F", "children": []}]}, "other": {"type": "folder", "name": "O", "children": []}}}' \
  > "$seeds/chromium-reader/small.json"
printf '[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=http://\x82\xa0/\r\nIconIndex=1\r\n' > "$seeds/url-reader/cp932.url"
grep -a -h '<A \|<H3' examples/*.htm | head -20 | split -l 1 - "$seeds/html-text/line-"
for date in 99/07/15 "2020/01/02 12:34" "2020/02/30" 946684800 1e300 -1 " 70/01/01"; do
  printf '%s' "$date" > "$seeds/dates/$(printf '%s' "$date" | md5sum | cut -c1-8)"
done
for charset in 0 1 2 3; do
  { printf "\\x$(printf %02x $charset)"; head -c 2000 examples/bookmark.htm; } > "$seeds/code-page/sample-$charset"
done

printf 'Travel maps\nGoogle MAPS travel\n' > "$seeds/search/ascii"
printf 'ｶﾀｶﾅ ＡＢＣ　x\nカタカナ abc\n' > "$seeds/search/width"
printf '\x3fHTTP://www.Example.COM:80/a/./b/../%%7e/index.html?utm_source=x&q=1#top\nhttps://example.com/a/~/\n' \
  > "$seeds/url-match-key/loose"
printf '\x00http://[::1]:8080/%%e3%%81%%82?\njavascript:void(0)\n' > "$seeds/url-match-key/odd"
printf '\x12http://例え.jp/パス\nC:\\Users\\a.htm\n' > "$seeds/url-match-key/non-ascii"

# The shared file of a sync in both forms, and three of them for the merge.
{ printf '\x00'; cat tests/data/sync/golden.xbel; } > "$seeds/shared-file/golden.xbel"
{ printf '\x01'; cat tests/data/sync/golden.html; } > "$seeds/shared-file/golden.html"
{ cat tests/data/sync/golden.xbel; printf '\x00'; sed 's/Bookmarks Bar/Bar/' tests/data/sync/golden.xbel
  printf '\x00'; sed 's/id="4"/id="9"/' tests/data/sync/golden.xbel; } > "$seeds/sync-merge/three"

for target in "${targets[@]}"; do
  # Every input that once failed (fuzz/regressions/TARGET) is replayed first: the same inputs and
  # the same result on every run.
  if [ -d "fuzz/regressions/$target" ]; then
    echo "fuzz-$target: replaying fuzz/regressions/$target"
    "./build-check/fuzz/fuzz-$target" fuzz/regressions/"$target"/* 2>&1 | tail -1
  fi
  corpus=build-check/corpus/$target
  mkdir -p "$corpus"
  echo "fuzz-$target: ${seconds} s, seed ${FUZZ_SEED:-0}"
  log=build-check/fuzz-$target.log
  status=0
  (cd build-check && "./fuzz/fuzz-$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -seed="${FUZZ_SEED:-0}" -rss_limit_mb=2048 -print_final_stats=1 \
      "corpus/$target" "seeds/$target") >"$log" 2>&1 || status=$?
  tail -3 "$log"
  if [ "$status" -ne 0 ]; then
    # What failed, and the input (libFuzzer prints small ones in Base64), for the record.
    grep -a -E 'check failed|ERROR:|SUMMARY:|Test unit written|Base64:' "$log" | head -20
    exit "$status"
  fi
done
