#!/usr/bin/env bash
# The installer's round trip under Wine, in the Wine prefix of WINEPREFIX (scripts/test-windows.sh
# makes one): installs SETUP silently for the current user, checks what it put where, runs the
# installed pernard.exe through scripts/test-windows-window.sh, uninstalls silently and checks
# that nothing but the user's settings is left.
#
#   scripts/test-windows-installer.sh SETUP
set -euo pipefail
cd "$(dirname "$0")/.."
setup=$(realpath "$1")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
: "${WINEPREFIX:?a Wine prefix (scripts/test-windows.sh makes one)}"
fail() { echo "test-windows-installer: $*" >&2; exit 1; }
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_value() { "$wine" cmd /c echo "$1" 2>/dev/null | tr -d '\r'; }

local_app_data=$(unix_path "$(windows_value '%LOCALAPPDATA%')")
start_menu=$(unix_path "$(windows_value '%APPDATA%')\\Microsoft\\Windows\\Start Menu\\Programs")
installed=$local_app_data/Programs/Pernard
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pernard'

timeout 300 "$wine" "$setup" /S || fail "the installer failed"
"$wineserver" -w
for file in pernard.exe pernard-cli.exe pernard.htm README-ja.txt uninstall.exe \
    licenses/qt-LGPL-3.txt; do
    [[ -f $installed/$file ]] || fail "no $file in $installed"
done
ls "$installed"/source/*.tar.xz >/dev/null 2>&1 || fail "no source archive in $installed"
[[ -f $start_menu/Pernard.lnk && -f "$start_menu/Pernard のアンインストール.lnk" ]] ||
    fail "no Start menu entries in $start_menu"
"$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
    fail "the uninstaller is not in Windows' list of programs"
echo "test-windows-installer: installed into %LOCALAPPDATA%\\Programs\\Pernard"

scripts/test-windows-window.sh "$installed/pernard.exe" "${SHOTS:-build-mingw/screenshots}"

"$wine" reg query 'HKCU\Software\Tesvel\Common\Window' >/dev/null 2>&1 ||
    fail "no settings to outlive the uninstall"
# A file of the user's put beside the installed ones must outlive the uninstall.
echo "mine" >"$installed/licenses/mine.txt"
# The uninstaller copies itself away and runs from there: wait (bounded) for it to finish.
timeout 120 "$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 120); do [[ -e $installed/pernard.exe ]] || break; sleep 0.5; done
"$wineserver" -w
left=$(cd "$installed" && find . -type f | sort | tr '\n' ' ')
[[ $left == "./licenses/mine.txt " ]] || fail "left behind or taken: $left"
rm -rf "$installed"
[[ ! -e $start_menu/Pernard.lnk ]] || fail "the Start menu entry is left behind"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall key is left behind"
"$wine" reg query 'HKCU\Software\Tesvel\Common\Window' >/dev/null 2>&1 ||
    fail "the uninstaller took the user's settings"
echo "test-windows-installer: uninstalled; the settings stay"
