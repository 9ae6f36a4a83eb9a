#!/usr/bin/env bash
# Builds Qt's qtbase for 64-bit Windows with MinGW-w64, static and release, from Debian's own
# source package, for the desktop program's Windows build to link against. Only what the
# program uses is built: Core, Gui, Widgets and Test, the windows and offscreen platform
# plugins; no OpenGL, network, SQL, D-Bus, printing, ICU.
#
#   scripts/build-qt-windows.sh           # build (when missing) and print the Qt folder
#   scripts/build-qt-windows.sh --print   # only print the Qt folder the options lead to
#
# Everything lives outside the work tree, below ${XDG_CACHE_HOME:-~/.cache}/pernard:
#   src/qt6-base-VERSION/            the unpacked source, shared by every option set
#   qt-VERSION-mingw-HASH/           the installed Qt (HASH: of the options and the toolchain)
#   qt-VERSION-mingw-HASH/logs/      configure, build and install logs
#   build/qt-VERSION-mingw-HASH/     the build tree; an interrupted build resumes from it
# The installed folder holds .complete once the install has ended; with it there, a run does
# nothing. The compiler runs through ccache when it is installed, so a build tree thrown away
# is rebuilt quickly.
#
# Environment: PERNARD_JOBS (parallel jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${PERNARD_JOBS:-2}
version=6.4.2
debian_version=6.4.2+dfsg
toolchain=$source_dir/cmake/mingw-w64-x86_64.cmake
cache=${XDG_CACHE_HOME:-$HOME/.cache}/pernard

say() { echo "build-qt-windows: $*" >&2; }

# The host's Qt runs the code generators (moc, rcc, uic) for the cross build; it has to be the
# same version.
host_cmake=/usr/lib/x86_64-linux-gnu/cmake

options=(
    -release -static -static-runtime
    -xplatform win32-g++
    -nomake examples -nomake tests
    # Direct2D stays: without it Gui leaves out the DirectWrite font database that the windows
    # plugin still calls, and a program fails to link.
    -no-opengl -no-icu -no-dbus
    -no-feature-network -no-feature-sql -no-feature-printsupport -no-feature-concurrent
    -no-feature-xml
    # Widgets, dialogs and text formats the program never shows: less to compile.
    -no-feature-graphicsview -no-feature-mdiarea -no-feature-calendarwidget
    -no-feature-datetimeedit -no-feature-lcdnumber -no-feature-dial -no-feature-fontcombobox
    -no-feature-fontdialog -no-feature-colordialog -no-feature-wizard -no-feature-keysequenceedit
    -no-feature-syntaxhighlighter -no-feature-undoview -no-feature-columnview
    -no-feature-datawidgetmapper -no-feature-commandlinkbutton -no-feature-splashscreen
    -no-feature-textodfwriter -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
    -no-feature-pdf -no-feature-movie -no-feature-sessionmanager -no-feature-systemtrayicon
    -no-feature-gif -no-feature-imageformat_ppm -no-feature-imageformat_xbm
    # Debian's tarball leaves out the bundled tablet header the windows plugin would need.
    -no-feature-tabletevent
    -qt-zlib -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
)

# A different option set, toolchain or Qt version gets a folder of its own.
hash=$( { echo "$debian_version"; printf '%s\n' "${options[@]}"; cat "$toolchain"; } |
        sha256sum | cut -c1-10)
name=qt-$version-mingw-$hash
prefix=$cache/$name
build=$cache/build/$name
logs=$prefix/logs
src=$cache/src/qt6-base-$debian_version

if [[ ${1:-} == --print ]]; then
    echo "$prefix"
    exit 0
fi
if [[ -f $prefix/.complete ]]; then
    echo "$prefix"
    exit 0
fi

# Runs a step with its output in logs/NAME.log; shows the log's end when the step fails.
quietly() {
    local name=$1
    shift
    mkdir -p "$logs"
    if ! "$@" >>"$logs/$name.log" 2>&1; then
        tail -40 "$logs/$name.log" >&2
        say "$name failed (log: $logs/$name.log)"
        exit 1
    fi
}

check_tools() {
    local wanted=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix qt6-base-dev
                  qt6-base-dev-tools cmake ninja-build perl dpkg-dev xz-utils)
    local missing=()
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    if ((${#missing[@]})); then
        say "installing ${missing[*]}"
        local sudo=()
        [[ $(id -u) == 0 ]] || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}" >/dev/null
    fi
    local host_version
    host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    if [[ $host_version != "$debian_version"* ]]; then
        say "the host's Qt is $host_version; the cross build needs the same version ($version)"
        exit 1
    fi
}

# The upstream tarball only (Debian's packaging and patches are for Linux).
fetch_source() {
    [[ -d $src ]] && return
    local download=$cache/download/qt6-base
    mkdir -p "$download"
    if ! ls "$download"/qt6-base_"$debian_version".orig.tar.* >/dev/null 2>&1; then
        say "fetching qt6-base $debian_version"
        if ! (cd "$download" &&
              apt-get source -qq --tar-only qt6-base/bookworm >/dev/null 2>&1); then
            say "apt-get source qt6-base failed: Debian's source lists missing?" \
                "(scripts/build-windows.sh adds them)"
            exit 1
        fi
    fi
    say "unpacking"
    rm -rf "$src.part"
    mkdir -p "$src.part"
    tar -xf "$download"/qt6-base_"$debian_version".orig.tar.xz -C "$src.part" --strip-components=1
    mv "$src.part" "$src"
}

configure_qt() {
    [[ -f $build/.configured ]] && return
    local launcher=()
    if [[ -n $ccache ]]; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    say "configuring $name"
    rm -rf "$build"
    mkdir -p "$build" "$prefix"
    # Programs built against this Qt load the toolchain file it was configured with (Qt's
    # qt.toolchain.cmake names it), so it is a copy that lives as long as the Qt does.
    cp "$toolchain" "$prefix/mingw-w64-x86_64.cmake"
    rm -f "$logs/configure.log"
    # The core's library folder has no place in Qt's build: whatever Qt takes from outside
    # comes from MinGW's own tree.
    (cd "$build" && quietly configure env -u PERNARD_WINDOWS_DEPS "$src/configure" \
        -prefix "$prefix" -qt-host-path /usr "${options[@]}" -- \
        -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
        "${launcher[@]}")
    touch "$build/.configured"
}

build_qt() {
    local steps
    steps=$(ninja -C "$build" -n 2>/dev/null | grep -c '^\[' || true)
    say "building with $jobs job(s): $steps steps left (log: $logs/build.log)"
    local started=$SECONDS
    quietly build cmake --build "$build" --parallel "$jobs"
    say "built in $(((SECONDS - started) / 60)) min"
    rm -f "$logs/install.log"
    quietly install cmake --install "$build"
}

# Qt's own Japanese messages (its dialogs' buttons and the like), from Debian's binary package
# of Qt's translations; they are the same files on every platform.
copy_translations() {
    local from=/usr/share/qt6/translations
    if [[ ! -f $from/qtbase_ja.qm ]]; then
        local download=$cache/download/qt6-translations
        mkdir -p "$download"
        (cd "$download" && { ls ./qt6-translations-l10n_*.deb >/dev/null 2>&1 ||
            apt-get download -qq qt6-translations-l10n >/dev/null 2>&1; }) || {
            say "no qt6-translations-l10n; Qt's own messages stay in English"
            return
        }
        rm -rf "$download/x"
        dpkg-deb -x "$download"/qt6-translations-l10n_*.deb "$download/x"
        from=$download/x/usr/share/qt6/translations
    fi
    mkdir -p "$prefix/translations"
    cp "$from"/qtbase_*.qm "$prefix/translations/"
}

# Qt compiles with precompiled headers; ccache stores what is compiled with one only when told
# that the header's macros and __DATE__ may be ignored (the header is hashed all the same).
ccache=
if command -v ccache >/dev/null; then
    ccache=1
    export CCACHE_SLOPPINESS=pch_defines,time_macros${CCACHE_SLOPPINESS:+,$CCACHE_SLOPPINESS}
fi

check_tools
fetch_source
configure_qt
build_qt
copy_translations
touch "$prefix/.complete"
say "Qt installed in $prefix ($(du -sh "$prefix" | cut -f1))"
echo "$prefix"
