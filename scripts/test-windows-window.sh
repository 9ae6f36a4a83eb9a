#!/usr/bin/env bash
# Runs pernard.exe under Wine with the real windows platform, on a display of its own (Xvfb), and
# uses it as a user would, with the keyboard: on a copy of the Shift_JIS sample it deletes a
# folder and a bookmark, adds a bookmark, saves with 上書保存 and quits with 終了. Then checks
#   - that the saved file holds exactly those changes (read back with the Linux pernard-cli);
#   - that the window's place and the settings are in Wine's registry under
#     HKEY_CURRENT_USER\Software\Tesvel\Common;
#   - that a second start comes up where the first one was closed.
# Screenshots of the main window, the bookmark dialog and the settings window are left in
# SHOTS (default build-mingw/screenshots) to be looked at.
#
#   scripts/test-windows-window.sh PERNARD_EXE [SHOTS]
#
# Runs in the Wine prefix of WINEPREFIX (scripts/test-windows.sh makes one) and needs Xvfb and
# xdotool. Every wait is bounded.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$(realpath "$1")
shots=$(realpath -m "${2:-build-mingw/screenshots}")
cli=$PWD/build/pernard-cli
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
: "${WINEPREFIX:?a Wine prefix (scripts/test-windows.sh makes one)}"
work=$(mktemp -d "${TMPDIR:-/tmp}/pernard-window.XXXXXX")
mkdir -p "$shots"
xvfb=
program=
cleanup() {
    [[ -n $program ]] && kill "$program" 2>/dev/null
    # The registry is written out when the last program of the prefix has ended.
    timeout 30 "$wineserver" -w 2>/dev/null || "$wineserver" -k 2>/dev/null || true
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "test-windows-window: $*" >&2
    import -window root "$shots/failure.png" 2>/dev/null || true
    exit 1
}

# A display of its own.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

# Japanese fonts for the prefix, as a Japanese Windows has its own.
fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
cp /usr/share/fonts/opentype/ipafont-gothic/*.ttf /usr/share/fonts/opentype/ipafont-mincho/*.ttf \
    "$fonts/" 2>/dev/null || true

sample=$work/sample.htm
cp examples/bookmark.htm "$sample"
"$cli" list "$sample" | cut -f3-5 >"$work/before.txt"

# Prints the window titled NAME once one is shown, waiting at most SECONDS (default 10).
shown_window() {
    local window= tries=$((${2:-10} * 4))
    for _ in $(seq "$tries"); do
        window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
        [[ -n $window ]] && break
        sleep 0.25
    done
    echo "$window"
}
# Starts the program on the sample; `main` is its main window once it is shown.
start() {
    (cd "$work" && exec "$wine" "$exe" "$("$wine" winepath -w "$sample" 2>/dev/null | tr -d '\r')") \
        >"$work/program.log" 2>&1 &
    program=$!
    [[ -n $(shown_window ペルナード 60) ]] || fail "no main window titled ペルナード within 60 s"
    sleep 2  # the collection is read after the window is shown
    # The window as it is now: the first one shown may have been made again meanwhile.
    main=$(shown_window ペルナード)
    [[ -n $main ]] || fail "the main window went away after it was shown"
}
# Gives the main window the keyboard (there is no window manager to do it).
focus() { xdotool windowfocus --sync "$main" 2>/dev/null || true; sleep 0.5; }
# Waits (bounded) for a window titled NAME to be shown, and gives it the keyboard.
dialog() {
    local window
    window=$(shown_window "$1")
    [[ -n $window ]] || fail "no window titled $1"
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
}
# Whether a window titled NAME is still shown after a while (bounded) for it to go.
shown() {
    for _ in $(seq 40); do
        [[ -n $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true) ]] || return 1
        sleep 0.25
    done
}
keys() { xdotool key --delay 120 "$@"; sleep 0.8; }
typed() { xdotool type --delay 40 "$1"; sleep 0.3; }
# Waits (bounded) for the program to end.
ended() {
    for _ in $(seq 60); do
        kill -0 "$program" 2>/dev/null || { program=; return 0; }
        sleep 0.5
    done
    return 1
}
geometry() { xdotool getwindowgeometry "$1" | awk '/Position|Geometry/ { print $2 }' | tr '\n' ' '; }

start
import -window root "$shots/main.png"
focus
keys Delete          # the selected folder (ニュース・天気) and its bookmarks, after the question
keys Return
focus
keys Tab Home Down Delete   # into the list: the second row (e-Gov ポータル)
keys shift+F10 w u          # the list's menu: 新規作成 › ＵＲＬ
dialog URL
typed "Pernard test"
keys Tab
typed "https://example.org/pernard"
import -window root "$shots/bookmark-dialog.png"
keys Return
focus
keys alt+v s                # 表示 › 設定
dialog 設定
import -window root "$shots/settings.png"
keys Escape
! shown 設定 || fail "Escape did not close the settings window"
focus
keys alt+f s                # ファイル › 上書保存, and yes to its question
keys Return
# Moved by the user before closing: the next start must come up there.
xdotool windowmove "$main" 200 150 2>/dev/null || true
sleep 1
closed_at=$(geometry "$main")
focus
keys alt+f x                # ファイル › 終了
ended || fail "the program did not end after 終了"

# The file holds exactly the three edits.
"$cli" list "$sample" | cut -f3-5 >"$work/after.txt" || fail "the saved file does not read back"
grep -v -e $'\tニュース・天気\t' -e $'\tNHK ニュース\t' -e $'\t気象庁 | 天気予報\t' \
    -e $'\tYahoo!ニュース\t' -e $'\te-Gov ポータル\t' "$work/before.txt" |
    awk -F'\t' '{ print } $2 == "Debian -- ユニバーサルOS" { print "url\tPernard test\thttps://example.org/pernard" }' \
        >"$work/expected.txt"
diff -u "$work/expected.txt" "$work/after.txt" || fail "the saved file is not the edited collection"
echo "test-windows-window: the saved file holds the deleted folder, the deleted and the added bookmark"

# The settings where Windows keeps them.
"$wine" reg query 'HKCU\Software\Tesvel\Common\Window' 2>/dev/null | tr -d '\r' >"$work/window.reg"
"$wine" reg query 'HKCU\Software\Tesvel\Common\Setting' 2>/dev/null | tr -d '\r' >"$work/setting.reg"
for value in fmPernard.Left fmPernard.Top fmPernard.Width fmPernard.Height; do
    grep -q "$value[[:space:]]*REG_SZ" "$work/window.reg" || fail "no $value in the registry"
done
grep -q 'fmBookmark\.CkShoujun[[:space:]]*REG_SZ' "$work/setting.reg" ||
    fail "no settings in the registry"
echo "test-windows-window: the window's place and the settings are in the registry"

start
opened_at=$(geometry "$main")
[[ $opened_at == "$closed_at" ]] ||
    fail "closed at $closed_at, opened again at $opened_at"
focus
keys alt+f x
ended || fail "the second start did not end after 終了"
echo "test-windows-window: the second start came up where the first one closed ($opened_at)"
